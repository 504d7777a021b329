#ifndef INITIALTRANSITION_H
#define INITIALTRANSITION_H

#include <QGraphicsItem>
#include <QObject>

#include "initialmarkerfigure.h"
#include "itemtype.h"

class StateItem;

// The black dot above the initial state. It can be neither selected nor
// dragged; it is placed when it becomes visible and when its state is
// clicked or dropped.
class InitialTransition : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    InitialTransition();
    ~InitialTransition() override;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    int type() const override { return InitialMarkerType; }

    void setInitialState(StateItem* initialState) { state = initialState; }
    StateItem* getInitialState() const { return state; }
    void clearInitialState();
    void setSafeToPaint(bool on);
    bool isSafeToPaint() const { return safeToPaint; }
    void updatePosition();

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    // The dot, in item coordinates.
    static constexpr QRectF marker = InitialMarkerFigure::marker;
    StateItem* state = nullptr;
    bool safeToPaint = false;
};

#endif // INITIALTRANSITION_H
