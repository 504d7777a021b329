#include "processfigure.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "shadowpainting.h"

QPolygonF ProcessFigure::outline() const
{
    const QRectF own(0, 0, width, height);
    QPainterPath drawn;
    if (shape == 1)
        drawn.addRoundedRect(own, cornerRadius, cornerRadius, Qt::AbsoluteSize);
    else
        drawn.addEllipse(own);
    return drawn.toFillPolygon();
}

void ProcessFigure::paint(QPainter* painter) const
{
    const QRectF own(0, 0, width, height);
    ShadowPainting::paint(painter, own, [this, own] {
        QPainterPath outline;
        const QRectF shadowed = own.adjusted(-0.5, -0.5, 0.5, 0.5);
        if (shape == 1)
            outline.addRoundedRect(shadowed, cornerRadius, cornerRadius, Qt::AbsoluteSize);
        else
            outline.addEllipse(shadowed);
        return outline;
    });
    painter->setPen(QPen(QBrush(Qt::black), 1, penStyle, Qt::RoundCap, Qt::RoundJoin));
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    if (shape == 1)
        painter->drawRoundedRect(own, cornerRadius, cornerRadius, Qt::AbsoluteSize);
    else
        painter->drawEllipse(own);

    const QFontMetricsF metrics(painter->font(), painter->device());
    const qreal c = metrics.averageCharWidth();
    const QRect textRect(int(3 * c), height / 2, int(width - 6 * c), int(metrics.height()));
    painter->setPen(Qt::black);
    painter->drawText(textRect, Qt::AlignCenter, label);
}
