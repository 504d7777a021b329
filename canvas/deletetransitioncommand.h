#ifndef DELETETRANSITIONCOMMAND_H
#define DELETETRANSITIONCOMMAND_H

#include <QVector>

#include "canvascommand.h"

class Canvas;
class TransitionItem;
class TransitionLine;

// Takes a transition out of the machine; undo puts it back at its places in
// the machine's list and in its states' lists, whose order is the order in
// which the generated code tries a state's transitions.
class DeleteTransitionCommand : public CanvasCommand
{
public:
    DeleteTransitionCommand(Canvas* canvas, TransitionItem* transition,
                            QUndoCommand* parent = nullptr);
    // Many in one step: the machine's lists are gone through once.
    DeleteTransitionCommand(Canvas* canvas, const QVector<TransitionItem*>& transitions);

    void undo() override;
    void redo() override;

private:
    QVector<TransitionItem*> transitions;
    bool firstRun = true;
    MachineTaken taken;
};

#endif // DELETETRANSITIONCOMMAND_H
