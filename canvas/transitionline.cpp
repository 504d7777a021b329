#include "transitionline.h"

#include "itemshadow.h"
#include "stateitem.h"
#include "transitionitem.h"

#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>
#include <QtMath>
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

QPointF TransitionLine::outlinePoint(const QLineF& centres, const QPolygonF& outline)
{
    for (int i = 1; i < outline.size(); ++i) {
        const QLineF edge(outline.at(i - 1), outline.at(i));
        QPointF hit;
        if (edge.intersects(centres, &hit) == QLineF::BoundedIntersection)
            return hit;
    }
    return centres.p2();
}

QPolygonF TransitionLine::arrowHeadAt(const QLineF& line)
{
    const qreal size = 20;
    const qreal angle = std::atan2(-line.dy(), line.dx());
    const QPointF tip = line.p1();
    const QPointF flank1 = tip + QPointF(std::sin(angle + M_PI / 3) * size,
                                         std::cos(angle + M_PI / 3) * size);
    const QPointF flank2 = tip + QPointF(std::sin(angle + M_PI - M_PI / 3) * size,
                                         std::cos(angle + M_PI - M_PI / 3) * size);
    QPolygonF head(3);
    head[0] = tip;
    head[1] = flank1;
    head[2] = flank2;
    return head;
}

QRectF TransitionLine::paddedRect(const QLineF& line, int penWidth)
{
    const qreal extra = (penWidth + 20) / 2.0;
    return QRectF(line.p1(), QSizeF(line.p2().x() - line.p1().x(), line.p2().y() - line.p1().y()))
        .normalized()
        .adjusted(-extra, -extra, extra, extra);
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
    const QPointF onOutline = outlinePoint(QLineF(from - origin, to - origin), outline) + origin;
    setLine(QLineF(onOutline, from));
}

QRectF TransitionLine::boundingRect() const
{
    return paddedRect(line(), lineWidth);
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

void TransitionLine::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!state || !transition)
        return;
    if (transition->hiddenByOverlap())
        return;

    // The geometry follows the ends when they move (updateGeometry), never
    // here: changing it while painting would disturb the paint under way.
    QPen linePen = pen();
    linePen.setColor(Qt::black);
    painter->setPen(linePen);
    painter->setBrush(Qt::black);
    // Far out the smoothing of long lines costs much and shows nothing.
    painter->setRenderHint(QPainter::Antialiasing,
                           QStyleOptionGraphicsItem::levelOfDetailFromTransform(painter->worldTransform())
                               >= ItemShadow::farOut);
    painter->drawLine(line());
    if (lineType == 2)
        painter->drawPolygon(getArrowHead(), Qt::OddEvenFill);

    if (isSelected()) {
        painter->setPen(QPen(Qt::black, 1, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
        QLineF mark = line();
        mark.translate(0, 4.0);
        painter->drawLine(mark);
        mark.translate(0, -8.0);
        painter->drawLine(mark);
    }
}
