#include "canvas.h"

#include <QAction>
#include <QGraphicsLineItem>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QPen>
#include <QUndoStack>

#include <limits>

#include "addstatecommand.h"
#include "addtextcommand.h"
#include "addtransitioncommand.h"
#include "addmemorycommand.h"
#include "blockitemscommand.h"
#include "dataflowitem.h"
#include "dataflowline.h"
#include "editpropertiescommand.h"
#include "floatinglinkitem.h"
#include "floatingmemoryitem.h"
#include "initialtransition.h"
#include "itemtype.h"
#include "initialtransitionline.h"
#include "linkitem.h"
#include "linkline.h"
#include "namerules.h"
#include "memoryitem.h"
#include "moveitemscommand.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
#include "transitionline.h"

namespace {

bool isEditableItem(const QGraphicsItem* item)
{
    return item && isEditableItemType(item->type());
}

template <typename T>
T* lastWithLabel(const QVector<T*>& registry, const QString& label)
{
    T* match = nullptr;
    for (T* item : registry) {
        if (item->getLabel() == label)
            match = item;
    }
    return match;
}

} // namespace

Canvas::Canvas(t_strContextMenu* contextMenus, QObject* /*parent*/)
    : DiagramScene(nullptr)
    , menus(contextMenus)
{
    // Lines follow every dragged state; keeping a spatial index of them up
    // to date costs more than it saves, and its memory grows with the scene.
    setItemIndexMethod(QGraphicsScene::NoIndex);
    // A canvas on its own keeps its own history until it joins a project's.
    ownStack = new QUndoStack(this);
    m_undoStack = ownStack;

    initialTransition = new InitialTransition();
    initialTransitionLine = new InitialTransitionLine();
    initialTransitionLine->setInitialTransitionItem(initialTransition);

    titleItem.setPos(0, 0);
    titleItem.setTextInteractionFlags(Qt::NoTextInteraction);
}

Canvas::~Canvas()
{
    // Commands may hold items that are off the scene; they must go before the
    // scene deletes the items that are on it.
    delete ownStack;
    ownStack = nullptr;
    m_undoStack = nullptr;
    polishPendingItems();
    takeInitialMarkerOff();
    delete initialTransitionLine;
    delete initialTransition;
    if (titleItem.scene() == this)
        removeItem(&titleItem);
}

void Canvas::setUndoStack(QUndoStack* history)
{
    delete ownStack;
    ownStack = nullptr;
    m_undoStack = history;
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
    pressPositions.clear();
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
    for (StateItem* item : qAsConst(stateItems))
        item->resetHighlighted();
    for (TransitionItem* item : qAsConst(transitionItems))
        item->resetHighlighted();
    for (TextItem* item : qAsConst(textItems))
        item->resetHighlighted();
    for (ProcessItem* item : qAsConst(processItems))
        item->resetHighlighted();
    for (LinkItem* item : qAsConst(linkItems))
        item->resetHighlighted();
    for (MemoryItem* item : qAsConst(memoryItems))
        item->resetHighlighted();
    for (DataflowItem* item : qAsConst(dataflowItems))
        item->resetHighlighted();
}

