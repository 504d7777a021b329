#include "itemshadow.h"

#include <QGraphicsItem>

#include "itemtype.h"
#include "shadowpainting.h"

namespace {

bool castsShadow(const QGraphicsItem* item)
{
    switch (item->type()) {
    case StateType:
    case TransitionType:
    case ProcessType:
    case InitialMarkerType:
        return true;
    default:
        return false;
    }
}

} // namespace

QRectF ItemShadow::ownRect(const QGraphicsItem* item)
{
    const QRectF bounds = item->boundingRect();
    if (!castsShadow(item))
        return bounds;
    // The reverse of ShadowPainting::around().
    const qreal before = ShadowPainting::blurRadius - ShadowPainting::offset.x();
    const qreal after = ShadowPainting::blurRadius + ShadowPainting::offset.x();
    return bounds.adjusted(before, before, -after, -after);
}

QRectF ItemShadow::sceneRectOf(const QGraphicsItem* item)
{
    return item->mapRectToScene(ownRect(item));
}
