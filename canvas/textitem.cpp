#include "textitem.h"

#include "textproperties.h"
#include "qcolourof.h"
#include "exactvalues.h"
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

TextItem::TextItem(QMenu* menu, QPointF at, QGraphicsItem* parent)
    : QGraphicsRectItem(parent)
    , position(at)
    , contextMenu(menu)
{
    TextElement& element = held.edit();
    element.id = nextElementId();
    element.width = 150;
    element.height = 75;
    element.colour = TextElement::defaultColour;
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setPen(framePen(Qt::SolidLine));
    // The rectangle gives the item its shape for hit tests before any paint.
    setRect(0, 0, element.width, element.height);
}

TextItem::~TextItem() = default;

void TextItem::initTextItem()
{
    held.edit().type = Default;
    setSize(150, 75);
    // Centred on the point that was clicked.
    setPos(position - QPointF(held->width / 2, held->height / 2));
}

void TextItem::setElement(const TextElement& element)
{
    prepareGeometryChange();
    const ElementId own = held->id;
    held = element;
    held.edit().id = own;
    setRect(0, 0, held->width, held->height);
    setPos(position);
}

const TextElement& TextItem::element() const
{
    if (!ExactValues::same(held->position, pos()))
        held.edit().position = pos();
    return held;
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

void TextItem::updatePolygon()
{
    prepareGeometryChange();
    // The closed outline: the corners clockwise from the origin and back.
    const QRectF box(0, 0, held->width, held->height);
    held.edit().polygon = QPolygonF(box);
    setRect(box);
}

void TextItem::setAutoDimensions()
{
    const QSize size = TextProperties::autoSize(held->text);
    setSize(size.width(), size.height());
}

void TextItem::setSize(int width, int height)
{
    prepareGeometryChange();
    TextElement& element = held.edit();
    element.width = width;
    element.height = height;
    updatePolygon();
    update();
}

void TextItem::setValues(const Values& values)
{
    TextElement& element = held.edit();
    element.type = values.itemType;
    element.text = values.text;
    setSize(values.width, values.height);
}

void TextItem::setHighlighted()
{
    setPen(framePen(Qt::DotLine));
}

void TextItem::resetHighlighted()
{
    setPen(framePen(Qt::SolidLine));
}

bool TextItem::displayProperties()
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

    const Values after {dialog.width, dialog.height, dialog.itemType, dialog.text};
    if (after == before)
        return false;
    setValues(after);
    return true;
}

void TextItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}

QColor TextItem::defaultBackgroundColour()
{
    return QColor(255, 255, 255, 255);
}
