#include "connectorfigure.h"

#include <QPaintDevice>
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

// The size in device pixels of what shows a painting: empty where it is not
// known, as for a picture that records painting to be replayed elsewhere.
QSizeF surfaceSize(const QPaintDevice* surface)
{
    if (!surface)
        return QSizeF();
    const QSizeF size(surface->width(), surface->height());
    switch (surface->devType()) {
    case QInternal::Widget:
        return size * surface->devicePixelRatioF();
    case QInternal::Image:
    case QInternal::Pixmap:
        return size;
    default:
        return QSizeF();
    }
}

// The part of line that can show on a surface of the given size in device
// pixels, through the painter's transform: all of a line that could fit on
// it, and of a longer one what lies inside the surface widened so that no cap
// or smoothing of the cut ends shows. False when nothing of it can show.
bool shownPart(const QPainter* painter, const QSizeF& surface, qreal penWidth, QLineF* line)
{
    const QTransform toDevice = painter->combinedTransform();
    const qreal deviceLength = line->length() * std::sqrt(std::abs(toDevice.determinant()));
    if (surface.isEmpty() || deviceLength <= std::hypot(surface.width(), surface.height()))
        return true;
    bool invertible = false;
    const QTransform back = toDevice.inverted(&invertible);
    if (!invertible)
        return true;
    const qreal margin = 8; // device pixels
    const QRectF deviceArea(-margin, -margin, surface.width() + 2 * margin, surface.height() + 2 * margin);
    const qreal reach = penWidth + 1;
    return ConnectorFigure::clipTo(line, back.mapRect(deviceArea).adjusted(-reach, -reach, reach, reach));
}

} // namespace

bool ConnectorFigure::clipTo(QLineF* line, const QRectF& area)
{
    if (area.contains(line->p1()) && area.contains(line->p2()))
        return true;
    const QPointF start = line->p1();
    const QPointF delta = line->p2() - start;
    qreal from = 0;
    qreal to = 1;
    // Each side of the area limits the line's parameter from one end.
    const auto limit = [&from, &to](qreal along, qreal room) {
        if (along == 0)
            return room >= 0;
        const qreal t = room / along;
        if (along < 0)
            from = qMax(from, t);
        else
            to = qMin(to, t);
        return from <= to;
    };
    if (!limit(-delta.x(), start.x() - area.left()) || !limit(delta.x(), area.right() - start.x())
        || !limit(-delta.y(), start.y() - area.top()) || !limit(delta.y(), area.bottom() - start.y()))
        return false;
    *line = QLineF(from > 0 ? start + from * delta : line->p1(), to < 1 ? start + to * delta : line->p2());
    return true;
}

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
                            bool selected, bool antialiased, const QPaintDevice* viewport)
{
    QPen drawPen = pen;
    drawPen.setColor(Qt::black);
    painter->setPen(drawPen);
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter->setRenderHint(QPainter::Antialiasing, antialiased);

    // Qt strokes a line over its whole length, off the device too: one line
    // across a large machine costs more than everything else on screen. Only
    // the part that can show is stroked. Cut elsewhere, a line may round one
    // of its smoothed pixels differently; so only lines longer than the
    // surface's diagonal are cut, and shorter ones are drawn whole. The
    // surface is what shows the painting, not the device it is painted on,
    // which may be the whole window.
    QLineF shown = line;
    if (drawPen.style() != Qt::SolidLine || shownPart(painter, surfaceSize(viewport ? viewport : painter->device()),
                                                       drawPen.widthF(), &shown))
        painter->drawLine(shown);
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
