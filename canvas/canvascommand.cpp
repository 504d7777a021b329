#include "canvascommand.h"

#include "canvas.h"
#include "initialtransition.h"
#include "initialtransitionline.h"
#include "stateitem.h"
#include "transitionitem.h"
#include "transitionline.h"

#include <QGraphicsItem>
#include <QSet>

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

void CanvasCommand::putOnScene(QGraphicsItem* item)
{
    if (!item || !canvas)
        return;
    if (item->scene() == canvas)
        item->show();
    else
        canvas->addItem(item);
}

void CanvasCommand::park(QGraphicsItem* item)
{
    if (item && canvas && item->scene() == canvas)
        item->hide();
}

void CanvasCommand::takeOffScene(QGraphicsItem* item)
{
    if (item && item->scene())
        item->scene()->removeItem(item);
}

void CanvasCommand::putStateOn(StateItem* state)
{
    putOnScene(state);
    canvas->stateItems.append(state);

    const QList<TransitionItem*> transitions = state->getTransitions();
    for (TransitionItem* transition : transitions) {
        putOnScene(transition);
        putOnScene(transition->getStartLine());
        putOnScene(transition->getEndLine());
        canvas->transitionItems.append(transition);
        StateItem* other = transition->startItem() == state ? transition->endItem()
                                                            : transition->startItem();
        other->addTransition(transition);
    }
    const QList<TransitionItem*> selfTransitions = state->getSelfTransitions();
    for (TransitionItem* transition : selfTransitions) {
        putOnScene(transition);
        putOnScene(transition->getStartLine());
        putOnScene(transition->getEndLine());
        canvas->transitionItems.append(transition);
    }
    restoreInitialMarker(state);
    canvas->update();
}

void CanvasCommand::takeStateOff(StateItem* state, QSet<const QGraphicsItem*>* gone)
{
    const auto unlist = [this, gone](TransitionItem* transition) {
        if (gone)
            gone->insert(transition);
        else
            canvas->transitionItems.removeOne(transition);
    };
    const QList<TransitionItem*> transitions = state->getTransitions();
    for (TransitionItem* transition : transitions) {
        keepTransition(transition);
        unlist(transition);
        StateItem* other = transition->startItem() == state ? transition->endItem()
                                                            : transition->startItem();
        other->removeTransition(transition);
        park(transition->getStartLine());
        park(transition->getEndLine());
        park(transition);
        if (canvas->currentTransition == transition)
            canvas->currentTransition = nullptr;
    }
    const QList<TransitionItem*> selfTransitions = state->getSelfTransitions();
    for (TransitionItem* transition : selfTransitions) {
        keepTransition(transition);
        unlist(transition);
        park(transition->getStartLine());
        park(transition->getEndLine());
        park(transition);
        if (canvas->currentTransition == transition)
            canvas->currentTransition = nullptr;
    }
    dropInitialMarker(state);
    keep(state);
    if (gone)
        gone->insert(state);
    else
        canvas->stateItems.removeOne(state);
    park(state);
    if (canvas->currentState == state)
        canvas->currentState = nullptr;
    canvas->update();
}

void CanvasCommand::putTransitionOn(TransitionItem* transition)
{
    putOnScene(transition);
    putOnScene(transition->getStartLine());
    putOnScene(transition->getEndLine());
    canvas->transitionItems.append(transition);
    transition->startItem()->addTransition(transition);
    if (!transition->isSelfTransition())
        transition->endItem()->addTransition(transition);
    canvas->update();
}

void CanvasCommand::takeTransitionOff(TransitionItem* transition)
{
    keepTransition(transition);
    transition->startItem()->removeTransition(transition);
    if (!transition->isSelfTransition())
        transition->endItem()->removeTransition(transition);
    park(transition->getStartLine());
    park(transition->getEndLine());
    canvas->transitionItems.removeOne(transition);
    park(transition);
    if (canvas->currentTransition == transition)
        canvas->currentTransition = nullptr;
    canvas->update();
}

void CanvasCommand::restoreInitialMarker(StateItem* state)
{
    if (!state->initialStatus() || !canvas->initialTransition || !canvas->initialTransitionLine)
        return;
    StateItem* marked = canvas->initialTransition->getInitialState();
    if (marked && marked != state) {
        // Another state became initial while this one was away.
        state->setIfInitialState(false);
        return;
    }
    canvas->initialTransition->setInitialState(state);
    canvas->initialTransitionLine->setInitStateItem(state);
    canvas->initialTransition->setSafeToPaint(true);
    canvas->initialTransitionLine->setSafeToPaint(true);
    putOnScene(canvas->initialTransition);
    putOnScene(canvas->initialTransitionLine);
}

void CanvasCommand::dropInitialMarker(StateItem* state)
{
    if (!canvas->initialTransition || canvas->initialTransition->getInitialState() != state)
        return;
    // The marker must not point at a state that is off the canvas.
    canvas->initialTransition->setSafeToPaint(false);
    canvas->initialTransitionLine->setSafeToPaint(false);
    canvas->initialTransition->clearInitialState();
    canvas->initialTransitionLine->clearInitialState();
    takeOffScene(canvas->initialTransition);
    takeOffScene(canvas->initialTransitionLine);
}
