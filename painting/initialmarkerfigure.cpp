#include "initialmarkerfigure.h"

#include <QPainter>
#include <QPainterPath>

#include "shadowpainting.h"

void InitialMarkerFigure::paint(QPainter* painter)
{
    ShadowPainting::paint(painter, marker, [] {
        QPainterPath outline;
        outline.addEllipse(marker.adjusted(-0.5, -0.5, 0.5, 0.5));
        return outline;
    });
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter->drawEllipse(marker);
}
