#include "floatingmemoryitem.h"

#include <QPainter>

#include "diagramscene.h"
#include "datastorefigure.h"

namespace {
const QColor newMemoryColor(192, 192, 192);
const QColor defaultMemoryColor(229, 231, 233);
const int emptyWidth = DataStoreFigure::emptyWidth;
const int storeHeight = DataStoreFigure::height;
} // namespace

FloatingMemoryItem::FloatingMemoryItem(QPointF pos)
    : QObject(nullptr)
    , QGraphicsItem(nullptr)
    , colour(newMemoryColor)
    , pen(QBrush(Qt::black), 1, Qt::SolidLine)
{
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    updatePolygon();
    setPos(pos.x() - emptyWidth / 2, pos.y() - storeHeight / 2);
}

void FloatingMemoryItem::setLabel(const QString& text)
{
    label = text;
    update();
}

void FloatingMemoryItem::setDatatype(const QString& text)
{
    datatype = text;
    update();
}

void FloatingMemoryItem::setBackgroundColor(const QColor& newColour)
{
    colour = newColour;
    update();
}

void FloatingMemoryItem::updatePolygon()
{
    // The closed outline: the corners clockwise from the origin and back.
    polygon = QPolygonF(QRectF(0, 0, width, height));
}

QRectF FloatingMemoryItem::boundingRect() const
{
    return QRectF(0, 0, width, height);
}

void FloatingMemoryItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!colour.isValid())
        colour = defaultMemoryColor;
    const int newWidth = DataStoreFigure::width(painter, label, datatype);
    if (newWidth != width || height != storeHeight) {
        prepareGeometryChange();
        width = newWidth;
        height = storeHeight;
        if (auto* canvas = qobject_cast<DiagramScene*>(scene()))
            canvas->floatingItemResized();
    }
    DataStoreFigure::paint(painter, pen, width, colour, label, datatype);
    updatePolygon();
}