void Canvas::highlight(QGraphicsItem* item)
{
    if (!isEditableItem(item))
        return;
    switch (item->type()) {
    case StateType: {
        auto* state = static_cast<StateItem*>(item);
        state->setHighlighted();
        if (state->initialStatus())
            initialTransition->updatePosition();
        break;
    }
    case TransitionType: static_cast<TransitionItem*>(item)->setHighlighted(); break;
    case TextType: static_cast<TextItem*>(item)->setHighlighted(); break;
    case ProcessType: static_cast<ProcessItem*>(item)->setHighlighted(); break;
    case LinkType: static_cast<LinkItem*>(item)->setHighlighted(); break;
    case MemoryType: static_cast<MemoryItem*>(item)->setHighlighted(); break;
    case DataflowType: static_cast<DataflowItem*>(item)->setHighlighted(); break;
    }
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

// ---- Mouse gestures -------------------------------------------------------

void Canvas::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    if (readOnly) {
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;

    const QPointF point = event->scenePos();
    pressPositions.clear();
    if (mode != SelectItem) {
        switch (mode) {
        case InsertState:
            m_undoStack->push(new AddStateCommand(this, point - QPointF(140, 75), nullptr));
            update();
            trigger(returnToSelectAction);
            break;
        case InsertText:
            m_undoStack->push(new AddTextCommand(this, point, nullptr));
            update();
            trigger(returnToSelectAction);
            break;
        case InsertMemory:
            m_undoStack->push(new AddMemoryCommand(this, point));
            update();
            trigger(returnToSelectAction);
            break;
        case InsertTransition:
        case InsertLink:
        case InsertDataflow:
            tempLine = new QGraphicsLineItem(QLineF(point, point));
            tempLine->setPen(QPen(Qt::black, 2, Qt::SolidLine));
            // Drawn over every item, so it stays visible across states and boxes.
            tempLine->setZValue(std::numeric_limits<qreal>::max());
            addItem(tempLine);
            break;
        case InsertProcess:
            insertProcessAt(point);
            break;
        case SelectItem:
            break;
        }
    } else {
        QGraphicsItem* top = topItemAt(point);
        removeAllSelection();
        highlight(top);
    }
    QGraphicsScene::mousePressEvent(event);
    if (mode == SelectItem) {
        for (QGraphicsItem* item : selectedItems()) {
            if (isEditableItem(item) && (item->flags() & QGraphicsItem::ItemIsMovable))
                pressPositions.append({dynamic_cast<QObject*>(item), item->pos()});
        }
    }
}

void Canvas::recordMoves()
{
    QList<MoveItemsCommand::Move> moves;
    for (const auto& pressed : qAsConst(pressPositions)) {
        auto* item = dynamic_cast<QGraphicsItem*>(pressed.first.data());
        // Only items still on this canvas: a press may have deleted some.
        if (!item || item->scene() != this || item->pos() == pressed.second)
            continue;
        moves.append({pressed.first, pressed.second, item->pos()});
    }
    pressPositions.clear();
    if (!moves.isEmpty())
        m_undoStack->push(new MoveItemsCommand(this, moves));
}

void Canvas::insertProcessAt(const QPointF& point)
{
    auto* process = new ProcessItem(menus->processMenu, point, drawProcessShape, nullptr);
    process->initProcessItem();
    processItems.append(process);
    newProcessItem = process;

    const int n = processItems.size();
    const int childLevel = level + 1;
    process->setId(n);
    process->setParentId(id);
    process->setGrandParentId(parentId);
    process->setNos(n);
    process->setLevel(childLevel);
    // The lowest free number: a name taken twice would lose links on reload.
    const QString prefix = QStringLiteral("process_%1").arg(childLevel);
    process->setLabel(prefix
                      + QString::number(NameRules::lowestFreeNumber(prefix, siblingLabels(process), 1)));
    if (level == 4)
        process->setBackgroundColor(Qt::red);

    process->setZValue(nextZValue());
    addItem(process);
    update();
    // The window gives the process its diagram and browser node first; undo
    // takes them away with it.
    trigger(processAddedAction);
    m_undoStack->push(new BlockItemsCommand(this, project, {process}, BlockItemsCommand::Arrival,
                                            tr("Add Process")));
    trigger(returnToSelectAction);
}

void Canvas::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    if (readOnly)
        return;
    const bool dragging = mode == InsertTransition || mode == InsertLink || mode == InsertDataflow;
    if (dragging && tempLine) {
        tempLine->setLine(QLineF(tempLine->line().p1(), event->scenePos()));
        return;
    }
    QGraphicsScene::mouseMoveEvent(event);
}

void Canvas::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (readOnly)
        return;
    if (!tempLine) {
        if (mode == SelectItem) {
            QGraphicsItem* top = topItemAt(event->scenePos());
            if (top && top->type() == StateType && static_cast<StateItem*>(top)->initialStatus())
                initialTransition->updatePosition();
        }
        QGraphicsScene::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton)
            recordMoves();
        update();
        return;
    }
    if (mode == InsertTransition || mode == InsertLink || mode == InsertDataflow) {
        finishDrag(event);
    } else {
        // The tool changed during the drag: the rubber band must not stay behind.
        removeItem(tempLine);
        delete tempLine;
    }
    tempLine = nullptr;
    update();
    QGraphicsScene::mouseReleaseEvent(event);
}

