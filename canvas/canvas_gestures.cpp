// The mouse and key gestures on a canvas and the property dialogs they open.

#include "canvas.h"

#include <QGraphicsLineItem>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneMouseEvent>
#include <QKeyEvent>
#include <QPen>
#include <QUndoStack>

#include <limits>

#include "addstatecommand.h"
#include "addtextcommand.h"
#include "addtransitioncommand.h"
#include "addmemorycommand.h"
#include "blockitemscommand.h"
#include "dataflowitem.h"
#include "editpropertiescommand.h"
#include "initialtransition.h"
#include "itemtype.h"
#include "linkitem.h"
#include "namerules.h"
#include "memoryitem.h"
#include "moveitemscommand.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

// ---- Mouse gestures -------------------------------------------------------

void Canvas::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    // Taken here, the press starts no selection band in the view: only a
    // left press on an empty place in select mode does.
    if (readOnly || event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    const bool selecting = mode == SelectItem;

    // A drag that ended without a release left lines behind, and moves that
    // are a step of their own.
    followDeferred();
    recordMoves();
    const QPointF point = event->scenePos();
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
    if (!selecting)
        event->accept();
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
        if (!holds(item) || item->pos() == pressed.second)
            continue;
        moves.append({pressed.first, pressed.second, item->pos()});
    }
    pressPositions.clear();
    if (!moves.isEmpty())
        m_undoStack->push(new MoveItemsCommand(this, moves));
}

void Canvas::insertProcessAt(const QPointF& point)
{
    ProcessElement element = ProcessItem::newElement(point, drawProcessShape);
    element.number = processItems.size() + 1;
    element.countNumber = element.number;
    // The lowest free number: a name taken twice would lose links on reload.
    const QString prefix = QStringLiteral("process_%1").arg(getLevel() + 1);
    QStringList taken;
    for (const ProcessItem* other : qAsConst(processItems))
        taken << other->getLabel();
    element.label = prefix + QString::number(NameRules::lowestFreeNumber(prefix, taken, 1));
    if (getLevel() == 4)
        element.colour = Colour(0xff0000u);
    ProcessItem* process = addProcessItem(element);
    update();
    // The project made the process's diagram as its node came; the window
    // gives it its browser node. Undo takes both away with it.
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
    // A drag step repaints the view once, instead of working out the old and
    // new places of every item it moves.
    const bool dragStep = !pressPositions.isEmpty() && (event->buttons() & Qt::LeftButton);
    if (dragStep)
        update();
    beginMoves();
    QGraphicsScene::mouseMoveEvent(event);
    endMoves(dragStep ? FollowShown : FollowAll);
}

void Canvas::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (readOnly)
        return;
    followDeferred();
    if (!tempLine) {
        if (mode == SelectItem) {
            QGraphicsItem* top = topItemAt(event->scenePos());
            if (top && top->type() == StateType && static_cast<StateItem*>(top)->initialStatus())
                initialTransition->updatePosition();
        }
        QGraphicsScene::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton)
            recordMoves();
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
        LinkItem* link = addLinkItem(LinkItem::newElement(from, to), from, to);
        m_undoStack->push(new BlockItemsCommand(this, project, {link}, BlockItemsCommand::Arrival, tr("Add Link")));
        trigger(returnToSelectAction);
    } else if (mode == InsertDataflow) {
        const bool processToMemory = start->type() == ProcessType && end->type() == MemoryType;
        const bool memoryToProcess = start->type() == MemoryType && end->type() == ProcessType;
        if (!processToMemory && !memoryToProcess)
            return;
        auto* process = static_cast<ProcessItem*>(processToMemory ? start : end);
        auto* memory = static_cast<MemoryItem*>(processToMemory ? end : start);
        DataflowItem* dataflow = addDataflowItem(DataflowItem::newElement(start, end), process, memory);
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
    editProperties(top);
    QGraphicsScene::mouseDoubleClickEvent(event);
}

