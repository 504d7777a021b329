#include "deletetransitioncommand.h"

#include "canvas.h"
#include "transitionitem.h"

DeleteTransitionCommand::DeleteTransitionCommand(Canvas* target, TransitionItem* item, QUndoCommand*)
    : CanvasCommand(target)
    , transition(item)
{
    setText(transition ? QObject::tr("Delete Transition %1").arg(transition->getLabel()).trimmed()
                       : QObject::tr("Delete Transition"));
}

void DeleteTransitionCommand::redo()
{
    if (firstRun) {
        firstRun = false;
        // Already gone with one of its states: the stack drops the command.
        if (!isOnCanvas(transition)) {
            setObsolete(true);
            return;
        }
    }
    taken = takeMachineElements({}, {transition->elementId()});
}

void DeleteTransitionCommand::undo()
{
    putMachineElementsBack(taken);
}
