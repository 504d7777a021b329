#include "coverageframe.h"

#include <QPainterPath>
#include <QPen>

#include "itemshadow.h"

CoverageFrame::CoverageFrame(const QGraphicsItem* item, bool reached)
    : QGraphicsRectItem(ItemShadow::sceneRectOf(item).adjusted(-width, -width, width, width))
{
    setPen(QPen(colour(reached), width));
}

QPainterPath CoverageFrame::shape() const
{
    return QPainterPath();
}
