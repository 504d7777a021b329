#include "linkline.h"

#include <QPainter>
#include <QPen>
#include <QtMath>

#include "linkitem.h"
#include "processitem.h"

namespace {
const int processType = 37;
const int linkType = 36;
const qreal arrowSize = 20;

QPointF centreOf(const QGraphicsItem* item)
{
    if (item->type() == processType) {
        auto* process = static_cast<const ProcessItem*>(item);
        return item->pos() + QPointF(process->getWidth() / 2, process->getHeight() / 2);
    }
    auto* box = static_cast<const LinkItem*>(item);
    return item->pos() + QPointF(box->getWidth() / 2, box->getHeight() / 2);
}

QPolygonF outlineOf(const QGraphicsItem* item)
{
    if (item->type() == processType)
        return static_cast<const ProcessItem*>(item)->myPolygon().translated(item->pos());
    return static_cast<const LinkItem*>(item)->myPolygon().translated(item->pos());
}
} // namespace

LinkLine::LinkLine(QGraphicsItem* start, QGraphicsItem* end, QObject* /*parent*/)
    : QObject(nullptr)
    , QGraphicsLineItem(nullptr)
    , startItem(start)
    , endItem(end)
{
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemStacksBehindParent, true);
    setPen(QPen(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (startItem->type() == processType) {
        lineType = 1;
        process = static_cast<ProcessItem*>(startItem);
        link = static_cast<LinkItem*>(endItem);
    } else if (startItem->type() == linkType) {
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

void LinkLine::updateArrowHead()
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

QRectF LinkLine::boundingRect() const
{
    const qreal extra = (pen().width() + 20) / 2.0;
    const QLineF l = line();
    return QRectF(l.p1(), QSizeF(l.p2().x() - l.p1().x(), l.p2().y() - l.p1().y()))
        .normalized()
        .adjusted(-extra, -extra, extra, extra);
}

QPainterPath LinkLine::shape() const
{
    QPainterPath path = QGraphicsLineItem::shape();
    path.addPolygon(arrowHead);
    return path;
}

void LinkLine::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
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
    if (lineType == 2)
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
