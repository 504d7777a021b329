#include "connectorgeometry.h"

#include <QPainter>
#include <QPen>
#include <QtMath>

namespace {
const qreal arrowSize = 20;
} // namespace

QLineF ConnectorGeometry::clippedLine(const QPointF& startCentre, const QPointF& endCentre,
                                      const QPolygonF& endOutline)
{
    const QLineF centreLine(startCentre, endCentre);
    QPointF intersection(0, 0);
    for (int i = 0; i + 1 < endOutline.size(); ++i) {
        QPointF point;
        if (QLineF(endOutline.at(i), endOutline.at(i + 1)).intersects(centreLine, &point)
            == QLineF::BoundedIntersection) {
            intersection = point;
            break;
        }
    }
    return QLineF(intersection, startCentre);
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
