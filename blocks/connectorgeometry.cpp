#include "connectorgeometry.h"

#include <QGraphicsItem>
#include <QPainter>
#include <QPen>
#include <QtMath>

#include "dataflowitem.h"
#include "itemshadow.h"
#include "itemtype.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"

namespace {
const qreal arrowSize = 20;

QPointF nearestPointOn(const QPolygonF& outline, const QPointF& target)
{
    QPointF best = outline.first();
    qreal bestDistance = QLineF(best, target).length();
    for (int i = 0; i + 1 < outline.size(); ++i) {
        const QPointF a = outline.at(i);
        const QPointF ab = outline.at(i + 1) - a;
        const qreal lengthSquared = QPointF::dotProduct(ab, ab);
        const qreal t = lengthSquared > 0
            ? qBound(0.0, QPointF::dotProduct(target - a, ab) / lengthSquared, 1.0)
            : 0.0;
        const QPointF point = a + t * ab;
        const qreal distance = QLineF(point, target).length();
        if (distance < bestDistance) {
            best = point;
            bestDistance = distance;
        }
    }
    return best;
}
} // namespace

QLineF ConnectorGeometry::clippedLine(const QPointF& startCentre, const QPointF& endCentre,
                                      const QPolygonF& endOutline)
{
    const QLineF centreLine(startCentre, endCentre);
    for (int i = 0; i + 1 < endOutline.size(); ++i) {
        QPointF point;
        if (QLineF(endOutline.at(i), endOutline.at(i + 1)).intersects(centreLine, &point)
            == QLineF::BoundedIntersection)
            return QLineF(point, startCentre);
    }
    if (endOutline.isEmpty())
        return QLineF(endCentre, startCentre);
    return QLineF(nearestPointOn(endOutline, startCentre), startCentre);
}

QPointF ConnectorGeometry::centreOf(const QGraphicsItem* item)
{
    // Integer halves, as the boxes are centred between their ends.
    const QRectF bounds = ItemShadow::ownRect(item);
    return item->pos() + QPointF(int(bounds.width()) / 2, int(bounds.height()) / 2);
}

QPolygonF ConnectorGeometry::outlineOf(const QGraphicsItem* item)
{
    QPolygonF outline;
    switch (item->type()) {
    case ProcessType:
        outline = static_cast<const ProcessItem*>(item)->drawnOutline();
        break;
    case MemoryType:
        outline = static_cast<const MemoryItem*>(item)->myPolygon();
        break;
    case LinkType:
        outline = static_cast<const LinkItem*>(item)->myPolygon();
        break;
    case DataflowType:
        outline = static_cast<const DataflowItem*>(item)->myPolygon();
        break;
    default:
        break;
    }
    // An outline that no longer fits the item (a box not yet repainted after
    // loading) is replaced by the item's own rectangle.
    const QRectF own = ItemShadow::ownRect(item);
    if (outline.isEmpty() || !own.adjusted(-1, -1, 1, 1).contains(outline.boundingRect()))
        outline = QPolygonF(own);
    return outline.translated(item->pos());
}

QPolygonF ConnectorGeometry::arrowHead(const QLineF& l)
{
    const double angle = std::atan2(-l.dy(), l.dx());
    const QPointF p1 = l.p1();
    QPolygonF head;
    head << p1
         << p1 + QPointF(std::sin(angle + M_PI / 3) * arrowSize, std::cos(angle + M_PI / 3) * arrowSize)
         << p1 + QPointF(std::sin(angle + M_PI - M_PI / 3) * arrowSize,
                         std::cos(angle + M_PI - M_PI / 3) * arrowSize);
    return head;
}

QRectF ConnectorGeometry::boundingRect(const QLineF& l, int penWidth)
{
    const qreal extra = (penWidth + 20) / 2.0;
    return QRectF(l.p1(), QSizeF(l.p2().x() - l.p1().x(), l.p2().y() - l.p1().y()))
        .normalized()
        .adjusted(-extra, -extra, extra, extra);
}

void ConnectorGeometry::paint(QPainter* painter, const QPen& pen, const QLineF& line,
                              const QPolygonF* arrowHead, bool selected)
{
    QPen drawPen = pen;
    drawPen.setColor(Qt::black);
    painter->setPen(drawPen);
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter->setRenderHint(QPainter::Antialiasing, true);

    painter->drawLine(line);
    if (arrowHead)
        painter->drawPolygon(*arrowHead);

    if (selected) {
        painter->setPen(QPen(Qt::black, 1, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
        QLineF copy = line;
        copy.translate(0, 4.0);
        painter->drawLine(copy);
        copy.translate(0, -8.0);
        painter->drawLine(copy);
    }
}
