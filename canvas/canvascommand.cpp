#include "canvascommand.h"

#include "canvas.h"
#include "initialtransition.h"
#include "initialtransitionline.h"
#include "stateitem.h"
#include "transitionitem.h"
#include "transitionline.h"

#include <QGraphicsItem>
#include <QSet>

#include <algorithm>

namespace {
// Item data slot counting the commands that keep an item.
const int KeptByCommandsKey = 0x4b56;
} // namespace

CanvasCommand::CanvasCommand(Canvas* target)
    : QUndoCommand(nullptr)
    , canvas(target)
{
}

CanvasCommand::~CanvasCommand()
{
    QVector<QGraphicsItem*> orphans;
    QVector<QGraphicsItem*> parked;
    for (QGraphicsItem* item : qAsConst(kept)) {
        const int keepers = item->data(KeptByCommandsKey).toInt() - 1;
        item->setData(KeptByCommandsKey, keepers);
        if (keepers > 0)
            continue;
        if (!item->scene())
            orphans.append(item);
        else if (canvas && item->scene() == canvas && !item->isVisible())
            parked.append(item);
    }
    qDeleteAll(orphans);
    if (!parked.isEmpty())
        canvas->discard(parked);
}

void CanvasCommand::keep(QGraphicsItem* item)
{
    if (!item || keptSet.contains(item))
        return;
    kept.append(item);
    keptSet.insert(item);
    item->setData(KeptByCommandsKey, item->data(KeptByCommandsKey).toInt() + 1);
}

void CanvasCommand::keepTransition(TransitionItem* transition)
{
    if (!transition)
        return;
    keep(transition);
    keep(transition->getStartLine());
    keep(transition->getEndLine());
}

bool CanvasCommand::isOnCanvas(const QGraphicsItem* item) const
{
    return canvas && canvas->holds(item);
}

CanvasCommand::MachineTaken CanvasCommand::takeMachineElements(const QVector<ElementId>& states,
                                                               const QVector<ElementId>& transitions)
{
    Document& document = canvas->document();
    ProjectNode& node = canvas->diagramNode();
    MachineTaken taken;
    const QSet<ElementId> going(transitions.cbegin(), transitions.cend());
    const QSet<ElementId> leaving(states.cbegin(), states.cend());
    // The states that stay and list a transition that goes.
    QSet<ElementId> ends;
    for (ElementId id : transitions) {
        const TransitionElement* transition = document.find<TransitionElement>(node, id);
        if (!transition)
            continue;
        for (ElementId end : {transition->startState, transition->endState}) {
            if (leaving.contains(end) || ends.contains(end))
                continue;
            ends.insert(end);
            if (const StateElement* state = document.find<StateElement>(node, end))
                taken.ends.append({end, state->transitions});
        }
    }
    for (ElementId id : transitions)
        keepTransition(canvas->transitionItemOf(id));
    for (ElementId id : states)
        keep(canvas->stateItemOf(id));
    taken.transitions = document.takeMany<TransitionElement>(node, transitions);
    taken.states = document.takeMany<StateElement>(node, states);
    for (const auto& end : qAsConst(taken.ends)) {
        QVector<ElementId> listed = end.second;
        listed.erase(std::remove_if(listed.begin(), listed.end(), [&going](ElementId id) { return going.contains(id); }),
                     listed.end());
        relist(end.first, listed);
    }
    canvas->update();
    return taken;
}

void CanvasCommand::relist(ElementId state, const QVector<ElementId>& transitions)
{
    const StateElement* element = canvas->document().find<StateElement>(canvas->diagramNode(), state);
    if (!element || element->transitions == transitions)
        return;
    StateElement listing = *element;
    listing.transitions = transitions;
    canvas->document().replace(canvas->diagramNode(), listing);
}

void CanvasCommand::putMachineElementsBack(const MachineTaken& taken)
{
    Document& document = canvas->document();
    ProjectNode& node = canvas->diagramNode();
    document.putBack<StateElement>(node, taken.states);
    document.putBack<TransitionElement>(node, taken.transitions);
    for (const auto& end : taken.ends)
        relist(end.first, end.second);
    canvas->update();
}
