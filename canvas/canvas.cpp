#include "canvas.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsView>
#include <QUndoStack>

#include <utility>

#include "addtransitioncommand.h"
#include "dataflowitem.h"
#include "floatinglinkitem.h"
#include "floatingmemoryitem.h"
#include "initialtransition.h"
#include "itemshadow.h"
#include "itemtype.h"
#include "initialtransitionline.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
#include "transitionline.h"

namespace {

// Calls on an editable item, as its own kind, what every such kind has.
template <typename Call>
void asEditable(QGraphicsItem* item, Call call)
{
    switch (item->type()) {
    case StateType: call(static_cast<StateItem*>(item)); break;
    case TransitionType: call(static_cast<TransitionItem*>(item)); break;
    case TextType: call(static_cast<TextItem*>(item)); break;
    case ProcessType: call(static_cast<ProcessItem*>(item)); break;
    case LinkType: call(static_cast<LinkItem*>(item)); break;
    case MemoryType: call(static_cast<MemoryItem*>(item)); break;
    case DataflowType: call(static_cast<DataflowItem*>(item)); break;
    }
}

} // namespace

Canvas::Canvas(t_strContextMenu* contextMenus, QObject* /*parent*/)
    : DiagramScene(nullptr)
    , menus(contextMenus)
{
    // Clicks, drags and repaints look up the items at a point or in a
    // rectangle; on a large machine a scan of every item costs more than a
    // frame. The index spans the scene rectangle, which covers the items.
    setItemIndexMethod(QGraphicsScene::BspTreeIndex);

    initialTransition = new InitialTransition();
    initialTransitionLine = new InitialTransitionLine();
    initialTransitionLine->setInitialTransitionItem(initialTransition);

    // A scene turns active when a view in an active window first shows it,
    // and then sends every item an event, one by one, and again each time it
    // comes back into view. Active from the start, while it is still empty, a
    // large canvas is shown at once.
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(this, &activate);

    titleItem.setPos(0, 0);
    titleItem.setTextInteractionFlags(Qt::NoTextInteraction);
    // The title takes no hover: while no item does, moving the mouse over a
    // large canvas looks up no items at all.
    titleItem.setAcceptHoverEvents(false);
}

Canvas::~Canvas()
{
    // Commands may hold items that are off the scene; they must go before the
    // scene deletes the items that are on it.
    closing = true;
    m_undoStack = nullptr;
    if (doc)
        doc->removeObserver(this);
    polishPendingItems();
    takeInitialMarkerOff();
    delete initialTransitionLine;
    delete initialTransition;
    if (titleItem.scene() == this)
        removeItem(&titleItem);
}

void Canvas::setUndoStack(QUndoStack* history)
{
    m_undoStack = history;
}

void Canvas::setDiagram(Document* document, ProjectNode* node)
{
    if (document != doc) {
        if (doc)
            doc->removeObserver(this);
        if (document)
            document->addObserver(this);
        doc = document;
    }
    shownNode = node;
    // A canvas let go of its node lets its processes go of theirs.
    if (!node)
        for (ProcessItem* process : qAsConst(processViews))
            process->setNode(nullptr);
}

int Canvas::getLevel() const
{
    return shownNode ? shownNode->level() : 0;
}

int Canvas::getId() const
{
    return shownNode ? shownNode->fileId() : 0;
}

int Canvas::getParentId() const
{
    return shownNode ? shownNode->fileParentId() : 0;
}

int Canvas::getGrandParentId() const
{
    return shownNode ? shownNode->fileGrandParentId() : 0;
}

int Canvas::getNos() const
{
    return shownNode ? shownNode->process.countNumber : 0;
}

void Canvas::setLabel(const QString& text)
{
    label = text;
    titleItem.setPlainText(text);
    if (titleItem.scene() != this)
        addItem(&titleItem);
}

