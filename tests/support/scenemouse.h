#ifndef SCENEMOUSE_H
#define SCENEMOUSE_H

#include <QPointF>
#include <Qt>

class QGraphicsScene;

// Delivers mouse gestures straight to a scene, with the scene positions and
// button-down positions a real view would fill in.
namespace SceneMouse {
void press(QGraphicsScene* scene, const QPointF& at, Qt::MouseButton button = Qt::LeftButton);
void move(QGraphicsScene* scene, const QPointF& to, Qt::MouseButtons held = Qt::LeftButton);
void release(QGraphicsScene* scene, const QPointF& at, Qt::MouseButton button = Qt::LeftButton);
void click(QGraphicsScene* scene, const QPointF& at, Qt::MouseButton button = Qt::LeftButton);
void drag(QGraphicsScene* scene, const QPointF& from, const QPointF& to);
void doubleClick(QGraphicsScene* scene, const QPointF& at);
}

#endif // SCENEMOUSE_H
