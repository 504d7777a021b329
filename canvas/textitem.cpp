#include "textitem.h"

#include "textproperties.h"
#include "qcolourof.h"
#include "textfigure.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPen>

namespace {
QPen framePen(Qt::PenStyle style)
{
    return QPen(QBrush(Qt::black), 2, style, Qt::RoundCap, Qt::RoundJoin);
}
} // namespace

TextItem::TextItem(QMenu* menu, ElementId id)
    : QGraphicsRectItem(nullptr)
    , contextMenu(menu)
{
    held.edit().id = id;
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setPen(framePen(Qt::SolidLine));
}

TextItem::~TextItem() = default;

TextElement TextItem::newElement(QPointF centre)
{
    TextElement element;
    element.id = nextElementId();
    element.type = Default;
    element.colour = TextElement::defaultColour;
    element = resized(element, 150, 75);
    element.position = centre - QPointF(element.width / 2, element.height / 2);
    return element;
}

TextElement TextItem::resized(TextElement element, int width, int height)
{
    element.width = width;
    element.height = height;
    // The closed outline: the corners clockwise from the origin and back.
    element.polygon = QPolygonF(QRectF(0, 0, width, height));
    return element;
}

TextElement TextItem::withValues(TextElement element, const Values& values)
{
    element.type = values.itemType;
    element.text = values.text;
    return resized(element, values.width, values.height);
}

void TextItem::setElement(const TextElement& element)
{
    prepareGeometryChange();
    held = element;
    // The rectangle gives the item its shape for hit tests before any paint.
    setRect(0, 0, held->width, held->height);
    place.follow(this, held->position);
    update();
}

QColor TextItem::getBackgroundColor() const
{
    return qColourOf(held->colour);
}

QString TextItem::heading() const
{
    return TextFigure::headingOf(held->type);
}

QRectF TextItem::boundingRect() const
{
    return QRectF(0, 0, held->width, held->height);
}

void TextItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    TextFigure {held->width, held->height, heading(), held->text, getBackgroundColor(), pen().style()}.paint(painter);
}

void TextItem::setHighlighted()
{
    setPen(framePen(Qt::DotLine));
}

void TextItem::resetHighlighted()
{
    setPen(framePen(Qt::SolidLine));
}

bool TextItem::displayProperties(Values* after) const
{
    const Values before = values();
    TextProperties dialog;
    dialog.width = before.width;
    dialog.height = before.height;
    dialog.text = before.text;
    dialog.itemType = before.itemType;
    dialog.fillProperties();
    if (dialog.exec() != QDialog::Accepted)
        return false;

    *after = {dialog.width, dialog.height, dialog.itemType, dialog.text};
    return *after != before;
}

void TextItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}
