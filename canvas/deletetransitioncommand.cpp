#include "deletetransitioncommand.h"

#include "canvas.h"
#include "listplaces.h"
#include "stateitem.h"
#include "transitionitem.h"


DeleteTransitionCommand::DeleteTransitionCommand(Canvas* target, TransitionItem* item,
                                                 QUndoCommand*)
    : CanvasCommand(target)
    , transition(item)
{
    setText(transition ? QObject::tr("Delete Transition %1").arg(transition->getLabel()).trimmed()
                       : QObject::tr("Delete Transition"));
    if (transition) {
        startLine = transition->getStartLine();
        endLine = transition->getEndLine();
    }
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
    StateItem* start = transition->startItem();
    StateItem* end = transition->endItem();
    listPlace = canvas->transitionItems.indexOf(transition);
    startPlace = transition->isSelfTransition() ? start->getSelfTransitions().indexOf(transition)
                                                : start->getTransitions().indexOf(transition);
    endPlace = end->getTransitions().indexOf(transition);
    takeTransitionOff(transition);
}

void DeleteTransitionCommand::undo()
{
    putTransitionOn(transition);
    ListPlaces::putBack(&canvas->transitionItems, transition, listPlace);
    StateItem* start = transition->startItem();
    if (transition->isSelfTransition()) {
        QList<TransitionItem*> selfs = start->getSelfTransitions();
        ListPlaces::putBack(&selfs, transition, startPlace);
        start->setSelfTransitions(selfs);
        return;
    }
    QList<TransitionItem*> from = start->getTransitions();
    ListPlaces::putBack(&from, transition, startPlace);
    start->setTransitions(from);
    StateItem* end = transition->endItem();
    QList<TransitionItem*> to = end->getTransitions();
    ListPlaces::putBack(&to, transition, endPlace);
    end->setTransitions(to);
}
