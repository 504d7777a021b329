#include "deletetransitioncommand.h"

#include <algorithm>

#include "canvas.h"
#include "transitionitem.h"

DeleteTransitionCommand::DeleteTransitionCommand(Canvas* target, TransitionItem* item, QUndoCommand*)
    : DeleteTransitionCommand(target, QVector<TransitionItem*> {item})
{
}

DeleteTransitionCommand::DeleteTransitionCommand(Canvas* target, const QVector<TransitionItem*>& deleted)
    : CanvasCommand(target)
    , transitions(deleted)
{
    transitions.removeAll(nullptr);
    setText(transitions.size() == 1
                ? QObject::tr("Delete Transition %1").arg(transitions.first()->getLabel()).trimmed()
                : QObject::tr("Delete Transition"));
}

void DeleteTransitionCommand::redo()
{
    if (firstRun) {
        firstRun = false;
        // Those already gone with one of their states are passed over; with
        // none left, the stack drops the command.
        transitions.erase(std::remove_if(transitions.begin(), transitions.end(),
                                         [this](const TransitionItem* transition) { return !isOnCanvas(transition); }),
                          transitions.end());
        if (transitions.isEmpty()) {
            setObsolete(true);
            return;
        }
    }
    QVector<ElementId> ids;
    for (const TransitionItem* transition : qAsConst(transitions))
        ids.append(transition->elementId());
    taken = takeMachineElements({}, ids);
}

void DeleteTransitionCommand::undo()
{
    putMachineElementsBack(taken);
}
