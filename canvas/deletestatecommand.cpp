#include "deletestatecommand.h"

#include <QSet>

#include <algorithm>

#include "canvas.h"
#include "stateitem.h"
#include "transitionitem.h"

DeleteStateCommand::DeleteStateCommand(Canvas* target, QGraphicsItem* item, QUndoCommand*)
    : DeleteStateCommand(target, QVector<StateItem*> {qgraphicsitem_cast<StateItem*>(item)})
{
}

DeleteStateCommand::DeleteStateCommand(Canvas* target, const QVector<StateItem*>& deleted)
    : CanvasCommand(target)
    , states(deleted)
{
    states.removeAll(nullptr);
    if (states.size() == 1)
        setText(QObject::tr("Delete State %1").arg(states.first()->getLabel()).trimmed());
    else if (states.isEmpty())
        setText(QObject::tr("Delete State"));
    else
        setText(QObject::tr("Delete %1 States").arg(states.size()));
}

void DeleteStateCommand::redo()
{
    if (firstRun) {
        firstRun = false;
        states.erase(std::remove_if(states.begin(), states.end(),
                                    [this](const StateItem* state) { return !isOnCanvas(state); }),
                     states.end());
        // Nothing to delete: the stack drops the command at once.
        if (states.isEmpty()) {
            setObsolete(true);
            return;
        }
    }
    QVector<ElementId> stateIds;
    QVector<ElementId> transitionIds;
    QSet<const TransitionItem*> going;
    for (const StateItem* state : qAsConst(states)) {
        stateIds.append(state->elementId());
        for (const TransitionItem* transition : state->getTransitions() + state->getSelfTransitions()) {
            if (!going.contains(transition)) {
                going.insert(transition);
                transitionIds.append(transition->elementId());
            }
        }
    }
    taken = takeMachineElements(stateIds, transitionIds);
}

void DeleteStateCommand::undo()
{
    putMachineElementsBack(taken);
}
