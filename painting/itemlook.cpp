#include "itemlook.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineF>
#include <QPainter>
#include <QTransform>

#include <cmath>

QFont ItemLook::itemFont()
{
    return QGuiApplication::font();
}

ItemLook::Metrics ItemLook::metricsOf(const QPainter* painter)
{
    // The painter's font carries its device's resolution, which fonts do not
    // compare.
    const QFont font = painter->font();
    const int dpi = painter->device() ? painter->device()->logicalDpiY() : 0;
    thread_local QFont measuredFont;
    thread_local int measuredDpi = -1;
    thread_local Metrics metrics;
    if (dpi != measuredDpi || font != measuredFont) {
        const QFontMetrics fontMetrics(font);
        metrics = {fontMetrics.averageCharWidth(), fontMetrics.height()};
        measuredFont = font;
        measuredDpi = dpi;
    }
    return metrics;
}

qreal ItemLook::levelOfDetail(const QTransform& world)
{
    if (world.type() <= QTransform::TxTranslate)
        return 1;
    // The square root of the area a unit square covers, as the view reckons it.
    return std::sqrt(world.map(QLineF(0, 0, 1, 0)).length() * world.map(QLineF(0, 0, 0, 1)).length());
}
