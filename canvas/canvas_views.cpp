// The canvas as a view of its document: the text and memory items follow
// the texts and memory items of the node it shows (links and dataflows in
// canvas_connectors.cpp).

#include "canvas.h"

#include "dataflowitem.h"
#include "exactvalues.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "textproperties.h"
#include "transitionitem.h"

void Canvas::elementAdded(const ProjectNode& node, ElementKind kind, ElementId id, int index)
{
    if (&node != shownNode)
        return;
    switch (kind) {
    case ElementKind::State: stateItems.insert(qMin(index, stateItems.size()), showState(id, index)); break;
    case ElementKind::Transition:
        if (TransitionItem* transition = showTransition(id, index))
            transitionItems.insert(qMin(index, transitionItems.size()), transition);
        break;
    case ElementKind::Text: textAdded(id, index); break;
    case ElementKind::Memory: memoryAdded(id, index); break;
    case ElementKind::Link: linkAdded(id, index); break;
    case ElementKind::Dataflow: dataflowAdded(id, index); break;
    default: break;
    }
}

void Canvas::elementChanged(const ProjectNode& node, ElementKind kind, ElementId id, int index)
{
    if (&node != shownNode)
        return;
    if (kind == ElementKind::State)
        stateChanged(id, index);
    else if (kind == ElementKind::Transition)
        transitionChanged(id, index);
    else if (TextItem* text = kind == ElementKind::Text ? textViews.value(id) : nullptr)
        text->setElement(doc->at<TextElement>(node, index));
    else if (MemoryItem* memory = kind == ElementKind::Memory ? memoryViews.value(id) : nullptr)
        memory->showElement(doc->at<MemoryElement>(node, index));
    else if (LinkItem* link = kind == ElementKind::Link ? linkViews.value(id) : nullptr)
        link->showElement(doc->at<LinkElement>(node, index));
    else if (DataflowItem* dataflow = kind == ElementKind::Dataflow ? dataflowViews.value(id) : nullptr)
        dataflow->showElement(doc->at<DataflowElement>(node, index));
    update();
}

void Canvas::elementRemoved(const ProjectNode& node, ElementKind kind, ElementId id, int index)
{
    if (&node != shownNode)
        return;
    switch (kind) {
    case ElementKind::State:
    case ElementKind::Transition: machineRemoved(kind, {id}, {index}); break;
    case ElementKind::Text: textRemoved(id); break;
    case ElementKind::Memory: memoryRemoved(id); break;
    case ElementKind::Link: linkRemoved(id); break;
    case ElementKind::Dataflow: dataflowRemoved(id); break;
    default: break;
    }
}

void Canvas::elementsAdded(const ProjectNode& node, ElementKind kind, const QVector<ElementId>& ids,
                           const QVector<int>& indexes)
{
    // A machine's thousands go through its lists once.
    if (&node == shownNode && (kind == ElementKind::State || kind == ElementKind::Transition))
        machineAdded(kind, ids, indexes);
    else
        DocumentObserver::elementsAdded(node, kind, ids, indexes);
}

void Canvas::elementsRemoved(const ProjectNode& node, ElementKind kind, const QVector<ElementId>& ids,
                             const QVector<int>& indexes)
{
    if (&node == shownNode && (kind == ElementKind::State || kind == ElementKind::Transition))
        machineRemoved(kind, ids, indexes);
    else
        DocumentObserver::elementsRemoved(node, kind, ids, indexes);
}

void Canvas::textAdded(ElementId id, int index)
{
    const TextElement& element = doc->at<TextElement>(*shownNode, index);
    TextItem* text = textViews.value(id);
    if (text) {
        // Back in its place in the stacking order.
        text->show();
    } else {
        text = new TextItem(menus ? menus->textMenu : nullptr, id);
        placeView(text, id, &textViews);
    }
    text->setElement(element);
    textItems.insert(index, text);
    update();
}

void Canvas::textRemoved(ElementId id)
{
    if (TextItem* text = textViews.value(id))
        parkView(text, &textItems, &currentText);
}

TextItem* Canvas::addTextItem(const TextElement& element)
{
    return insertFresh(element, textViews);
}

void Canvas::fitText(TextItem* text)
{
    const TextElement* element = doc->find<TextElement>(*shownNode, text->elementId());
    if (!element)
        return;
    const QSize size = TextProperties::autoSize(element->text);
    doc->replace(*shownNode, TextItem::resized(*element, size.width(), size.height()));
}

void Canvas::memoryAdded(ElementId id, int index)
{
    const MemoryElement& element = doc->at<MemoryElement>(*shownNode, index);
    MemoryItem* memory = memoryViews.value(id);
    if (memory) {
        // Back in its place in the stacking order.
        memory->show();
        memory->showElement(element);
    } else {
        memory = new MemoryItem(menus ? menus->memoryMenu : nullptr, id);
        memory->setElement(element);
        placeView(memory, id, &memoryViews);
    }
    memoryItems.insert(index, memory);
    update();
}

void Canvas::memoryRemoved(ElementId id)
{
    if (MemoryItem* memory = memoryViews.value(id))
        parkView(memory, &memoryItems, &currentMemory);
}

MemoryItem* Canvas::addMemoryItem(const MemoryElement& element)
{
    return insertFresh(element, memoryViews);
}

template <typename Element>
void Canvas::placeMoved(ElementId id, QPointF position)
{
    const Element* element = doc->find<Element>(*shownNode, id);
    if (!element || ExactValues::same(element->position, position))
        return;
    Element moved = *element;
    moved.position = position;
    doc->replace(*shownNode, moved);
}

void Canvas::itemMoved(const QGraphicsItem* item)
{
    switch (item->type()) {
    case ProcessType:
        if (ProjectNode* node = processNode(static_cast<const ProcessItem*>(item));
            node && !ExactValues::same(node->process.position, item->pos())) {
            ProcessElement moved = node->process;
            moved.position = item->pos();
            doc->replaceProcess(*node, moved);
        }
        break;
    case StateType:
        placeMoved<StateElement>(static_cast<const StateItem*>(item)->elementId(), item->pos());
        break;
    case TransitionType:
        placeMoved<TransitionElement>(static_cast<const TransitionItem*>(item)->elementId(), item->pos());
        break;
    case TextType: placeMoved<TextElement>(static_cast<const TextItem*>(item)->elementId(), item->pos()); break;
    case MemoryType:
        placeMoved<MemoryElement>(static_cast<const MemoryItem*>(item)->elementId(), item->pos());
        break;
    case LinkType: placeMoved<LinkElement>(static_cast<const LinkItem*>(item)->elementId(), item->pos()); break;
    case DataflowType:
        placeMoved<DataflowElement>(static_cast<const DataflowItem*>(item)->elementId(), item->pos());
        break;
    }
}