void Canvas::finishDrag(QGraphicsSceneMouseEvent*)
{
    const QLineF line = tempLine->line();
    QList<QGraphicsItem*> startItems = items(line.p1(), Qt::IntersectsItemShape, Qt::DescendingOrder);
    QList<QGraphicsItem*> endItems = items(line.p2(), Qt::IntersectsItemShape, Qt::DescendingOrder);
    // The rubber band is destroyed below, so it must not stay in either list,
    // also when it is alone there (a drag onto empty canvas).
    auto dropTempLine = [this](QList<QGraphicsItem*>& list) {
        list.removeAll(tempLine);
    };
    dropTempLine(startItems);
    dropTempLine(endItems);
    removeItem(tempLine);
    delete tempLine;
    tempLine = nullptr;

    if (startItems.isEmpty() || endItems.isEmpty() || startItems.first() == endItems.first())
        return;

    QGraphicsItem* start = startItems.first();
    QGraphicsItem* end = endItems.first();
    if (mode == InsertTransition) {
        if (start->type() != StateType || end->type() != StateType)
            return;
        m_undoStack->push(new AddTransitionCommand(this, static_cast<StateItem*>(start),
                                                   static_cast<StateItem*>(end), nullptr));
        update();
        update();
        trigger(returnToSelectAction);
    } else if (mode == InsertLink) {
        if (start->type() != ProcessType || end->type() != ProcessType)
            return;
        auto* from = static_cast<ProcessItem*>(start);
        auto* to = static_cast<ProcessItem*>(end);
        auto* link = new LinkItem(menus->linkMenu, from, to, nullptr);
        link->setLevel(level + 1);
        link->setParentId(id);
        link->setGrandParentId(parentId);
        placeLink(link, from, to);
        m_undoStack->push(new BlockItemsCommand(this, project, {link}, BlockItemsCommand::Arrival, tr("Add Link")));
        trigger(returnToSelectAction);
    } else if (mode == InsertDataflow) {
        const bool processToMemory = start->type() == ProcessType && end->type() == MemoryType;
        const bool memoryToProcess = start->type() == MemoryType && end->type() == ProcessType;
        if (!processToMemory && !memoryToProcess)
            return;
        auto* process = static_cast<ProcessItem*>(processToMemory ? start : end);
        auto* memory = static_cast<MemoryItem*>(processToMemory ? end : start);
        auto* dataflow = new DataflowItem(menus->dataflowMenu, start, end, nullptr);
        dataflow->setLevel(level + 1);
        dataflow->setParentId(id);
        dataflow->setGrandParentId(parentId);
        placeDataflow(dataflow, start, end, process, memory);
        m_undoStack->push(
            new BlockItemsCommand(this, project, {dataflow}, BlockItemsCommand::Arrival, tr("Add Dataflow")));
        trigger(returnToSelectAction);
    }
}

void Canvas::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    if (readOnly)
        return;
    QGraphicsItem* top = topItemAt(event->scenePos());
    removeAllSelection();
    if (isEditableItem(top)) {
        switch (top->type()) {
        case StateType:
            currentState = static_cast<StateItem*>(top);
            displayStateProperties();
            break;
        case TransitionType:
            currentTransition = static_cast<TransitionItem*>(top);
            displayTransitionProperties();
            break;
        case TextType:
            currentText = static_cast<TextItem*>(top);
            displayTextItemProperties();
            break;
        case ProcessType:
            currentProcess = static_cast<ProcessItem*>(top);
            trigger(processPropertiesAction);
            break;
        case LinkType:
            currentLink = static_cast<LinkItem*>(top);
            displayLinkItemProperties();
            break;
        case MemoryType:
            currentMemory = static_cast<MemoryItem*>(top);
            displayMemoryItemProperties();
            break;
        case DataflowType:
            currentDataflow = static_cast<DataflowItem*>(top);
            displayDataflowItemProperties();
            break;
        }
    }
    QGraphicsScene::mouseDoubleClickEvent(event);
}

