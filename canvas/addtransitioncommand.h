#ifndef ADDTRANSITIONCOMMAND_H
#define ADDTRANSITIONCOMMAND_H

#include "canvascommand.h"

class Canvas;
class StateItem;
class TransitionItem;
class TransitionLine;

// Joins two states (or a state to itself) by a new transition, which its
// states list last.
class AddTransitionCommand : public CanvasCommand
{
public:
    AddTransitionCommand(Canvas* canvas, StateItem* start, StateItem* end,
                         QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;

private:
    TransitionElement transition;
    StateItem* start = nullptr;
    StateItem* end = nullptr;
    bool placed = false;
    MachineTaken taken;
};

#endif // ADDTRANSITIONCOMMAND_H
