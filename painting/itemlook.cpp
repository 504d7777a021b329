#include "itemlook.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineF>
#include <QTransform>

#include <cmath>

QFont ItemLook::itemFont()
{
    return QGuiApplication::font();
}

ItemLook::Metrics ItemLook::metricsOf(const QFont& font)
{
    thread_local QFont measured;
    thread_local Metrics metrics;
    thread_local bool known = false;
    if (!known || font != measured) {
        const QFontMetrics fontMetrics(font);
        metrics = {fontMetrics.averageCharWidth(), fontMetrics.height()};
        measured = font;
        known = true;
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
