#include "connectorfigure.h"

#include <QPainter>
#include <QPen>
#include <QtMath>

#include <cmath>

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
        const qreal t = lengthSquared > 0 ? qBound(0.0, QPointF::dotProduct(target - a, ab) / lengthSquared, 1.0)
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

QPolygonF ConnectorFigure::arrowHead(const QLineF& line)
{
    const qreal angle = std::atan2(-line.dy(), line.dx());
    const QPointF tip = line.p1();
    QPolygonF head(3);
    head[0] = tip;
    head[1] = tip + QPointF(std::sin(angle + M_PI / 3) * arrowSize, std::cos(angle + M_PI / 3) * arrowSize);
    head[2] = tip + QPointF(std::sin(angle + M_PI - M_PI / 3) * arrowSize,
                            std::cos(angle + M_PI - M_PI / 3) * arrowSize);
    return head;
}

QRectF ConnectorFigure::bounds(const QLineF& line, int penWidth)
{
    const qreal extra = (penWidth + 20) / 2.0;
    return QRectF(line.p1(), QSizeF(line.p2().x() - line.p1().x(), line.p2().y() - line.p1().y()))
        .normalized()
        .adjusted(-extra, -extra, extra, extra);
}

QPointF ConnectorFigure::outlinePoint(const QLineF& centres, const QPolygonF& outline)
{
    for (int i = 1; i < outline.size(); ++i) {
        const QLineF edge(outline.at(i - 1), outline.at(i));
        QPointF hit;
        if (edge.intersects(centres, &hit) == QLineF::BoundedIntersection)
            return hit;
    }
    return centres.p2();
}

QLineF ConnectorFigure::lineTo(const QPointF& from, const QPointF& to, const QPolygonF& outline,
                               const QPointF& origin)
{
    // Without an origin the points stay as they are, to the last bit.
    if (origin.isNull())
        return QLineF(outlinePoint(QLineF(from, to), outline), from);
    return QLineF(outlinePoint(QLineF(from - origin, to - origin), outline) + origin, from);
}

QPolygonF ConnectorFigure::fittedOutline(const QPolygonF& outline, const QRectF& own)
{
    if (outline.isEmpty() || !own.adjusted(-1, -1, 1, 1).contains(outline.boundingRect()))
        return QPolygonF(own);
    return outline;
}

QLineF ConnectorFigure::clippedLine(const QPointF& startCentre, const QPointF& endCentre,
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

void ConnectorFigure::paint(QPainter* painter, const QPen& pen, const QLineF& line, const QPolygonF* arrowHead,
                            bool selected, bool antialiased)
{
    QPen drawPen = pen;
    drawPen.setColor(Qt::black);
    painter->setPen(drawPen);
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter->setRenderHint(QPainter::Antialiasing, antialiased);

    painter->drawLine(line);
    if (arrowHead)
        painter->drawPolygon(*arrowHead, Qt::OddEvenFill);

    if (selected) {
        painter->setPen(QPen(Qt::black, 1, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
        QLineF copy = line;
        copy.translate(0, 4.0);
        painter->drawLine(copy);
        copy.translate(0, -8.0);
        painter->drawLine(copy);
    }
}
