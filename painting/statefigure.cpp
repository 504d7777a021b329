#include "statefigure.h"

#include <QPainter>
#include <QTextOption>

#include "itemlook.h"
#include "shadowpainting.h"

void StateFigure::paint(QPainter* painter) const
{
    ShadowPainting::paint(painter, QRectF(0, 0, width, height), [this] {
        QPainterPath outline;
        outline.addRoundedRect(QRectF(-0.5, -0.5, width + 1, height + 1), cornerRadius, cornerRadius,
                               Qt::AbsoluteSize);
        return outline;
    });
    const bool farOut = ItemLook::levelOfDetail(painter->worldTransform()) < ItemLook::farOut;
    painter->setFont(ItemLook::itemFont());
    const ItemLook::Metrics metrics = ItemLook::metricsOf(painter);
    const int cw = metrics.averageCharWidth;
    const int lineH = metrics.height;
    const int halfH = lineH / 2;

    painter->setPen(QPen(QBrush(Qt::black), 1, penStyle));
    // Qt 5.15 folds the high-quality hint into plain antialiasing.
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    painter->drawRoundedRect(QRectF(0, 0, width, height), cornerRadius, cornerRadius, Qt::AbsoluteSize);

    painter->drawLine(QLineF(0, lineH + 2 * halfH, width, lineH + 2 * halfH));
    // Too small to read far out.
    if (farOut)
        return;
    painter->drawText(QRectF(3 * cw, halfH, width - 6 * cw, lineH), Qt::AlignCenter | Qt::TextSingleLine, label);
    QTextOption unwrapped;
    unwrapped.setWrapMode(QTextOption::NoWrap);
    painter->drawText(QRectF(3 * cw, lineH + 3 * halfH, width - 6 * cw, height - (lineH + 4 * halfH)), action,
                      unwrapped);
}
