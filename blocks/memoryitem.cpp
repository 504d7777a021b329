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
#include "exactvalues.h"
#include "qcolourof.h"
#include "processitem.h"

namespace {
const QColor defaultMemoryColor(229, 231, 233);
const int emptyWidth = DataStoreFigure::emptyWidth;
const int storeHeight = DataStoreFigure::height;
} // namespace

MemoryItem::MemoryItem(QMenu* menu, ElementId id)
    : QObject(nullptr)
    , QGraphicsItem(nullptr)
    , pen(QBrush(Qt::black), 1, Qt::SolidLine)
    , contextMenu(menu)
    , identity(id)
{
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    updatePolygon();
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

bool MemoryItem::displayProperties(Values* after) const
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
    *after = {properties.label, properties.description, properties.datatype, properties.currentColor};
    return *after != values();
}

void MemoryItem::setElement(const MemoryElement& element)
{
    label = element.label;
    description = element.description;
    datatype = element.datatype;
    backgroundColor = qColourOf(element.colour);
    polygon = QPolygonF(element.polygon);
    if (width != emptyWidth || height != storeHeight)
        prepareGeometryChange();
    width = emptyWidth;
    height = storeHeight;
    placed = element.position;
    setPos(placed);
}

void MemoryItem::showElement(const MemoryElement& element)
{
    label = element.label;
    description = element.description;
    datatype = element.datatype;
    backgroundColor = qColourOf(element.colour);
    updatePolygon();
    if (!ExactValues::same(placed, element.position)) {
        placed = element.position;
        setPos(placed);
    }
    update(boundingRect());
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
