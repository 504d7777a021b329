#include "labelboxfigure.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {
// As long as the connectors' arrow heads, if the box has the room.
const qreal arrowLength = 17;
} // namespace

QSize LabelBoxFigure::size(QPainter* painter, const QString& label)
{
    if (label.isEmpty())
        return QSize(emptyWidth, emptyHeight);
    const QFontMetricsF metrics(painter->font(), painter->device());
    const qreal c = metrics.averageCharWidth();
    const qreal h = metrics.height();
    return QSize(int((label.length() + 14) * c), int(h + c));
}

QRect LabelBoxFigure::textRect(QPainter* painter, const QString& label)
{
    const QFontMetricsF metrics(painter->font(), painter->device());
    const qreal c = metrics.averageCharWidth();
    const qreal h = metrics.height();
    return QRect(int(3 * c), int(c / 2), int((label.length() + 8) * c), int(h));
}

void LabelBoxFigure::paint(QPainter* painter, const QSize& size, const QString& label, const QColor& colour,
                           Qt::PenStyle penStyle)
{
    painter->setPen(QPen(QBrush(Qt::black), 1, penStyle));
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    painter->drawRect(QRectF(0, 0, size.width(), size.height()));
    if (!label.isEmpty())
        painter->drawText(textRect(painter, label), textFlags, label);
}

void LabelBoxFigure::paintDirection(QPainter* painter, const QSize& size, int direction)
{
    const qreal margin = QFontMetricsF(painter->font(), painter->device()).averageCharWidth() * 3;
    const qreal length = qMin(arrowLength, margin - 2);
    const qreal halfWidth = qMin(arrowLength / 2, size.height() / 2.0 - 2);
    if (length <= 0 || halfWidth <= 0)
        return;
    const QPointF tip(direction > 0 ? size.width() : 0, size.height() / 2.0);
    const QPointF base = tip - QPointF(direction * length, 0);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    painter->drawPolygon(QPolygonF({tip, base + QPointF(0, halfWidth), base - QPointF(0, halfWidth)}));
}

QPolygonF LabelBoxFigure::mirrorOutline(const QSize& size, int direction)
{
    const int width = size.width();
    const int height = size.height();
    const int half = height / 2;
    if (direction == 0) {
        return QPolygonF({QPointF(width, half), QPointF(width - tipDepth, 0), QPointF(0, 0), QPointF(0, height),
                          QPointF(width - tipDepth, height)});
    }
    return QPolygonF({QPointF(0, half), QPointF(tipDepth, 0), QPointF(width, 0), QPointF(width, height),
                      QPointF(tipDepth, height)});
}

void LabelBoxFigure::paintMirror(QPainter* painter, const QPolygonF& outline, const QString& label,
                                 const QColor& colour)
{
    painter->setPen(QPen(QBrush(Qt::black), 1, Qt::SolidLine));
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    painter->drawPolygon(outline);
    if (!label.isEmpty())
        painter->drawText(textRect(painter, label), textFlags, label);
}
