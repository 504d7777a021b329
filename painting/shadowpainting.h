#ifndef SHADOWPAINTING_H
#define SHADOWPAINTING_H

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <functional>

class QPainter;

// The soft drop shadow under states, transition boxes, processes and the
// initial marker, painted by each beneath itself. It looks exactly like a
// drop-shadow effect of blur radius 50 (offset 8, 8; the same blur), but the
// blurred image is made once per outline, size and zoom and shared by every
// element. Far out it is left off.
class ShadowPainting
{
public:
    static constexpr qreal blurRadius = 50;
    static constexpr QPointF offset {8, 8};

    // The rectangle an element whose own rectangle is outline paints in,
    // its shadow included.
    static QRectF around(const QRectF& outline);
    // Paints the shadow of the outline (element coordinates) for an element
    // whose own rectangle is itemRect, before the element paints itself. The
    // outline is asked for only when a shadow is drawn: far out, a large
    // canvas paints many elements and none of their shadows.
    static void paint(QPainter* painter, const QRectF& itemRect, const std::function<QPainterPath()>& outline);
};

#endif // SHADOWPAINTING_H
