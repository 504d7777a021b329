#ifndef GRAPHICSVIEWZOOM_H
#define GRAPHICSVIEWZOOM_H

#include <QObject>
#include <QPointF>

class QGraphicsView;

// Wheel zoom for a graphics view that keeps the scene point under the
// pointer where it is while the scale changes.
class GraphicsViewZoom : public QObject
{
    Q_OBJECT

public:
    explicit GraphicsViewZoom(QGraphicsView* view);

    // Every way of zooming stays within 5 % and 2000 %: beyond that a wheel
    // burst makes each repaint so costly that the window freezes.
    static constexpr double minScale = 0.05;
    static constexpr double maxScale = 20.0;
    // Scales the view by factor, or by as much of it as the limits allow.
    static void scaleWithinLimits(QGraphicsView* view, double factor);
    // Brings a view whose scale was set directly back within the limits.
    static void clampScale(QGraphicsView* view);

    void setModifiers(Qt::KeyboardModifiers modifiers);
    void setZoomFactorBase(double value);
    void setEnable(bool on);
    bool isEnabled() const { return enabled; }
    void gentleZoom(double factor);

    bool eventFilter(QObject* object, QEvent* event) override;

signals:
    void zoomed();

private:
    QGraphicsView* view;
    Qt::KeyboardModifiers modifiers = Qt::ControlModifier;
    double zoomFactorBase = 1.0015;
    QPointF targetScenePos;
    QPointF targetViewportPos;
    bool enabled = false;
};

#endif // GRAPHICSVIEWZOOM_H
