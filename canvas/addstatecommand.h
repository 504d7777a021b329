#ifndef ADDSTATECOMMAND_H
#define ADDSTATECOMMAND_H

#include <QPointF>

#include "canvascommand.h"

class Canvas;
class StateItem;

// Places a new state; undo takes it off together with any transitions it has
// got since, redo brings all of them back.
class AddStateCommand : public CanvasCommand
{
public:
    AddStateCommand(Canvas* canvas, QPointF position, QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;

private:
    StateElement state;
    bool placed = false;
    MachineTaken taken;
};

#endif // ADDSTATECOMMAND_H