void Canvas::editProperties(QGraphicsItem* item)
{
    if (readOnly || !isEditableItem(item))
        return;
    switch (item->type()) {
    case StateType:
        currentState = static_cast<StateItem*>(item);
        displayStateProperties();
        break;
    case TransitionType:
        currentTransition = static_cast<TransitionItem*>(item);
        displayTransitionProperties();
        break;
    case TextType:
        currentText = static_cast<TextItem*>(item);
        displayTextItemProperties();
        break;
    case ProcessType:
        currentProcess = static_cast<ProcessItem*>(item);
        trigger(processPropertiesAction);
        break;
    case LinkType:
        currentLink = static_cast<LinkItem*>(item);
        displayLinkItemProperties();
        break;
    case MemoryType:
        currentMemory = static_cast<MemoryItem*>(item);
        displayMemoryItemProperties();
        break;
    case DataflowType:
        currentDataflow = static_cast<DataflowItem*>(item);
        displayDataflowItemProperties();
        break;
    }
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
    StateItem::Values after;
    if (!state->displayProperties(enableDisableStateSetInitChkBox(state), &after))
        return false;
    applyValues(this, state, after);
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
    TransitionItem::Values after;
    if (!transition->displayProperties(&after))
        return false;
    applyValues(this, transition, after);
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
    TextItem::Values after;
    if (!text->displayProperties(&after))
        return false;
    applyValues(this, text, after);
    m_undoStack->push(new EditPropertiesCommand<TextItem>(this, text, before, after, tr("Edit Text")));
    return true;
}

template <typename Item>
bool Canvas::editViewed(Item* item, const QString& text)
{
    if (readOnly || !item)
        return false;
    const typename Item::Values before = item->values();
    typename Item::Values after;
    if (!item->displayProperties(&after))
        return false;
    applyValues(this, item, after);
    m_undoStack->push(new EditPropertiesCommand<Item>(this, item, before, after, text.arg(after.label).trimmed()));
    return true;
}

bool Canvas::displayProcessItemProperties()
{
    // The step tells the window, which renames the diagram and the browser.
    return editViewed(currentProcess, tr("Edit Process %1"));
}

bool Canvas::displayLinkItemProperties() { return editViewed(currentLink, tr("Edit Link %1")); }
bool Canvas::displayMemoryItemProperties() { return editViewed(currentMemory, tr("Edit Memory Item %1")); }
bool Canvas::displayDataflowItemProperties() { return editViewed(currentDataflow, tr("Edit Dataflow %1")); }

// ---- Keys ------------------------------------------------------------------

void Canvas::keyPressEvent(QKeyEvent* event)
{
    const qreal unit = (event->modifiers() & Qt::ShiftModifier) ? 10 : 1;
    QPointF step;
    switch (event->key()) {
    case Qt::Key_Left: step = QPointF(-unit, 0); break;
    case Qt::Key_Right: step = QPointF(unit, 0); break;
    case Qt::Key_Up: step = QPointF(0, -unit); break;
    case Qt::Key_Down: step = QPointF(0, unit); break;
    default: break;
    }
    const Qt::KeyboardModifiers others = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    QList<MoveItemsCommand::Move> moves;
    if (!readOnly && mode == SelectItem && !step.isNull() && others == Qt::NoModifier) {
        for (QGraphicsItem* item : selectedItems()) {
            if (isEditableItem(item) && (item->flags() & QGraphicsItem::ItemIsMovable))
                moves.append({dynamic_cast<QObject*>(item), item->pos(), item->pos() + step});
        }
    }
    if (moves.isEmpty()) {
        QGraphicsScene::keyPressEvent(event);
        return;
    }
    if (!nudging) {
        nudging = true;
        ++nudgeRun;
    }
    m_undoStack->push(new MoveItemsCommand(this, moves, nudgeRun));
    event->accept();
}

void Canvas::keyReleaseEvent(QKeyEvent* event)
{
    // A run of presses ends when the key is let go, not between repeats.
    if (!event->isAutoRepeat())
        nudging = false;
    QGraphicsScene::keyReleaseEvent(event);
}
