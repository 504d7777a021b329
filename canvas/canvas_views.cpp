// The canvas as a view of its document: the text and memory items follow
// the texts and memory items of the node it shows.

#include "canvas.h"

#include "exactvalues.h"
#include "memoryitem.h"
#include "textitem.h"
#include "textproperties.h"

void Canvas::elementAdded(const ProjectNode& node, ElementKind kind, ElementId id, int index)
{
    if (&node != shownNode)
        return;
    if (kind == ElementKind::Text)
        textAdded(id, index);
    else if (kind == ElementKind::Memory)
        memoryAdded(id, index);
}

void Canvas::elementChanged(const ProjectNode& node, ElementKind kind, ElementId id)
{
    if (&node != shownNode)
        return;
    if (kind == ElementKind::Text) {
        if (TextItem* text = textViews.value(id))
            text->setElement(*doc->find<TextElement>(node, id));
    } else if (kind == ElementKind::Memory) {
        if (MemoryItem* memory = memoryViews.value(id))
            memory->showElement(*doc->find<MemoryElement>(node, id));
    }
    update();
}

void Canvas::elementRemoved(const ProjectNode& node, ElementKind kind, ElementId id)
{
    if (&node != shownNode)
        return;
    if (kind == ElementKind::Text)
        textRemoved(id);
    else if (kind == ElementKind::Memory)
        memoryRemoved(id);
}

void Canvas::textAdded(ElementId id, int index)
{
    const TextElement* element = doc->find<TextElement>(*shownNode, id);
    TextItem* text = textViews.value(id);
    if (text) {
        // Back in its place in the stacking order.
        text->show();
    } else {
        text = new TextItem(menus ? menus->textMenu : nullptr, id);
        text->setZValue(nextZValue());
        addItem(text);
        textViews.insert(id, text);
    }
    text->setElement(*element);
    textItems.insert(index, text);
    update();
}

void Canvas::textRemoved(ElementId id)
{
    TextItem* text = textViews.value(id);
    if (!text)
        return;
    textItems.removeOne(text);
    // Parked, as the steps park states: a step that brings the text back
    // finds its item, and so do the steps that name the item.
    text->hide();
    if (currentText == text)
        currentText = nullptr;
    update();
}

TextItem* Canvas::addTextItem(const TextElement& element)
{
    TextElement text = element;
    text.id = Document::newId();
    doc->insert(*shownNode, -1, text);
    return textViews.value(text.id);
}

void Canvas::textMoved(TextItem* text)
{
    const TextElement* element = doc->find<TextElement>(*shownNode, text->elementId());
    if (!element || ExactValues::same(element->position, text->pos()))
        return;
    TextElement moved = *element;
    moved.position = text->pos();
    doc->replace(*shownNode, moved);
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
    const MemoryElement* element = doc->find<MemoryElement>(*shownNode, id);
    MemoryItem* memory = memoryViews.value(id);
    if (memory) {
        // Back in its place in the stacking order, with its dataflows.
        memory->show();
        memory->showElement(*element);
    } else {
        memory = new MemoryItem(menus ? menus->memoryMenu : nullptr, id);
        memory->setElement(*element);
        memory->setZValue(nextZValue());
        addItem(memory);
        memoryViews.insert(id, memory);
    }
    memoryItems.insert(index, memory);
    update();
}

void Canvas::memoryRemoved(ElementId id)
{
    MemoryItem* memory = memoryViews.value(id);
    if (!memory)
        return;
    memoryItems.removeOne(memory);
    // Parked, as a text is.
    memory->hide();
    if (currentMemory == memory)
        currentMemory = nullptr;
    if (newMemoryItem == memory)
        newMemoryItem = nullptr;
    update();
}

MemoryItem* Canvas::addMemoryItem(const MemoryElement& element)
{
    MemoryElement memory = element;
    memory.id = Document::newId();
    doc->insert(*shownNode, -1, memory);
    newMemoryItem = memoryViews.value(memory.id);
    return newMemoryItem;
}

void Canvas::memoryMoved(MemoryItem* memory)
{
    const MemoryElement* element = doc->find<MemoryElement>(*shownNode, memory->elementId());
    if (!element || ExactValues::same(element->position, memory->pos()))
        return;
    MemoryElement moved = *element;
    moved.position = memory->pos();
    doc->replace(*shownNode, moved);
}