void Canvas::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (readOnly) {
        event->accept();
        return;
    }
    QGraphicsItem* top = topItemAt(event->scenePos());
    removeAllSelection();
    // The menu's commands act on what was clicked, never on an older selection.
    if (isEditableItem(top) && !top->isSelected()) {
        clearSelection();
        top->setSelected(true);
    }
    if (isEditableItem(top)) {
        switch (top->type()) {
        case StateType: currentState = static_cast<StateItem*>(top); break;
        case TransitionType: currentTransition = static_cast<TransitionItem*>(top); break;
        case TextType: currentText = static_cast<TextItem*>(top); break;
        case ProcessType: currentProcess = static_cast<ProcessItem*>(top); break;
        case LinkType: currentLink = static_cast<LinkItem*>(top); break;
        case MemoryType: currentMemory = static_cast<MemoryItem*>(top); break;
        case DataflowType: currentDataflow = static_cast<DataflowItem*>(top); break;
        }
    }
    QGraphicsScene::contextMenuEvent(event);
}

// ---- Property dialogs -----------------------------------------------------

bool Canvas::displayStateProperties()
{
    if (!currentState || readOnly)
        return false;
    StateItem* state = currentState;
    const StateItem::Values before = state->values();
    if (!state->displayProperties(enableDisableStateSetInitChkBox(state)))
        return false;
    syncInitialMarker(state);
    const StateItem::Values after = state->values();
    m_undoStack->push(new EditPropertiesCommand<StateItem>(
        this, state, before, after, tr("Edit State %1").arg(after.label).trimmed()));
    return true;
}

bool Canvas::displayTransitionProperties()
{
    if (!currentTransition || readOnly)
        return false;
    TransitionItem* transition = currentTransition;
    const TransitionItem::Values before = transition->values();
    if (!transition->displayProperties())
        return false;
    const TransitionItem::Values after = transition->values();
    m_undoStack->push(new EditPropertiesCommand<TransitionItem>(
        this, transition, before, after, tr("Edit Transition %1").arg(after.label).trimmed()));
    return true;
}

bool Canvas::displayTextItemProperties()
{
    if (!currentText || readOnly)
        return false;
    TextItem* text = currentText;
    const TextItem::Values before = text->values();
    if (!text->displayProperties())
        return false;
    m_undoStack->push(new EditPropertiesCommand<TextItem>(this, text, before, text->values(), tr("Edit Text")));
    return true;
}

template <typename Item>
bool Canvas::editBlock(Item* item, const QString& text)
{
    if (readOnly || !item)
        return false;
    const typename Item::Values before = item->values();
    if (!item->displayProperties())
        return false;
    const typename Item::Values after = item->values();
    m_undoStack->push(new EditPropertiesCommand<Item>(this, item, before, after, text.arg(after.label).trimmed()));
    return true;
}

bool Canvas::displayProcessItemProperties()
{
    ProcessItem* process = currentProcess;
    if (!editBlock(process, tr("Edit Process %1")))
        return false;
    emit processEdited(process);
    return true;
}

bool Canvas::displayLinkItemProperties() { return editBlock(currentLink, tr("Edit Link %1")); }
bool Canvas::displayMemoryItemProperties() { return editBlock(currentMemory, tr("Edit Memory Item %1")); }
bool Canvas::displayDataflowItemProperties() { return editBlock(currentDataflow, tr("Edit Dataflow %1")); }


// ---- Builders for items read from a project file ---------------------------

bool Canvas::addStateItem(t_stateItemReadFromXML* record)
{
    auto* state = new StateItem(menus->stateMenu,
                                QPointF(int(record->xCoord), int(record->yCoord)));
    state->updatePropertiesfromXMLIO(record);
    state->setZValue(nextZValue());
    addItem(state);
    update();
    update();
    stateItems.append(state);
    newStateItem = state;
    if (bulkLoading)
        stateByLabel.insert(state->getLabel(), state);
    if (record->ifInitialState)
        placeInitialMarkerOn(state);
    return true;
}

bool Canvas::addTextItem(t_textItemReadFromXML* record)
{
    auto* text = new TextItem(menus->textMenu, QPointF(record->xCoord, record->yCoord), nullptr);
    text->updatePropertiesfromXMLIO(record);
    text->setZValue(nextZValue());
    addItem(text);
    update();
    update();
    textItems.append(text);
    newTextItem = text;
    return true;
}

