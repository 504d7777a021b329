#include "dataflowline.h"

#include <QPainter>
#include <QPen>
#include <QtMath>

#include "dataflowitem.h"
#include "memoryitem.h"
#include "processitem.h"

namespace {
const int processType = 37;
const int memoryType = 38;
const int dataflowType = 39;
const qreal arrowSize = 20;

QPointF centreOf(const QGraphicsItem* item)
{
    int w = 0;
    int h = 0;
    if (item->type() == processType) {
        w = static_cast<const ProcessItem*>(item)->getWidth();
        h = static_cast<const ProcessItem*>(item)->getHeight();
    } else if (item->type() == memoryType) {
        w = static_cast<const MemoryItem*>(item)->getWidth();
        h = static_cast<const MemoryItem*>(item)->getHeight();
    } else if (item->type() == dataflowType) {
        w = static_cast<const DataflowItem*>(item)->getWidth();
        h = static_cast<const DataflowItem*>(item)->getHeight();
    }
    return item->pos() + QPointF(w / 2, h / 2);
}

QPolygonF outlineOf(const QGraphicsItem* item)
{
    QPolygonF outline;
    if (item->type() == processType)
        outline = static_cast<const ProcessItem*>(item)->myPolygon();
    else if (item->type() == memoryType)
        outline = static_cast<const MemoryItem*>(item)->myPolygon();
    else if (item->type() == dataflowType)
        outline = static_cast<const DataflowItem*>(item)->myPolygon();
    return outline.translated(item->pos());
}
} // namespace

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
    if (from == processType && to == dataflowType) {
        lineType = 11;
        process = static_cast<ProcessItem*>(start);
        dataflow = static_cast<DataflowItem*>(end);
    } else if (from == memoryType && to == dataflowType) {
        lineType = 12;
        memory = static_cast<MemoryItem*>(start);
        dataflow = static_cast<DataflowItem*>(end);
    } else if (from == dataflowType && to == processType) {
        lineType = 21;
        dataflow = static_cast<DataflowItem*>(start);
        process = static_cast<ProcessItem*>(end);
    } else if (from == dataflowType && to == memoryType) {
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
    const QPointF p1 = centreOf(startItem);
    const QPointF p2 = centreOf(endItem);
    const QLineF centreLine(p1, p2);
    const QPolygonF outline = outlineOf(endItem);
    QPointF intersection(0, 0);
    for (int i = 0; i + 1 < outline.size(); ++i) {
        QPointF point;
        if (QLineF(outline.at(i), outline.at(i + 1)).intersects(centreLine, &point)
            == QLineF::BoundedIntersection) {
            intersection = point;
            break;
        }
    }
    setLine(QLineF(intersection, p1));
}

void DataflowLine::updateArrowHead()
{
    const QLineF l = line();
    const double angle = std::atan2(-l.dy(), l.dx());
    const QPointF p1 = l.p1();
    arrowHead.clear();
    arrowHead << p1
              << p1 + QPointF(std::sin(angle + M_PI / 3) * arrowSize, std::cos(angle + M_PI / 3) * arrowSize)
              << p1 + QPointF(std::sin(angle + M_PI - M_PI / 3) * arrowSize,
                              std::cos(angle + M_PI - M_PI / 3) * arrowSize);
}

QRectF DataflowLine::boundingRect() const
{
    const qreal extra = (pen().width() + 20) / 2.0;
    const QLineF l = line();
    return QRectF(l.p1(), QSizeF(l.p2().x() - l.p1().x(), l.p2().y() - l.p1().y()))
        .normalized()
        .adjusted(-extra, -extra, extra, extra);
}

QPainterPath DataflowLine::shape() const
{
    QPainterPath path = QGraphicsLineItem::shape();
    path.addPolygon(arrowHead);
    return path;
}

void DataflowLine::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (startItem->collidesWithItem(endItem))
        return;

    QPen drawPen = pen();
    drawPen.setColor(Qt::black);
    painter->setPen(drawPen);
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter->setRenderHint(QPainter::Antialiasing, true);

    updateGeometry();
    updateArrowHead();

    painter->drawLine(line());
    if (hasArrowHead())
        painter->drawPolygon(arrowHead);

    if (isSelected()) {
        painter->setPen(QPen(Qt::black, 1, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
        QLineF copy = line();
        copy.translate(0, 4.0);
        painter->drawLine(copy);
        copy.translate(0, -8.0);
        painter->drawLine(copy);
    }
}