void Canvas::setMode(Canvas::Mode newMode)
{
    mode = readOnly ? SelectItem : newMode;
    // Back to select (Escape) drops a connector still being drawn.
    if (mode == SelectItem && tempLine) {
        removeItem(tempLine);
        delete tempLine;
        tempLine = nullptr;
    }
}

void Canvas::setReadOnly(bool on)
{
    readOnly = on;
    if (!on)
        return;
    mode = SelectItem;
    // A drag under way ends where it is.
    if (tempLine) {
        removeItem(tempLine);
        delete tempLine;
        tempLine = nullptr;
    }
    // What it moved so far is a step, as after a release.
    recordMoves();
    followDeferred();
    if (QGraphicsItem* grabber = mouseGrabberItem())
        grabber->ungrabMouse();
}

void Canvas::trigger(QAction* action)
{
    if (action)
        action->activate(QAction::Trigger);
}

QGraphicsItem* Canvas::topItemAt(const QPointF& point) const
{
    const QList<QGraphicsItem*> hits = items(point, Qt::IntersectsItemShape, Qt::DescendingOrder);
    return hits.isEmpty() ? nullptr : hits.first();
}

bool Canvas::enableDisableStateSetInitChkBox(StateItem* state) const
{
    for (StateItem* other : stateItems) {
        if (other != state && other->initialStatus())
            return true;
    }
    return false;
}

void Canvas::syncInitialMarker(StateItem* state)
{
    if (state->initialStatus())
        placeInitialMarkerOn(state);
    else if (initialTransition->getInitialState() == state)
        takeInitialMarkerOff();
}

void Canvas::addSelfTransitionItem()
{
    if (!currentState || readOnly)
        return;
    m_undoStack->push(new AddTransitionCommand(this, currentState, currentState, nullptr));
    update();
    trigger(returnToSelectAction);
    update();
}

void Canvas::removeAllSelection()
{
    const QList<QPointer<QObject>> highlighted = std::exchange(highlightedItems, {});
    for (const QPointer<QObject>& guarded : highlighted) {
        if (auto* item = dynamic_cast<QGraphicsItem*>(guarded.data()))
            asEditable(item, [](auto* kind) { kind->resetHighlighted(); });
    }
}

bool Canvas::followLater(TransitionItem* transition)
{
    if (movesOpen == 0)
        return false;
    if (!transition->followPending) {
        transition->followPending = true;
        pendingFollowers.append(transition);
    }
    return true;
}

void Canvas::endMoves(Following following)
{
    if (--movesOpen > 0)
        return;
    const QVector<TransitionItem*> followers = std::exchange(pendingFollowers, {});
    // Without a view nothing shows, and nothing waits either.
    if (following == FollowAll || views().isEmpty()) {
        followDeferred();
        for (TransitionItem* transition : followers) {
            transition->followPending = false;
            transition->followEnds();
        }
    } else {
        const QRectF shown = shownArea();
        const QVector<QPointer<TransitionItem>> deferred = std::exchange(deferredFollowers, {});
        const auto follow = [this, &shown](TransitionItem* transition) {
            if (!transition || !transition->followPending)
                return;
            if (!transition->mayShowIn(shown)) {
                deferredFollowers.append(transition);
                return;
            }
            transition->followPending = false;
            transition->followEnds();
        };
        for (const QPointer<TransitionItem>& transition : deferred)
            follow(transition.data());
        for (TransitionItem* transition : followers)
            follow(transition);
    }
    // The marker's arrow reaches its state as it moves (the dot follows when
    // the drag ends). Laid out while painting, it would ask for a second
    // repaint after every step.
    if (initialTransitionLine && initialTransitionLine->scene() == this)
        initialTransitionLine->updateGeometry();
}

void Canvas::followDeferred()
{
    const QVector<QPointer<TransitionItem>> deferred = std::exchange(deferredFollowers, {});
    for (const QPointer<TransitionItem>& transition : deferred) {
        if (transition && transition->followPending) {
            transition->followPending = false;
            transition->followEnds();
        }
    }
}

