#include "coverageframe.h"

#include <QPainterPath>
#include <QPen>

#include "itemshadow.h"

QColor CoverageFrame::colour(bool reached)
{
    return reached ? QColor(0x2e, 0xa0, 0x55) : QColor(0xe5, 0x48, 0x48);
}

CoverageFrame::CoverageFrame(const QGraphicsItem* item, bool reached)
    : QGraphicsRectItem(ItemShadow::sceneRectOf(item).adjusted(-width, -width, width, width))
{
    setPen(QPen(colour(reached), width));
}

QPainterPath CoverageFrame::shape() const
{
    return QPainterPath();
}
