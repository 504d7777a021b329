#include "itemlook.h"

#include <QGuiApplication>
#include <QLineF>
#include <QTransform>

#include <cmath>

QFont ItemLook::itemFont()
{
    return QGuiApplication::font();
}

qreal ItemLook::levelOfDetail(const QTransform& world)
{
    if (world.type() <= QTransform::TxTranslate)
        return 1;
    // The square root of the area a unit square covers, as the view reckons it.
    return std::sqrt(world.map(QLineF(0, 0, 1, 0)).length() * world.map(QLineF(0, 0, 0, 1)).length());
}