QRectF Canvas::shownArea() const
{
    // Wide enough that a line ending beyond it shows neither its arrow nor
    // its cap, at any zoom.
    QRectF shown;
    for (const QGraphicsView* view : views()) {
        const qreal margin = 24 + 32 / qMax(qAbs(view->transform().m11()), 1e-6);
        shown |= view->mapToScene(view->viewport()->rect()).boundingRect().adjusted(-margin, -margin, margin, margin);
    }
    return shown;
}

void Canvas::discard(const QVector<QGraphicsItem*>& parked)
{
    if (closing)
        return;
    for (const QGraphicsItem* item : parked)
        if (item->type() == StateType)
            stateViews.remove(static_cast<const StateItem*>(item)->elementId());
        else if (item->type() == TransitionType)
            transitionViews.remove(static_cast<const TransitionItem*>(item)->elementId());
        else if (item->type() == TextType)
            textViews.remove(static_cast<const TextItem*>(item)->elementId());
        else if (item->type() == MemoryType)
            memoryViews.remove(static_cast<const MemoryItem*>(item)->elementId());
        else if (item->type() == LinkType)
            linkViews.remove(static_cast<const LinkItem*>(item)->elementId());
        else if (item->type() == DataflowType)
            dataflowViews.remove(static_cast<const DataflowItem*>(item)->elementId());
        else if (item->type() == ProcessType)
            processViews.remove(static_cast<const ProcessItem*>(item)->elementId());
    qDeleteAll(parked);
}

void Canvas::setArea(const QRectF& rect)
{
    canvasArea = rect;
    coverItems();
}

void Canvas::coverItems()
{
    QRectF shown;
    const QList<QGraphicsItem*> all = items(Qt::SortOrder(-1));
    for (const QGraphicsItem* item : all)
        if (item->isVisible())
            shown |= item->sceneBoundingRect();
    setSceneRect(canvasArea.isNull() ? shown : canvasArea.united(shown));
    // Qt deepens its tree with the number of items, hidden ones included: at
    // 100,000 its leaves are so small that a moved line leaves and enters
    // hundreds of them, and a drag step costs several frames. Below 4,096
    // items Qt's own depth holds.
    setBspTreeDepth(all.size() > 4096 ? 12 : 0);
}

QRectF Canvas::contentRect() const
{
    QRectF covered;
    // A union needs no stacking order; Qt takes -1 for "unsorted", which
    // spares sorting every item of a large machine.
    for (const QGraphicsItem* item : items(Qt::SortOrder(-1)))
        if (item->isVisible())
            covered |= ItemShadow::sceneRectOf(item);
    return covered;
}

void Canvas::selectAllItems()
{
    // One repaint of the view instead of one region per item; and the items
    // come from the canvas's own lists, as asking the scene would sort them.
    update();
    const auto select = [](const auto& items) {
        for (QGraphicsItem* item : items)
            item->setSelected(true);
    };
    select(stateItems);
    select(transitionItems);
    select(textItems);
    select(processItems);
    select(linkItems);
    select(memoryItems);
    select(dataflowItems);
}

void Canvas::highlight(QGraphicsItem* item)
{
    if (!isEditableItem(item))
        return;
    highlightedItems.append(dynamic_cast<QObject*>(item));
    asEditable(item, [](auto* kind) { kind->setHighlighted(); });
    if (item->type() == StateType && static_cast<StateItem*>(item)->initialStatus())
        initialTransition->updatePosition();
}

void Canvas::highlightSelection()
{
    for (QGraphicsItem* item : selectedItems())
        highlight(item);
}

void Canvas::placeInitialMarkerOn(StateItem* state)
{
    initialTransition->setInitialState(state);
    initialTransitionLine->setInitStateItem(state);
    initialTransition->setSafeToPaint(true);
    initialTransitionLine->setSafeToPaint(true);
    if (initialTransition->scene() != this)
        addItem(initialTransition);
    if (initialTransitionLine->scene() != this)
        addItem(initialTransitionLine);
}

