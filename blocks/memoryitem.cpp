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
    properties.label = shown.label;
    properties.description = shown.description;
    properties.datatype = shown.datatype;
    properties.currentColor = shown.colour;
    properties.chosenColor = shown.colour;
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
    shown = BlockValues::of(element);
    polygon = QPolygonF(element.polygon);
    if (width != emptyWidth || height != storeHeight)
        prepareGeometryChange();
    width = emptyWidth;
    height = storeHeight;
    place.follow(this, element.position);
}

void MemoryItem::showElement(const MemoryElement& element)
{
    shown = BlockValues::of(element);
    updatePolygon();
    place.follow(this, element.position);
    update(boundingRect());
}

QRectF MemoryItem::boundingRect() const
{
    return QRectF(0, 0, width, height);
}

void MemoryItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const int newWidth = DataStoreFigure::width(painter, shown.label, shown.datatype);
    if (newWidth != width || height != storeHeight) {
        prepareGeometryChange();
        width = newWidth;
        height = storeHeight;
    }
    DataStoreFigure::paint(painter, pen, width, shown.colour, shown.label, shown.datatype);
    updatePolygon();
}

void MemoryItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}
