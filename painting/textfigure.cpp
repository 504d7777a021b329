#include "textfigure.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

QString TextFigure::headingOf(int kind)
{
    switch (kind) {
    case 0: return QStringLiteral("DEFAULT");
    case 1: return QStringLiteral("INCLUDES");
    default: return QStringLiteral("DEFINES");
    }
}

void TextFigure::paint(QPainter* painter) const
{
    const QFontMetricsF metrics(painter->font());
    const qreal cw = metrics.averageCharWidth();
    const qreal lineH = metrics.height();
    const qreal halfH = lineH / 2;

    painter->setPen(QPen(QBrush(Qt::black), 1, penStyle, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    painter->drawRect(QRectF(0, 0, width, height));

    QTextOption unwrapped;
    unwrapped.setWrapMode(QTextOption::NoWrap);
    const int left = int(3 * cw);
    const int textWidth = int(width - 6 * cw);
    painter->setPen(Qt::blue);
    painter->drawText(QRectF(left, int(halfH), textWidth, int(lineH)), heading, unwrapped);
    painter->setPen(Qt::black);
    painter->drawText(QRectF(left, int(2 * halfH + lineH), textWidth, int(height - (lineH + 3 * halfH))), text,
                      unwrapped);
}
