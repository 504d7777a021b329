#ifndef DELETETRANSITIONCOMMAND_H
#define DELETETRANSITIONCOMMAND_H

#include "canvascommand.h"

class Canvas;
class TransitionItem;
class TransitionLine;

// Takes a transition and its two lines off the canvas; undo puts it back at
// its places in the canvas's list and in its states' lists, whose order is
// the order in which the generated code tries a state's transitions.
class DeleteTransitionCommand : public CanvasCommand
{
public:
    DeleteTransitionCommand(Canvas* canvas, TransitionItem* transition,
                            QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;

private:
    TransitionItem* transition = nullptr;
    TransitionLine* startLine = nullptr;
    TransitionLine* endLine = nullptr;
    bool firstRun = true;
    // Where it stood in the canvas's list and in its states' lists.
    int listPlace = -1;
    int startPlace = -1;
    int endPlace = -1;
};

#endif // DELETETRANSITIONCOMMAND_H
