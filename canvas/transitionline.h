#ifndef TRANSITIONLINE_H
#define TRANSITIONLINE_H

#include <QGraphicsLineItem>
#include <QLineF>
#include <QObject>
#include <QPolygonF>

#include "connectorfigure.h"

class StateItem;
class TransitionItem;

// One of the two lines of a transition: from the source state to the box
// (start line) or from the box to the target state (end line, with the
// arrow head). Its transition reroutes it whenever an end moves or resizes.
class TransitionLine : public QObject, public QGraphicsLineItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    TransitionLine(QGraphicsItem* startItem, QGraphicsItem* endItem, QObject* parent = nullptr);

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

    void updatePosition();
    // Joins the centres of the two ends, starting on the outline of the item
    // pointed to.
    void updateGeometry();

    StateItem* getState() const { return state; }
    TransitionItem* getTransition() const { return transition; }
    QGraphicsItem* startItem() const { return myStartItem; }
    QGraphicsItem* endItem() const { return myEndItem; }
    int getLineType() const { return lineType; }
    // Worked out when asked: a drag reroutes thousands of lines, and only
    // the lines shown draw a head.
    QPolygonF getArrowHead() const { return ConnectorFigure::arrowHead(line()); }

private:
    StateItem* state = nullptr;
    TransitionItem* transition = nullptr;
    QGraphicsItem* myStartItem = nullptr;
    QGraphicsItem* myEndItem = nullptr;
    int lineType = 1;
    // The pen's width, kept apart: the index asks for the bounding rectangle
    // of every moved line, and the pen is copied when asked.
    static constexpr int lineWidth = 2;
};

#endif // TRANSITIONLINE_H