void Canvas::takeInitialMarkerOff()
{
    initialTransition->clearInitialState();
    initialTransitionLine->clearInitialState();
    if (initialTransition->scene())
        initialTransition->scene()->removeItem(initialTransition);
    if (initialTransitionLine->scene())
        initialTransitionLine->scene()->removeItem(initialTransitionLine);
}

// ---- Names ----------------------------------------------------------------

template <typename T>
static QStringList labelsExcept(const QVector<T*>& registry, const QGraphicsItem* item)
{
    QStringList labels;
    for (T* other : registry) {
        if (other != item)
            labels << other->getLabel();
    }
    return labels;
}

QStringList Canvas::siblingLabels(const QGraphicsItem* item) const
{
    if (!item)
        return QStringList();
    switch (item->type()) {
    case ProcessType: return labelsExcept(processItems, item);
    case MemoryType: return labelsExcept(memoryItems, item);
    case StateType: return labelsExcept(stateItems, item);
    default: return QStringList();
    }
}

void Canvas::addFloatingLinkItem(const QString& text, int kind)
{
    auto* item = new FloatingLinkItem(floatingLinkOrigin, kind, text, nullptr);
    floatingLinkItems.append(item);
    item->setZValue(nextZValue());
    addItem(item);
    arrangeFloatingItems();
    floatingLinkOrigin = item->pos();
    update();
}

void Canvas::addFloatingMemoryItem(const QString& text, const QString& datatype, const QColor& colour)
{
    auto* item = new FloatingMemoryItem(floatingMemoryOrigin);
    item->setLabel(text);
    item->setDatatype(datatype);
    item->setBackgroundColor(colour);
    floatingMemoryItems.append(item);
    item->setZValue(nextZValue());
    addItem(item);
    arrangeFloatingItems();
    floatingMemoryOrigin = item->pos();
    update();
}

void Canvas::arrangeFloatingItems()
{
    arrangePending = false;
    const qreal gap = 10;
    const qreal left = area().left() + gap;
    qreal top = area().top() + 40;
    if (titleItem.scene() == this)
        top = qMax(top, titleItem.sceneBoundingRect().bottom() + gap);

    qreal y = top;
    qreal linkColumnWidth = 0;
    for (FloatingLinkItem* item : qAsConst(floatingLinkItems)) {
        item->setPos(left, y);
        y += item->getHeight() + gap;
        linkColumnWidth = qMax(linkColumnWidth, qreal(item->getWidth()));
    }
    const qreal memoryLeft = floatingLinkItems.isEmpty() ? left : left + linkColumnWidth + 2 * gap;
    y = top;
    for (FloatingMemoryItem* item : qAsConst(floatingMemoryItems)) {
        item->setPos(memoryLeft, y);
        y += item->getHeight() + gap;
    }
}

void Canvas::floatingItemResized()
{
    // Moving items from inside a paint would disturb the paint under way.
    if (arrangePending)
        return;
    arrangePending = true;
    QMetaObject::invokeMethod(this, &Canvas::arrangeFloatingItems, Qt::QueuedConnection);
}

void Canvas::polishPendingItems()
{
    // The scene lists every added item until its queued polish runs, and
    // finds each deleted item in that list by a linear search. Without an
    // event loop (korvel-cli, a project closed right after loading) the list
    // still holds everything, so deleting the items would cost N^2: polish
    // them now, once.
    QMetaObject::invokeMethod(this, "_q_polishItems", Qt::DirectConnection);
}

template <typename T>
void Canvas::takeOff(QVector<T*>& registry)
{
    // The mirrors are rebuilt on every visit and nothing refers to them
    // afterwards, so they are destroyed at once.
    for (T* item : qAsConst(registry)) {
        removeItem(item);
        delete item;
    }
    registry.clear();
}

void Canvas::removeAllFloatingLinkItems()
{
    takeOff(floatingLinkItems);
}

void Canvas::removeAllFloatingMemoryItems()
{
    takeOff(floatingMemoryItems);
}

