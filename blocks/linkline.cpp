#include "linkline.h"

#include <QPen>
#include <QWidget>

#include "connectorfigure.h"
#include "connectorgeometry.h"
#include "itemtype.h"
#include "linkitem.h"
#include "processitem.h"

LinkLine::LinkLine(QGraphicsItem* start, QGraphicsItem* end, QObject* /*parent*/)
    : QObject(nullptr)
    , QGraphicsLineItem(nullptr)
    , startItem(start)
    , endItem(end)
{
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemStacksBehindParent, true);
    setPen(QPen(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (startItem->type() == ProcessType) {
        lineType = 1;
        process = static_cast<ProcessItem*>(startItem);
        link = static_cast<LinkItem*>(endItem);
    } else if (startItem->type() == LinkType) {
        lineType = 2;
        link = static_cast<LinkItem*>(startItem);
        process = static_cast<ProcessItem*>(endItem);
    }
    updateGeometry();
    updateArrowHead();
}

LinkLine::~LinkLine()
{
    // Destroyed on its own (by the scene): the box must not delete it again.
    if (link)
        link->forgetLine(this);
}

void LinkLine::updateGeometry()
{
    setLine(ConnectorFigure::clippedLine(ConnectorGeometry::centreOf(startItem),
                                            ConnectorGeometry::centreOf(endItem),
                                            ConnectorGeometry::outlineOf(endItem)));
}

void LinkLine::updateArrowHead()
{
    arrowHead = ConnectorFigure::arrowHead(line());
}

QRectF LinkLine::boundingRect() const
{
    return ConnectorFigure::bounds(line(), pen().width());
}

QPainterPath LinkLine::shape() const
{
    QPainterPath path = QGraphicsLineItem::shape();
    path.addPolygon(arrowHead);
    return path;
}

void LinkLine::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget* viewport)
{
    if (startItem->collidesWithItem(endItem))
        return;

    updateGeometry();
    updateArrowHead();
    ConnectorFigure::paint(painter, pen(), line(), lineType == 2 ? &arrowHead : nullptr, isSelected(), true, viewport);
}
