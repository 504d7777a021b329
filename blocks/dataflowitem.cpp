#include "dataflowitem.h"
#include "dataflowproperties.h"

#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "dataflowline.h"
#include "itemshadow.h"
#include "itemtype.h"
#include "labelboxfigure.h"
#include "qcolourof.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"

namespace {
const QColor defaultDataflowColor(249, 231, 159);
const int emptyWidth = LabelBoxFigure::emptyWidth;
const int emptyHeight = LabelBoxFigure::emptyHeight;

QPointF centreOf(const QGraphicsItem* item)
{
    if (item->type() == ProcessType) {
        auto* process = static_cast<const ProcessItem*>(item);
        return item->pos() + QPointF(process->getWidth() / 2, process->getHeight() / 2);
    }
    if (item->type() == MemoryType) {
        auto* memory = static_cast<const MemoryItem*>(item);
        return item->pos() + QPointF(memory->getWidth() / 2, memory->getHeight() / 2);
    }
    const QRectF bounds = ItemShadow::ownRect(item);
    return item->pos() + QPointF(int(bounds.width()) / 2, int(bounds.height()) / 2);
}
} // namespace

DataflowItem::DataflowItem(QMenu* menu, ElementId id, QGraphicsItem* start, QGraphicsItem* end)
    : QObject(nullptr)
    , QGraphicsItem(nullptr)
    , myStartItem(start)
    , myEndItem(end)
    , contextMenu(menu)
    , pen(QBrush(Qt::black), 1, Qt::SolidLine)
    , identity(id)
{
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);

    if (start->type() == ProcessType && end->type() == MemoryType) {
        lineType = 1;
        process = static_cast<ProcessItem*>(start);
        memory = static_cast<MemoryItem*>(end);
    } else if (start->type() == MemoryType && end->type() == ProcessType) {
        lineType = 2;
        memory = static_cast<MemoryItem*>(start);
        process = static_cast<ProcessItem*>(end);
    }
    updatePolygon();
}

DataflowElement DataflowItem::newElement(const QGraphicsItem* start, const QGraphicsItem* end)
{
    DataflowElement dataflow;
    const bool writes = start->type() == ProcessType;
    const auto* process = static_cast<const ProcessItem*>(writes ? start : end);
    const auto* memory = static_cast<const MemoryItem*>(writes ? end : start);
    dataflow.lineType = writes ? 1 : 2;
    dataflow.process = process->elementId();
    dataflow.memory = memory->elementId();
    dataflow.label = memory->getLabel();
    dataflow.datatype = memory->getDatatype();
    dataflow.position = (centreOf(start) + centreOf(end)) / 2 - QPointF(emptyWidth / 2, emptyHeight / 2);
    dataflow.colour = colourOf(defaultDataflowColor);
    // The outline of a box not painted yet.
    dataflow.polygon = QPolygonF(QRectF(0, 0, 100, 21));
    return dataflow;
}

DataflowItem::~DataflowItem()
{
    removeDataflowLines();
}

ProcessItem* DataflowItem::getProcess() const
{
    return process.data();
}

MemoryItem* DataflowItem::getMemory() const
{
    return memory.data();
}

void DataflowItem::removeDataflowLines()
{
    DataflowLine* lines[] = {startLine, endLine};
    startLine = nullptr;
    endLine = nullptr;
    for (DataflowLine* line : lines) {
        if (!line)
            continue;
        line->detachFromDataflow();
        if (line->scene())
            line->scene()->removeItem(line);
        delete line;
    }
}

void DataflowItem::forgetLine(DataflowLine* line)
{
    if (startLine == line)
        startLine = nullptr;
    if (endLine == line)
        endLine = nullptr;
}

void DataflowItem::updatePolygon()
{
    // The closed outline: the corners clockwise from the origin and back.
    polygon = QPolygonF(QRectF(0, 0, width, height));
}

bool DataflowItem::displayProperties(Values* after) const
{
    DataflowProperties properties;
    properties.label = shown.label;
    properties.description = shown.description;
    properties.datatype = shown.datatype;
    properties.currentColor = shown.colour;
    properties.chosenColor = shown.colour;
    properties.fillProperties();
    if (properties.exec() != QDialog::Accepted)
        return false;
    // Name and type cannot be edited in the dialog; they come back unchanged.
    *after = {properties.label, properties.description, properties.datatype, properties.currentColor};
    return *after != values();
}

void DataflowItem::setElement(const DataflowElement& element)
{
    lineType = element.lineType;
    shown = BlockValues::of(element);
    polygon = QPolygonF(element.polygon);
    place.follow(this, element.position);
    update();
}

void DataflowItem::showElement(const DataflowElement& element)
{
    shown = BlockValues::of(element);
    updatePolygon();
    place.follow(this, element.position);
    update(boundingRect());
}

void DataflowItem::setHighlighted()
{
    prepareGeometryChange();
    pen.setStyle(Qt::DotLine);
    update();
}

void DataflowItem::resetHighlighted()
{
    prepareGeometryChange();
    pen.setStyle(Qt::SolidLine);
    update();
}

QRectF DataflowItem::boundingRect() const
{
    return QRectF(0, 0, width, height);
}

void DataflowItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (myStartItem && myEndItem && myStartItem->collidesWithItem(myEndItem))
        return;

    const QSize size = LabelBoxFigure::size(painter, shown.label);
    if (size.width() != width || size.height() != height) {
        prepareGeometryChange();
        width = size.width();
        height = size.height();
    }
    LabelBoxFigure::paint(painter, size, shown.label, shown.colour, pen.style());
    if (myEndItem && collidesWithItem(myEndItem))
        paintDirectionOnEdge(painter);
    updatePolygon();
}

void DataflowItem::paintDirectionOnEdge(QPainter* painter)
{
    // The box covers the end it points to, so the line with the arrow head is
    // hidden; an arrow head on the box's own edge still shows the direction,
    // pointing on the way the flow comes in from the start item.
    const qreal box = centreOf(this).x();
    const int direction =
        LabelBoxFigure::direction(box, myStartItem ? centreOf(myStartItem).x() : box, centreOf(myEndItem).x());
    LabelBoxFigure::paintDirection(painter, QSize(width, height), direction);
}

void DataflowItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}
