// The canvas as a view of its document: the states and transitions, with the
// lines of the transitions and the initial marker, follow the machine's.

#include "canvas.h"

#include <utility>

#include "exactvalues.h"
#include "initialtransition.h"
#include "initialtransitionline.h"
#include "stateitem.h"
#include "transitionitem.h"
#include "transitionline.h"

namespace {

// Takes the items out of the registry at once, each at the index the
// document told (a registry that went its own way is searched).
template <typename Item>
void takeOut(QVector<Item*>* registry, const QVector<Item*>& items, const QVector<int>& indexes)
{
    if (items.size() == 1) {
        const int at = indexes.first();
        if (at >= 0 && at < registry->size() && registry->at(at) == items.first())
            registry->remove(at);
        else
            registry->removeOne(items.first());
        return;
    }
    QVector<bool> gone(registry->size(), false);
    for (int i = 0; i < items.size(); ++i) {
        const int at = indexes.at(i);
        const int found = at >= 0 && at < registry->size() && registry->at(at) == items.at(i)
            ? at
            : registry->indexOf(items.at(i));
        if (found >= 0)
            gone[found] = true;
    }
    int kept = 0;
    for (int i = 0; i < registry->size(); ++i)
        if (!gone.at(i))
            (*registry)[kept++] = registry->at(i);
    registry->resize(kept);
}

// Puts the items into the registry at once, each at its index, the first
// first.
template <typename Item>
void putIn(QVector<Item*>* registry, const QVector<Item*>& items, const QVector<int>& indexes)
{
    // One alone, as a file's or a gesture's come, goes in where it belongs.
    if (items.size() == 1) {
        registry->insert(qBound(0, indexes.first(), registry->size()), items.first());
        return;
    }
    QVector<Item*> merged;
    merged.reserve(registry->size() + items.size());
    int from = 0;
    for (int i = 0; i < items.size(); ++i) {
        while (merged.size() < indexes.at(i) && from < registry->size())
            merged.append(registry->at(from++));
        merged.append(items.at(i));
    }
    while (from < registry->size())
        merged.append(registry->at(from++));
    *registry = merged;
}

} // namespace

StateItem* Canvas::addStateItem(const SharedElement<StateElement>& element, ElementId id)
{
    if (id == element->id && !stateViews.contains(id)) {
        doc->insert(*shownNode, -1, element);
        return stateViews.value(id);
    }
    // A state with an id of its own starts without transitions: those that
    // come with it attach themselves.
    StateElement state = element;
    state.id = id ? id : Document::newId();
    state.transitions.clear();
    doc->insert(*shownNode, -1, state);
    return stateViews.value(state.id);
}

TransitionItem* Canvas::addTransitionItem(const SharedElement<TransitionElement>& element, StateItem* start,
                                          StateItem* end, ElementId id)
{
    // A transition without both its states is dropped rather than attached
    // to nothing.
    if (!start || !end)
        return nullptr;
    const ElementId given = id && !transitionViews.contains(id) ? id : Document::newId();
    // Its lines meet where they did when it was drawn among the transitions
    // its states have now.
    const QPointF middle = TransitionItem::meetingPoint(start, end);
    if (given == element->id && element->startState == start->elementId() && element->endState == end->elementId()
        && ExactValues::same(element->midPosition, middle)) {
        doc->insert(*shownNode, -1, element);
    } else {
        TransitionElement transition = element;
        transition.id = given;
        transition.startState = start->elementId();
        transition.endState = end->elementId();
        transition.midPosition = middle;
        doc->insert(*shownNode, -1, transition);
    }
    // The states list it after those they have, unless they list it already
    // or a whole machine is placed, which lists them all at the end.
    for (StateItem* state : {start, end}) {
        if (start == end || placing || state->element().transitions.contains(given))
            continue;
        StateElement listed = state->element();
        listed.transitions.append(given);
        doc->replace(*shownNode, listed);
    }
    return transitionViews.value(given);
}

void Canvas::placeMachine(const Diagram& diagram, ItemIds ids)
{
    // Each state takes its transitions once, when all of them are there,
    // and lists them once.
    ++attachBatch;
    placing = true;
    const bool keep = ids == ItemIds::OfElements;
    QHash<ElementId, StateItem*> states;
    QVector<StateItem*> placed;
    placed.reserve(diagram.states.size());
    for (const SharedElement<StateElement>& state : diagram.states) {
        StateItem* view = addStateItem(state, keep ? state->id : 0);
        states.insert(state->id, view);
        placed.append(view);
    }
    // Each state lists the transitions touching it in the order they are
    // placed, whatever the file listed.
    QHash<const StateItem*, QVector<ElementId>> listed;
    for (const SharedElement<TransitionElement>& transition : diagram.transitions) {
        StateItem* start = states.value(transition->startState);
        StateItem* end = states.value(transition->endState);
        const TransitionItem* view = addTransitionItem(transition, start, end, keep ? transition->id : 0);
        if (view && start != end) {
            listed[start].append(view->elementId());
            listed[end].append(view->elementId());
        }
    }
    for (const StateItem* state : qAsConst(placed)) {
        const QVector<ElementId> wanted = listed.value(state);
        if (state->element().transitions == wanted)
            continue;
        StateElement normal = state->element();
        normal.transitions = wanted;
        doc->replace(*shownNode, normal);
    }
    placing = false;
    endAttaching();
}

void Canvas::attachLater(StateItem* state)
{
    if (attachBatch > 0)
        unattached.insert(state);
    else
        attachTransitions(state);
}

void Canvas::endAttaching()
{
    if (--attachBatch > 0)
        return;
    const QSet<StateItem*> states = std::exchange(unattached, {});
    for (StateItem* state : states)
        attachTransitions(state);
}