bool Canvas::addTransitionItem(t_transitionItemReadFromXML* record)
{
    StateItem* start = findStateByLabel(record->startItem);
    StateItem* end = findStateByLabel(record->endItem);
    // A transition naming a state that is not on this canvas is dropped rather
    // than attached to nothing.
    if (!start || !end)
        return false;

    auto* transition = new TransitionItem(menus->transitionMenu, start, end, nullptr);
    start->addTransition(transition);
    if (start != end)
        end->addTransition(transition);
    transition->updatePropertiesfromXMLIO(record);
    transitionItems.append(transition);
    newTransitionItem = transition;
    transition->setZValue(nextZValue());
    addItem(transition);

    newTransitionStartLine = new TransitionLine(start, transition, nullptr);
    newTransitionStartLine->setZValue(0);
    addItem(newTransitionStartLine);
    transition->setStartLine(newTransitionStartLine);
    newTransitionEndLine = new TransitionLine(transition, end, nullptr);
    newTransitionEndLine->setZValue(0);
    addItem(newTransitionEndLine);
    transition->setEndLine(newTransitionEndLine);
    update();
    update();
    return true;
}

bool Canvas::addProcessItem(t_processItemReadFromXML* record)
{
    auto* process = new ProcessItem(menus->processMenu,
                                    QPointF(int(record->xCoord), int(record->yCoord)),
                                    record->shape, nullptr);
    process->updatePropertiesfromXMLIO(record);
    process->setZValue(nextZValue());
    addItem(process);
    update();
    update();
    processItems.append(process);
    newProcessItem = process;
    if (bulkLoading)
        processByLabel.insert(process->getLabel(), process);
    return true;
}

bool Canvas::addLinkItem(t_linkItemReadFromXML* record)
{
    ProcessItem* start = findProcessByLabel(record->startItem);
    ProcessItem* end = findProcessByLabel(record->endItem);
    if (!start || !end || start == end)
        return false;

    auto* link = new LinkItem(menus->linkMenu, start, end, nullptr);
    link->updatePropertiesfromXMLIO(record);
    placeLink(link, start, end);
    return true;
}

void Canvas::placeLink(LinkItem* link, ProcessItem* from, ProcessItem* to)
{
    from->addLink(link);
    to->addLink(link);
    link->setZValue(nextZValue());
    addItem(link);
    linkItems.append(link);
    newLinkItem = link;
    newLinkStartLine = new LinkLine(from, link, nullptr);
    newLinkEndLine = new LinkLine(link, to, nullptr);
    newLinkStartLine->setZValue(0);
    newLinkEndLine->setZValue(0);
    link->setStartLine(newLinkStartLine);
    link->setEndLine(newLinkEndLine);
    addItem(newLinkStartLine);
    addItem(newLinkEndLine);
    update();
    update();
}

bool Canvas::addMemoryItem(t_memoryItemReadFromXML* record)
{
    auto* memory = new MemoryItem(menus->memoryMenu, QPointF(record->xCoord, record->yCoord));
    memory->updatePropertiesfromXMLIO(record);
    memory->setZValue(nextZValue());
    addItem(memory);
    update();
    memoryItems.append(memory);
    newMemoryItem = memory;
    if (bulkLoading)
        memoryByLabel.insert(memory->getLabel(), memory);
    return true;
}

bool Canvas::addDataflowItem(t_dataflowItemReadFromXML* record)
{
    ProcessItem* process = nullptr;
    MemoryItem* memory = nullptr;
    if (record->lineType == 1) {
        process = findProcessByLabel(record->startItem);
        memory = findMemoryByLabel(record->endItem);
    } else if (record->lineType == 2) {
        memory = findMemoryByLabel(record->startItem);
        process = findProcessByLabel(record->endItem);
    }
    if (!process || !memory)
        return false;

    QGraphicsItem* start = record->lineType == 1 ? static_cast<QGraphicsItem*>(process) : memory;
    QGraphicsItem* end = record->lineType == 1 ? static_cast<QGraphicsItem*>(memory) : process;
    auto* dataflow = new DataflowItem(menus->dataflowMenu, start, end, nullptr);
    dataflow->updatePropertiesfromXMLIO(record);
    placeDataflow(dataflow, start, end, process, memory);
    return true;
}

