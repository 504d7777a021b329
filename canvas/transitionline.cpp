#include "transitionline.h"

#include "connectorfigure.h"
#include "itemlook.h"
#include "stateitem.h"
#include "transitionitem.h"

#include <QPainter>
#include <QPen>
#include <QtMath>
#include <QWidget>
#include <cmath>

TransitionLine::TransitionLine(QGraphicsItem* startItem, QGraphicsItem* endItem, QObject* parent)
    : QObject(parent)
    , myStartItem(startItem)
    , myEndItem(endItem)
{
    if (qgraphicsitem_cast<StateItem*>(startItem)) {
        lineType = 1;
        state = qgraphicsitem_cast<StateItem*>(startItem);
        transition = qgraphicsitem_cast<TransitionItem*>(endItem);
    } else {
        lineType = 2;
        transition = qgraphicsitem_cast<TransitionItem*>(startItem);
        state = qgraphicsitem_cast<StateItem*>(endItem);
    }
    updateGeometry();
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemStacksBehindParent, true);
    setPen(QPen(QBrush(Qt::black), lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void TransitionLine::updateGeometry()
{
    if (!state || !transition)
        return;
    const QPointF stateCentre = state->pos() + QPointF(state->getWidth() / 2, state->getHeight() / 2);
    const QPointF boxCentre = transition->pos()
        + QPointF(transition->getTransitionItemWidth() / 2, transition->getTransitionItemHeight() / 2);

    // The crossing is found in the pointed-to item's own coordinates, so
    // that its outline need not be copied for every step of a drag.
    const bool toBox = lineType == 1;
    const QPointF from = toBox ? stateCentre : boxCentre;
    const QPointF to = toBox ? boxCentre : stateCentre;
    const QPointF origin = toBox ? transition->pos() : state->pos();
    const QPolygonF outline = toBox ? transition->myPolygon() : state->myPolygon();
    setLine(ConnectorFigure::lineTo(from, to, outline, origin));
}

QRectF TransitionLine::boundingRect() const
{
    return ConnectorFigure::bounds(line(), lineWidth);
}

QPainterPath TransitionLine::shape() const
{
    if (transition && transition->hiddenByOverlap())
        return QPainterPath();
    QPainterPath path = QGraphicsLineItem::shape();
    path.addPolygon(getArrowHead());
    return path;
}

void TransitionLine::updatePosition()
{
    if (myStartItem && myEndItem)
        setLine(QLineF(mapFromItem(myStartItem, 0, 0), mapFromItem(myEndItem, 0, 0)));
}

void TransitionLine::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget* viewport)
{
    if (!state || !transition)
        return;
    if (transition->hiddenByOverlap())
        return;

    // The geometry follows the ends when they move (updateGeometry), never
    // here: changing it while painting would disturb the paint under way.
    // Far out the smoothing of long lines costs much and shows nothing.
    const QPolygonF head = lineType == 2 ? getArrowHead() : QPolygonF();
    ConnectorFigure::paint(painter, pen(), line(), lineType == 2 ? &head : nullptr, isSelected(),
                           ItemLook::levelOfDetail(painter->worldTransform()) >= ItemLook::farOut, viewport);
}
