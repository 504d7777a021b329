#include "initialtransition.h"

#include "initialmarkerfigure.h"
#include "shadowpainting.h"

#include "stateitem.h"

#include <QPainter>
#include <QtGlobal>

InitialTransition::InitialTransition() = default;

InitialTransition::~InitialTransition() = default;

void InitialTransition::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!safeToPaint || !state)
        return;
    InitialMarkerFigure::paint(painter);
}

QRectF InitialTransition::boundingRect() const
{
    return ShadowPainting::around(marker);
}

QPainterPath InitialTransition::shape() const
{
    QPainterPath path;
    path.addRect(marker);
    return path;
}

void InitialTransition::clearInitialState()
{
    safeToPaint = false;
    state = nullptr;
}

void InitialTransition::setSafeToPaint(bool on)
{
    if (on && !state) {
        safeToPaint = false;
        return;
    }
    safeToPaint = on;
    updatePosition();
}

void InitialTransition::updatePosition()
{
    if (!safeToPaint || !state)
        return;
    const QPointF target = InitialMarkerFigure::placeOver(state->pos(), state->getWidth(), state->getHeight());
    if (qAbs(pos().x() - target.x()) <= 1e-12 && qAbs(pos().y() - target.y()) <= 1e-12)
        return;
    setPos(target);
}

void InitialTransition::contextMenuEvent(QGraphicsSceneContextMenuEvent*)
{
    // The dot has no menu; the event stops here.
}
