#ifndef ARRIVEDITEMSCOMMAND_H
#define ARRIVEDITEMSCOMMAND_H

#include <QVector>

#include "canvascommand.h"

class StateItem;
class TextItem;
class TransitionItem;

// States, with the transitions between them, and text items that a gesture
// (a paste) has just put on a state machine, as one step: undo takes them
// off, redo puts them back where they were.
class ArrivedItemsCommand : public CanvasCommand
{
public:
    ArrivedItemsCommand(Canvas* canvas, const QVector<StateItem*>& states, const QVector<TextItem*>& texts,
                        const QString& text);

    void undo() override;
    void redo() override;

private:
    QVector<ElementId> states;
    // The transitions between them, in the order they arrived in.
    QVector<ElementId> transitions;
    QVector<ElementId> texts;
    MachineTaken taken;
    Document::Placed<TextElement> takenTexts;
    bool firstRedo = true;
};

#endif // ARRIVEDITEMSCOMMAND_H
