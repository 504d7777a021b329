#ifndef INITIALTRANSITIONLINE_H
#define INITIALTRANSITIONLINE_H

#include <QGraphicsLineItem>
#include <QObject>
#include <QPolygonF>

class InitialTransition;
class StateItem;

// The arrow from the initial dot into the initial state. It reroutes itself
// on every paint, so it follows the state while the dot stays put.
class InitialTransitionLine : public QObject, public QGraphicsLineItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    InitialTransitionLine();
    ~InitialTransitionLine() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

    void setInitialTransitionItem(QGraphicsItem* dotItem);
    void setInitStateItem(QGraphicsItem* stateItem);
    void clearInitialState();
    void setSafeToPaint(bool on);
    bool isSafeToPaint() const { return safeToPaint; }
    StateItem* getInitStateItem() const { return state; }
    InitialTransition* getInitialTransitionItem() const { return dot; }
    QPolygonF getArrowHead() const { return arrowHead; }
    void updatePosition();
    // Runs from the state's outline to the dot's centre.
    void updateGeometry();

private:
    bool safeToPaint = false;
    StateItem* state = nullptr;
    InitialTransition* dot = nullptr;
    QPolygonF arrowHead;
};

#endif // INITIALTRANSITIONLINE_H
