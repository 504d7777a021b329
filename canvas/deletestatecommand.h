#ifndef DELETESTATECOMMAND_H
#define DELETESTATECOMMAND_H

#include "canvascommand.h"

class Canvas;
class QGraphicsItem;
class StateItem;

// Takes states off the canvas with all their transitions; undo restores them
// and the other states' transition lists.
class DeleteStateCommand : public CanvasCommand
{
public:
    DeleteStateCommand(Canvas* canvas, QGraphicsItem* state, QUndoCommand* parent = nullptr);
    // Many states in one step: the canvas's lists are gone through once, not
    // once for each state.
    DeleteStateCommand(Canvas* canvas, const QVector<StateItem*>& states);

    void undo() override;
    void redo() override;

private:
    QVector<StateItem*> states;
    bool firstRun = true;
};

#endif // DELETESTATECOMMAND_H
