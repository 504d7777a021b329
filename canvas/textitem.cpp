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

TextItem::TextItem(QMenu* menu, QPointF at, QGraphicsItem* parent)
    : QGraphicsRectItem(parent)
    , position(at)
    , contextMenu(menu)
{
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setPen(framePen(Qt::SolidLine));
    // The rectangle gives the item its shape for hit tests before any paint.
    setRect(0, 0, width, height);
}

TextItem::~TextItem() = default;

void TextItem::initTextItem()
{
    width = 150;
    height = 75;
    itemType = Default;
    updatePolygon();
    // Centred on the point that was clicked.
    setPos(position - QPointF(width / 2, height / 2));
}

void TextItem::setElement(const TextElement& element)
{
    foreign = element.foreign;
    itemType = element.type;
    backgroundColour = qColourOf(element.colour);
    textColour = qColourOf(element.textColour);
    polygon = QPolygonF(element.polygon);
    action = element.text;
    prepareGeometryChange();
    width = element.width;
    height = element.height;
    setRect(0, 0, width, height);
    setPos(position);
}

QString TextItem::heading() const
{
    return TextFigure::headingOf(itemType);
}

QRectF TextItem::boundingRect() const
{
    return QRectF(0, 0, width, height);
}

void TextItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!backgroundColour.isValid())
        backgroundColour = defaultBackgroundColour();
    setRect(0, 0, width, height);
    TextFigure {width, height, heading(), action, backgroundColour, pen().style()}.paint(painter);
}

void TextItem::updatePolygon()
{
    prepareGeometryChange();
    // The closed outline: the corners clockwise from the origin and back.
    polygon = QPolygonF(QRectF(0, 0, width, height));
    setRect(0, 0, width, height);
}

void TextItem::setAutoDimensions()
{
    const QSize size = TextProperties::autoSize(action);
    prepareGeometryChange();
    width = size.width();
    height = size.height();
    updatePolygon();
    update();
}

void TextItem::setValues(const Values& values)
{
    prepareGeometryChange();
    width = values.width;
    height = values.height;
    itemType = values.itemType;
    action = values.text;
    updatePolygon();
    update();
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
    TextProperties dialog;
    dialog.width = width;
    dialog.height = height;
    dialog.text = action;
    dialog.itemType = itemType;
    dialog.fillProperties();
    if (dialog.exec() != QDialog::Accepted)
        return false;

    const Values after {dialog.width, dialog.height, dialog.itemType, dialog.text};
    if (after == values())
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
