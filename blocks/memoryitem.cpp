#include "memoryitem.h"
#include "memoryproperties.h"

#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "diagramscene.h"
#include "dataflowitem.h"
#include "dataflowline.h"
#include "qcolourof.h"
#include "processitem.h"

namespace {
const QColor newMemoryColor(192, 192, 192);
const QColor defaultMemoryColor(229, 231, 233);
const QColor barColor(139, 0, 139);
const int emptyWidth = 100;
const int storeHeight = 64;
} // namespace

MemoryItem::MemoryItem(QMenu* menu, QPointF pos)
    : QObject(nullptr)
    , QGraphicsItem(nullptr)
    , x(pos.x())
    , y(pos.y())
    , backgroundColor(newMemoryColor)
    , pen(QBrush(Qt::black), 1, Qt::SolidLine)
    , contextMenu(menu)
{
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    updatePolygon();
}

void MemoryItem::initMemoryItem()
{
    if (width != emptyWidth || height != storeHeight)
        prepareGeometryChange();
    width = emptyWidth;
    height = storeHeight;
    updatePolygon();
    setPos(x - emptyWidth / 2, y - storeHeight / 2);
}

void MemoryItem::setLabel(const QString& text)
{
    label = text;
    update();
}

void MemoryItem::setDatatype(const QString& text)
{
    datatype = text;
    update();
}

void MemoryItem::addDataflow(DataflowItem* dataflow)
{
    dataflows.append(dataflow);
}

void MemoryItem::removeDataflow(DataflowItem* dataflow)
{
    dataflows.removeOne(dataflow);
}

void MemoryItem::updatePolygon()
{
    // The closed outline: the corners clockwise from the origin and back.
    polygon = QPolygonF(QRectF(0, 0, width, height));
}

bool MemoryItem::displayProperties()
{
    MemoryProperties properties;
    properties.label = label;
    properties.description = description;
    properties.datatype = datatype;
    properties.currentColor = backgroundColor;
    properties.chosenColor = backgroundColor;
    if (auto* canvas = qobject_cast<DiagramScene*>(scene()))
        properties.setSiblingLabels(canvas->siblingLabels(this));
    properties.fillProperties();
    if (properties.exec() != QDialog::Accepted)
        return false;
    const Values after {properties.label, properties.description, properties.datatype, properties.currentColor};
    const bool changed = after != values();
    setValues(after);
    return changed;
}

void MemoryItem::setValues(const Values& values)
{
    label = values.label;
    description = values.description;
    datatype = values.datatype;
    backgroundColor = values.colour;
    // A dataflow shows the name and type of its memory item.
    for (DataflowItem* dataflow : qAsConst(dataflows)) {
        dataflow->setLabel(label);
        dataflow->setDatatype(datatype);
    }
    updatePolygon();
    update(boundingRect());
}

void MemoryItem::setElement(const MemoryElement& element)
{
    foreign = element.foreign;
    label = element.label;
    description = element.description;
    datatype = element.datatype;
    backgroundColor = qColourOf(element.colour);
    polygon = QPolygonF(element.polygon);
    if (width != emptyWidth || height != storeHeight)
        prepareGeometryChange();
    width = emptyWidth;
    height = storeHeight;
    setPos(x, y);
}

QRectF MemoryItem::boundingRect() const
{
    return QRectF(0, 0, width, height);
}

int MemoryItem::dataStoreWidth(QPainter* painter, const QString& text, const QString& type)
{
    if (text.isEmpty() && type.isEmpty())
        return emptyWidth;
    const qreal c = QFontMetricsF(painter->font(), painter->device()).averageCharWidth();
    const qreal labelWidth = (text.length() + 8) * c;
    const qreal typeWidth = (type.length() + 8) * c;
    const qreal margin = 3 * c;
    return int(2 * margin + (labelWidth >= typeWidth ? labelWidth : typeWidth));
}

void MemoryItem::paintDataStore(QPainter* painter, const QPen& pen, int w, int h,
                                const QColor& colour, const QString& text, const QString& type)
{
    QPen barPen = pen;
    barPen.setWidth(4);
    barPen.setColor(barColor);
    painter->setPen(barPen);
    painter->drawLine(QPointF(0, 0), QPointF(w, 0));
    painter->drawLine(QPointF(0, h - 4), QPointF(w, h - 4));

    painter->fillRect(QRect(QPoint(0, 5), QPoint(w - 1, h - 10)), colour);

    if (text.isEmpty() && type.isEmpty())
        return;
    const qreal c = QFontMetricsF(painter->font(), painter->device()).averageCharWidth();
    const int flags = Qt::AlignCenter | Qt::TextDontClip;
    painter->setPen(QPen(QBrush(Qt::black), 1, Qt::SolidLine));
    painter->drawText(QRect(int(3 * c), 10, int((text.length() + 8) * c), 21), flags, text);
    painter->drawText(QRect(int(3 * c), 30, int((type.length() + 8) * c), 21), flags, type);
}

void MemoryItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!backgroundColor.isValid())
        backgroundColor = defaultBackgroundColour();
    const int newWidth = dataStoreWidth(painter, label, datatype);
    if (newWidth != width || height != storeHeight) {
        prepareGeometryChange();
        width = newWidth;
        height = storeHeight;
    }
    paintDataStore(painter, pen, width, height, backgroundColor, label, datatype);
    updatePolygon();
}

void MemoryItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}

QColor MemoryItem::defaultBackgroundColour()
{
    return defaultMemoryColor;
}
