#include "memoryitem.h"
#include "memoryproperties.h"

#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "diagramscene.h"
#include "dataflowitem.h"
#include "dataflowline.h"
#include "datastorefigure.h"
#include "qcolourof.h"
#include "processitem.h"

namespace {
const QColor newMemoryColor(192, 192, 192);
const QColor defaultMemoryColor(229, 231, 233);
const int emptyWidth = DataStoreFigure::emptyWidth;
const int storeHeight = DataStoreFigure::height;
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

void MemoryItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!backgroundColor.isValid())
        backgroundColor = defaultBackgroundColour();
    const int newWidth = DataStoreFigure::width(painter, label, datatype);
    if (newWidth != width || height != storeHeight) {
        prepareGeometryChange();
        width = newWidth;
        height = storeHeight;
    }
    DataStoreFigure::paint(painter, pen, width, backgroundColor, label, datatype);
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
