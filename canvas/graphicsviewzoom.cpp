#include "graphicsviewzoom.h"

#include <QApplication>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtMath>

GraphicsViewZoom::GraphicsViewZoom(QGraphicsView* graphicsView)
    : QObject(graphicsView)
    , view(graphicsView)
{
    view->viewport()->installEventFilter(this);
    view->setMouseTracking(true);
}

void GraphicsViewZoom::setModifiers(Qt::KeyboardModifiers value)
{
    modifiers = value;
}

void GraphicsViewZoom::setZoomFactorBase(double value)
{
    zoomFactorBase = value;
}

void GraphicsViewZoom::setEnable(bool on)
{
    enabled = on;
}

void GraphicsViewZoom::scaleWithinLimits(QGraphicsView* view, double factor)
{
    const double current = view->transform().m11();
    if (current <= 0 || factor <= 0)
        return;
    const double target = qBound(minScale, current * factor, maxScale);
    if (!qFuzzyCompare(target, current))
        view->scale(target / current, target / current);
}

void GraphicsViewZoom::clampScale(QGraphicsView* view)
{
    const QTransform transform = view->transform();
    const double sx = qBound(minScale, transform.m11(), maxScale);
    const double sy = qBound(minScale, transform.m22(), maxScale);
    if (sx != transform.m11() || sy != transform.m22())
        view->setTransform(QTransform(sx, transform.m12(), transform.m21(), sy, transform.dx(), transform.dy()));
}

void GraphicsViewZoom::gentleZoom(double factor)
{
    scaleWithinLimits(view, factor);
    view->centerOn(targetScenePos);
    const QPointF delta = targetViewportPos
        - QPointF(view->viewport()->width() / 2.0, view->viewport()->height() / 2.0);
    const QPointF centre = QPointF(view->mapFromScene(targetScenePos)) - delta;
    view->centerOn(view->mapToScene(centre.toPoint()));
    emit zoomed();
}

bool GraphicsViewZoom::eventFilter(QObject* /*object*/, QEvent* event)
{
    if (!enabled)
        return false;

    if (event->type() == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint p = mouse->pos();
        const QPointF moved = targetViewportPos - p;
        // Small jitters must not drag the anchor around.
        if (qAbs(moved.x()) > 5 || qAbs(moved.y()) > 5) {
            targetViewportPos = p;
            targetScenePos = view->mapToScene(p);
        }
    } else if (event->type() == QEvent::Wheel) {
        const QPoint delta = static_cast<QWheelEvent*>(event)->angleDelta();
        // A wheel turned mostly up or down; events without vertical movement
        // (touchpad phase markers) carry nothing to zoom by.
        const bool vertical = delta.y() != 0 && qAbs(delta.x()) <= qAbs(delta.y());
        if (QApplication::keyboardModifiers() == modifiers && vertical) {
            gentleZoom(qPow(zoomFactorBase, delta.y()));
            return true;
        }
    }
    return false;
}
