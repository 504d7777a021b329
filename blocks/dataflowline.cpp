#include "dataflowline.h"

#include <QPen>
#include <QWidget>

#include "connectorfigure.h"
#include "connectorgeometry.h"
#include "dataflowitem.h"
#include "itemtype.h"
#include "memoryitem.h"
#include "processitem.h"

DataflowLine::DataflowLine(QGraphicsItem* start, QGraphicsItem* end, QObject* /*parent*/)
    : QObject(nullptr)
    , QGraphicsLineItem(nullptr)
    , startItem(start)
    , endItem(end)
{
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemStacksBehindParent, true);
    setPen(QPen(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    const int from = start->type();
    const int to = end->type();
    if (from == ProcessType && to == DataflowType) {
        lineType = 11;
        process = static_cast<ProcessItem*>(start);
        dataflow = static_cast<DataflowItem*>(end);
    } else if (from == MemoryType && to == DataflowType) {
        lineType = 12;
        memory = static_cast<MemoryItem*>(start);
        dataflow = static_cast<DataflowItem*>(end);
    } else if (from == DataflowType && to == ProcessType) {
        lineType = 21;
        dataflow = static_cast<DataflowItem*>(start);
        process = static_cast<ProcessItem*>(end);
    } else if (from == DataflowType && to == MemoryType) {
        lineType = 22;
        dataflow = static_cast<DataflowItem*>(start);
        memory = static_cast<MemoryItem*>(end);
    }
    updateGeometry();
    updateArrowHead();
}

DataflowLine::~DataflowLine()
{
    // Destroyed on its own (by the scene): the box must not delete it again.
    if (dataflow)
        dataflow->forgetLine(this);
}

void DataflowLine::updateGeometry()
{
    setLine(ConnectorFigure::clippedLine(ConnectorGeometry::centreOf(startItem),
                                            ConnectorGeometry::centreOf(endItem),
                                            ConnectorGeometry::outlineOf(endItem)));
}

void DataflowLine::updateArrowHead()
{
    arrowHead = ConnectorFigure::arrowHead(line());
}

QRectF DataflowLine::boundingRect() const
{
    return ConnectorFigure::bounds(line(), pen().width());
}

QPainterPath DataflowLine::shape() const
{
    QPainterPath path = QGraphicsLineItem::shape();
    path.addPolygon(arrowHead);
    return path;
}

void DataflowLine::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget* viewport)
{
    if (startItem->collidesWithItem(endItem))
        return;

    updateGeometry();
    updateArrowHead();
    ConnectorFigure::paint(painter, pen(), line(), hasArrowHead() ? &arrowHead : nullptr, isSelected(), true,
                           viewport);
}
