#include "transitionfigure.h"

#include <QPainter>
#include <QTextOption>

#include "itemlook.h"
#include "shadowpainting.h"

void TransitionFigure::paint(QPainter* painter) const
{
    ShadowPainting::paint(painter, QRectF(0, 0, width, height), [this] {
        QPainterPath outline;
        outline.addRect(QRectF(-0.5, -0.5, width + 1, height + 1));
        return outline;
    });

    painter->setFont(ItemLook::itemFont());
    const ItemLook::Metrics metrics = ItemLook::metricsOf(painter);
    const int cw = metrics.averageCharWidth;
    const int lineH = metrics.height;
    const int halfH = lineH / 2;

    painter->setPen(QPen(QBrush(Qt::black), 1, penStyle, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    painter->drawRect(QRectF(0, 0, width, height));
    // Too small to read far out.
    if (ItemLook::levelOfDetail(painter->worldTransform()) < ItemLook::farOut)
        return;

    QTextOption unwrapped;
    unwrapped.setWrapMode(QTextOption::NoWrap);
    const qreal textWidth = width - 6 * cw;
    painter->setPen(Qt::black);
    painter->drawText(QRectF(3 * cw, halfH, textWidth, lineH), label, unwrapped);
    painter->setPen(Qt::blue);
    painter->drawText(QRectF(3 * cw, lineH + 2 * halfH, textWidth, lineH), condition, unwrapped);
    painter->setPen(Qt::black);
    painter->drawText(QRectF(3 * cw, 2 * lineH + 3 * halfH, textWidth, height - (2 * lineH + 4 * halfH)), action,
                      unwrapped);
}
