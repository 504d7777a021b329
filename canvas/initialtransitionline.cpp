#include "initialtransitionline.h"

#include "initialtransition.h"
#include "stateitem.h"
#include "connectorfigure.h"

#include <QPainter>
#include <QPen>
#include <QtDebug>
#include <QWidget>

InitialTransitionLine::InitialTransitionLine() = default;

InitialTransitionLine::~InitialTransitionLine() = default;

void InitialTransitionLine::setInitialTransitionItem(QGraphicsItem* dotItem)
{
    dot = dynamic_cast<InitialTransition*>(dotItem);
}

void InitialTransitionLine::setInitStateItem(QGraphicsItem* stateItem)
{
    if (!dot) {
        qDebug("FATAL ERROR: Initial State Item is called before setting the Initial Transition dot item");
        return;
    }
    state = qgraphicsitem_cast<StateItem*>(stateItem);
    updateGeometry();
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemStacksBehindParent, true);
    setPen(QPen(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    prepareGeometryChange();
}

void InitialTransitionLine::clearInitialState()
{
    safeToPaint = false;
    state = nullptr;
}

void InitialTransitionLine::setSafeToPaint(bool on)
{
    safeToPaint = on && state && dot;
}

void InitialTransitionLine::updateGeometry()
{
    if (!state || !dot)
        return;
    const QPointF dotCentre = dot->pos() + QPointF(10, 10);
    const QPointF stateCentre = state->pos() + QPointF(state->getWidth() / 2, state->getHeight() / 2);
    const QPolygonF outline = state->myPolygon().translated(state->pos());
    setLine(ConnectorFigure::lineTo(dotCentre, stateCentre, outline));
    arrowHead = ConnectorFigure::arrowHead(line());
}

QRectF InitialTransitionLine::boundingRect() const
{
    return ConnectorFigure::bounds(line(), pen().width());
}

QPainterPath InitialTransitionLine::shape() const
{
    QPainterPath path = QGraphicsLineItem::shape();
    path.addPolygon(arrowHead);
    return path;
}

void InitialTransitionLine::updatePosition()
{
    if (dot && state)
        setLine(QLineF(mapFromItem(dot, 0, 0), mapFromItem(state, 0, 0)));
}

void InitialTransitionLine::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget* viewport)
{
    // A dot lying on its state hides the arrow.
    if (!safeToPaint || !state || !dot || dot->collidesWithItem(state))
        return;

    updateGeometry();

    ConnectorFigure::paint(painter, pen(), line(), &arrowHead, isSelected(), true, viewport);
}
