// The canvas as a view of its document: the text items follow the texts.

#include "canvas.h"

#include "exactvalues.h"
#include "textitem.h"
#include "textproperties.h"

void Canvas::elementAdded(const ProjectNode& node, ElementKind kind, ElementId id, int index)
{
    if (kind != ElementKind::Text || &node != shownNode)
        return;
    const TextElement* element = doc->find<TextElement>(node, id);
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

void Canvas::elementChanged(const ProjectNode& node, ElementKind kind, ElementId id)
{
    if (kind != ElementKind::Text || &node != shownNode)
        return;
    if (TextItem* text = textViews.value(id))
        text->setElement(*doc->find<TextElement>(node, id));
    update();
}

void Canvas::elementRemoved(const ProjectNode& node, ElementKind kind, ElementId id)
{
    if (kind != ElementKind::Text || &node != shownNode)
        return;
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
