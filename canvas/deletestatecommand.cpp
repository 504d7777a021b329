#include "deletestatecommand.h"

#include "canvas.h"
#include "stateitem.h"

DeleteStateCommand::DeleteStateCommand(Canvas* target, QGraphicsItem* item, QUndoCommand*)
    : CanvasCommand(target)
    , state(qgraphicsitem_cast<StateItem*>(item))
{
}

void DeleteStateCommand::redo()
{
    if (firstRun) {
        firstRun = false;
        // Nothing to delete: the stack drops the command at once.
        if (!isOnCanvas(state)) {
            setObsolete(true);
            return;
        }
    }
    takeStateOff(state);
}

void DeleteStateCommand::undo()
{
    putStateOn(state);
}
