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
    keepOrders();
    QSet<const QGraphicsItem*> gone;
    for (StateItem* state : qAsConst(states))
        takeStateOff(state, &gone);
    const auto isGone = [&gone](const QGraphicsItem* item) { return gone.contains(item); };
    canvas->stateItems.erase(std::remove_if(canvas->stateItems.begin(), canvas->stateItems.end(), isGone),
                             canvas->stateItems.end());
    canvas->transitionItems.erase(
        std::remove_if(canvas->transitionItems.begin(), canvas->transitionItems.end(), isGone),
        canvas->transitionItems.end());
}

void DeleteStateCommand::keepOrders()
{
    attachedOrders.clear();
    QSet<StateItem*> kept;
    QSet<const TransitionItem*> going;
    const auto keepOrderOf = [this, &kept](StateItem* state) {
        if (!kept.contains(state)) {
            kept.insert(state);
            attachedOrders.append(qMakePair(state, state->getTransitions()));
        }
    };
    for (StateItem* state : qAsConst(states)) {
        keepOrderOf(state);
        for (TransitionItem* transition : state->getTransitions()) {
            going.insert(transition);
            keepOrderOf(transition->startItem() == state ? transition->endItem() : transition->startItem());
        }
        for (TransitionItem* transition : state->getSelfTransitions())
            going.insert(transition);
    }
    statePlaces = ListPlaces::of(canvas->stateItems, QSet<StateItem*>(states.cbegin(), states.cend()));
    transitionPlaces = ListPlaces::of(canvas->transitionItems, going);
}

void DeleteStateCommand::undo()
{
    for (auto state = states.crbegin(); state != states.crend(); ++state)
        putStateOn(*state);
    ListPlaces::putBack(&canvas->stateItems, statePlaces);
    ListPlaces::putBack(&canvas->transitionItems, transitionPlaces);
    for (const auto& attached : qAsConst(attachedOrders))
        attached.first->setTransitions(attached.second);
}