void Canvas::attachTransitions(StateItem* state)
{
    QList<TransitionItem*> attached;
    for (ElementId id : state->element().transitions) {
        TransitionItem* transition = transitionViews.value(id);
        if (transition && transition->isVisible())
            attached.append(transition);
    }
    if (attached != state->getTransitions())
        state->setTransitions(attached);
}

StateItem* Canvas::showState(ElementId id, int index)
{
    const SharedElement<StateElement>& element = doc->at<StateElement>(*shownNode, index);
    StateItem* state = stateViews.value(id);
    if (state) {
        // Back in its place in the stacking order.
        state->show();
    } else {
        state = new StateItem(menus ? menus->stateMenu : nullptr, id);
        placeView(state, id, &stateViews);
    }
    state->setElement(element);
    attachLater(state);
    if (element->initial)
        placeInitialMarkerOn(state);
    return state;
}

void Canvas::stateChanged(ElementId id, int index)
{
    StateItem* state = stateViews.value(id);
    if (!state)
        return;
    const bool wasInitial = state->initialStatus();
    state->setElement(doc->at<StateElement>(*shownNode, index));
    attachLater(state);
    // Only a change of the flag moves the marker; a properties edit places
    // it as well (applyValues).
    if (wasInitial != state->initialStatus())
        syncInitialMarker(state);
    if (state->initialStatus())
        initialTransition->updatePosition();
}

StateItem* Canvas::parkState(ElementId id)
{
    StateItem* state = stateViews.value(id);
    if (!state)
        return nullptr;
    if (initialTransition && initialTransition->getInitialState() == state) {
        // The marker must not point at a state that is off the canvas.
        initialTransition->setSafeToPaint(false);
        initialTransitionLine->setSafeToPaint(false);
        takeInitialMarkerOff();
    }
    // Parked, as a text is.
    state->hide();
    if (currentState == state)
        currentState = nullptr;
    return state;
}

TransitionItem* Canvas::showTransition(ElementId id, int index)
{
    const SharedElement<TransitionElement>& element = doc->at<TransitionElement>(*shownNode, index);
    TransitionItem* transition = transitionViews.value(id);
    if (transition) {
        setShown(transition, true);
        transition->setElement(element);
    } else {
        StateItem* start = stateViews.value(element->startState);
        StateItem* end = stateViews.value(element->endState);
        if (!start || !end)
            return nullptr;
        transition = new TransitionItem(menus ? menus->transitionMenu : nullptr, id, start, end);
        transition->setElement(element);
        placeView(transition, id, &transitionViews);
        joinEnds<TransitionLine>(transition, start, end);
    }
    if (transition->isSelfTransition()) {
        transition->startItem()->addSelfTransition(transition);
    } else {
        attachLater(transition->startItem());
        attachLater(transition->endItem());
    }
    return transition;
}

void Canvas::transitionChanged(ElementId id, int index)
{
    if (TransitionItem* transition = transitionViews.value(id))
        transition->setElement(doc->at<TransitionElement>(*shownNode, index));
}

TransitionItem* Canvas::parkTransition(ElementId id)
{
    TransitionItem* transition = transitionViews.value(id);
    if (!transition)
        return nullptr;
    setShown(transition, false);
    // Hidden, it is no longer attached when its states next attach theirs.
    if (transition->isSelfTransition()) {
        transition->startItem()->removeTransition(transition);
    } else if (attachBatch > 0) {
        unattached.insert(transition->startItem());
        unattached.insert(transition->endItem());
    } else {
        transition->startItem()->removeTransition(transition);
        transition->endItem()->removeTransition(transition);
    }
    if (currentTransition == transition)
        currentTransition = nullptr;
    return transition;
}

void Canvas::machineAdded(ElementKind kind, const QVector<ElementId>& ids, const QVector<int>& indexes)
{
    // A state with thousands of transitions attaches them once.
    ++attachBatch;
    if (kind == ElementKind::State) {
        QVector<StateItem*> shown;
        for (int i = 0; i < ids.size(); ++i)
            shown.append(showState(ids.at(i), indexes.at(i)));
        putIn(&stateItems, shown, indexes);
    } else {
        QVector<TransitionItem*> shown;
        QVector<int> at;
        for (int i = 0; i < ids.size(); ++i) {
            if (TransitionItem* transition = showTransition(ids.at(i), indexes.at(i))) {
                shown.append(transition);
                at.append(indexes.at(i));
            }
        }
        putIn(&transitionItems, shown, at);
    }
    endAttaching();
    update();
}

void Canvas::machineRemoved(ElementKind kind, const QVector<ElementId>& ids, const QVector<int>& indexes)
{
    ++attachBatch;
    if (kind == ElementKind::State) {
        QVector<StateItem*> parked;
        for (ElementId id : ids)
            parked.append(parkState(id));
        takeOut(&stateItems, parked, indexes);
    } else {
        QVector<TransitionItem*> parked;
        for (ElementId id : ids)
            parked.append(parkTransition(id));
        takeOut(&transitionItems, parked, indexes);
    }
    endAttaching();
    update();
}

void Canvas::fitMachine()
{
    for (TransitionItem* transition : QVector<TransitionItem*>(transitionItems)) {
        const TransitionElement fitted = TransitionItem::autoSized(transition->element());
        if (fitted.width != transition->getWidth() || fitted.height != transition->getTransitionItemHeight())
            doc->replace(*shownNode, fitted);
    }
    for (StateItem* state : QVector<StateItem*>(stateItems)) {
        const StateElement fitted = StateItem::autoSized(state->element());
        if (fitted.width != state->getWidth() || fitted.height != state->getHeight())
            doc->replace(*shownNode, fitted);
    }
    update();
}
