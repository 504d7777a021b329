#ifndef DELETETRANSITIONCOMMAND_H
#define DELETETRANSITIONCOMMAND_H

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

    void undo() override;
    void redo() override;

private:
    TransitionItem* transition = nullptr;
    bool firstRun = true;
    MachineTaken taken;
};

#endif // DELETETRANSITIONCOMMAND_H
