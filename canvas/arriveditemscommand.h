#ifndef ARRIVEDITEMSCOMMAND_H
#define ARRIVEDITEMSCOMMAND_H

#include <QVector>

#include "canvascommand.h"
#include "textelement.h"

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
    QVector<StateItem*> states;
    // The transitions between them, in the order they arrived in.
    QVector<TransitionItem*> transitions;
    QVector<TextItem*> texts;
    // The texts' elements, while undone.
    QVector<TextElement> textElements;
    bool firstRedo = true;
};

#endif // ARRIVEDITEMSCOMMAND_H
