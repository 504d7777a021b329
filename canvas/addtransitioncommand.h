#ifndef ADDTRANSITIONCOMMAND_H
#define ADDTRANSITIONCOMMAND_H

#include "canvascommand.h"

class Canvas;
class StateItem;
class TransitionItem;
class TransitionLine;

// Joins two states (or a state to itself) by a new transition with its two
// lines.
class AddTransitionCommand : public CanvasCommand
{
public:
    AddTransitionCommand(Canvas* canvas, StateItem* start, StateItem* end,
                         QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;

    TransitionItem* getTransitionItem() const { return transition; }

private:
    TransitionItem* transition = nullptr;
    TransitionLine* startLine = nullptr;
    TransitionLine* endLine = nullptr;
};

#endif // ADDTRANSITIONCOMMAND_H
