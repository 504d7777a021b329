#include "deletestatecommand.h"

#include "canvas.h"
#include "stateitem.h"

DeleteStateCommand::DeleteStateCommand(Canvas* target, QGraphicsItem* item, QUndoCommand*)
    : CanvasCommand(target)
    , state(qgraphicsitem_cast<StateItem*>(item))
{
    setText(state ? QObject::tr("Delete State %1").arg(state->getLabel()).trimmed() : QObject::tr("Delete State"));
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