void Canvas::placeDataflow(DataflowItem* dataflow, QGraphicsItem* start, QGraphicsItem* end,
                           ProcessItem* process, MemoryItem* memory)
{
    process->addDataflow(dataflow);
    memory->addDataflow(dataflow);
    dataflow->setZValue(nextZValue());
    addItem(dataflow);
    dataflowItems.append(dataflow);
    newDataflowItem = dataflow;
    newDataflowStartLine = new DataflowLine(start, dataflow, nullptr);
    newDataflowEndLine = new DataflowLine(dataflow, end, nullptr);
    newDataflowStartLine->setZValue(0);
    newDataflowEndLine->setZValue(0);
    dataflow->setStartLine(newDataflowStartLine);
    dataflow->setEndLine(newDataflowEndLine);
    addItem(newDataflowStartLine);
    addItem(newDataflowEndLine);
    update();
    update();
}

// Several items may share a label; the last one added wins, and the indexes
// keep that meaning by letting later insertions overwrite earlier ones.
template <typename T>
static QHash<QString, T*> indexByLabel(const QVector<T*>& registry)
{
    QHash<QString, T*> index;
    index.reserve(registry.size());
    for (T* item : registry)
        index.insert(item->getLabel(), item);
    return index;
}

void Canvas::beginBulkLoad()
{
    bulkLoading = true;
    stateByLabel = indexByLabel(stateItems);
    processByLabel = indexByLabel(processItems);
    memoryByLabel = indexByLabel(memoryItems);
}

void Canvas::endBulkLoad()
{
    bulkLoading = false;
    stateByLabel.clear();
    processByLabel.clear();
    memoryByLabel.clear();
}

StateItem* Canvas::findStateByLabel(const QString& text) const
{
    return bulkLoading ? stateByLabel.value(text, nullptr) : lastWithLabel(stateItems, text);
}

ProcessItem* Canvas::findProcessByLabel(const QString& text) const
{
    return bulkLoading ? processByLabel.value(text, nullptr) : lastWithLabel(processItems, text);
}

MemoryItem* Canvas::findMemoryByLabel(const QString& text) const
{
    return bulkLoading ? memoryByLabel.value(text, nullptr) : lastWithLabel(memoryItems, text);
}

// ---- Hierarchy ------------------------------------------------------------

ProcessItem* Canvas::getProcessItem(t_strReadProcessItem* node, bool* found) const
{
    for (ProcessItem* process : processItems) {
        if (process->getLevel() == node->level && process->getId() == node->id
            && process->getParentId() == node->parentId
            && process->getGrandParentId() == node->grandParentId
            && process->getLabel() == node->label && process->getNos() == node->Nos) {
            if (found)
                *found = true;
            return process;
        }
    }
    if (found)
        *found = false;
    return nullptr;
}

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
    newFloatingLinkItem = item;
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
    newFloatingMemoryItem = item;
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
    const qreal left = sceneRect().left() + gap;
    qreal top = sceneRect().top() + 40;
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
    newFloatingLinkItem = nullptr;
}

void Canvas::removeAllFloatingMemoryItems()
{
    takeOff(floatingMemoryItems);
    newFloatingMemoryItem = nullptr;
}

void Canvas::clearCanvas()
{
    // Commands may hold items that are off the scene; drop them first.
    m_undoStack->clear();
    takeInitialMarkerOff();
    if (titleItem.scene() == this)
        removeItem(&titleItem);
    if (tempLine) {
        removeItem(tempLine);
        delete tempLine;
        tempLine = nullptr;
    }

    stateItems.clear();
    transitionItems.clear();
    textItems.clear();
    processItems.clear();
    linkItems.clear();
    memoryItems.clear();
    dataflowItems.clear();
    floatingLinkItems.clear();
    floatingMemoryItems.clear();
    newStateItem = nullptr;
    newTransitionItem = nullptr;
    newTextItem = nullptr;
    newProcessItem = nullptr;
    newLinkItem = nullptr;
    newMemoryItem = nullptr;
    newDataflowItem = nullptr;
    newFloatingLinkItem = nullptr;
    newFloatingMemoryItem = nullptr;
    newTransitionStartLine = newTransitionEndLine = nullptr;
    newLinkStartLine = newLinkEndLine = nullptr;
    newDataflowStartLine = newDataflowEndLine = nullptr;
    currentProcess = nullptr;
    currentState = nullptr;
    currentTransition = nullptr;
    currentText = nullptr;
    currentLink = nullptr;
    currentMemory = nullptr;
    currentDataflow = nullptr;

    polishPendingItems();
    clear();
    if (!label.isEmpty())
        addItem(&titleItem);
}
