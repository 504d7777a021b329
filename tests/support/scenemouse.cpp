#include "scenemouse.h"

#include <QApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>

namespace {

QPointF lastPress;

void send(QGraphicsScene* scene, QEvent::Type type, const QPointF& at, Qt::MouseButton button,
          Qt::MouseButtons buttons)
{
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(at);
    event.setPos(at);
    event.setScreenPos(at.toPoint());
    event.setLastScenePos(at);
    event.setLastScreenPos(at.toPoint());
    event.setButton(button);
    event.setButtons(buttons);
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        event.setButtonDownScenePos(b, lastPress);
        event.setButtonDownScreenPos(b, lastPress.toPoint());
        event.setButtonDownPos(b, lastPress);
    }
    event.setAccepted(false);
    QApplication::sendEvent(scene, &event);
}

} // namespace

void SceneMouse::press(QGraphicsScene* scene, const QPointF& at, Qt::MouseButton button)
{
    lastPress = at;
    send(scene, QEvent::GraphicsSceneMousePress, at, button, button);
}

void SceneMouse::move(QGraphicsScene* scene, const QPointF& to, Qt::MouseButtons held)
{
    send(scene, QEvent::GraphicsSceneMouseMove, to, Qt::NoButton, held);
}

void SceneMouse::release(QGraphicsScene* scene, const QPointF& at, Qt::MouseButton button)
{
    send(scene, QEvent::GraphicsSceneMouseRelease, at, button, Qt::NoButton);
}

void SceneMouse::click(QGraphicsScene* scene, const QPointF& at, Qt::MouseButton button)
{
    press(scene, at, button);
    release(scene, at, button);
}

void SceneMouse::drag(QGraphicsScene* scene, const QPointF& from, const QPointF& to)
{
    press(scene, from);
    move(scene, (from + to) / 2);
    move(scene, to);
    release(scene, to);
}

void SceneMouse::doubleClick(QGraphicsScene* scene, const QPointF& at)
{
    press(scene, at);
    release(scene, at);
    lastPress = at;
    send(scene, QEvent::GraphicsSceneMouseDoubleClick, at, Qt::LeftButton, Qt::LeftButton);
    release(scene, at);
}
