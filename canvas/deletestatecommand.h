#ifndef DELETESTATECOMMAND_H
#define DELETESTATECOMMAND_H

#include "canvascommand.h"

class Canvas;
class QGraphicsItem;
class StateItem;

// Takes a state off the canvas with all its transitions; undo restores them
// and the other states' transition lists.
class DeleteStateCommand : public CanvasCommand
{
public:
    DeleteStateCommand(Canvas* canvas, QGraphicsItem* state, QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;

private:
    StateItem* state = nullptr;
    bool firstRun = true;
};

#endif // DELETESTATECOMMAND_H
