#ifndef TRANSITIONLINE_H
#define TRANSITIONLINE_H

#include <QGraphicsLineItem>
#include <QLineF>
#include <QObject>
#include <QPolygonF>

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
    QPolygonF getArrowHead() const { return arrowHeadAt(line()); }

    // Where the segment from -> to first crosses an edge of the outline; the
    // centre "to" itself when it crosses none (the ends overlap).
    static QPointF outlinePoint(const QLineF& centres, const QPolygonF& outline);
    // A 60-degree head with its tip at the line's first point, opening
    // towards its second point.
    static QPolygonF arrowHeadAt(const QLineF& line);
    // The rectangle of a line with room for its head and selection marks.
    static QRectF paddedRect(const QLineF& line, int penWidth);

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
