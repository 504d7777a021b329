#ifndef ITEMSHADOW_H
#define ITEMSHADOW_H

#include <QPainterPath>
#include <QRectF>

#include <functional>

class QGraphicsItem;
class QPainter;

// The soft drop shadow under states, transition boxes, processes and the
// initial marker, painted by each item beneath itself. It looks exactly like
// a drop-shadow effect of blur radius 50 (offset 8, 8; the same blur), but
// the blurred image is made once per outline, size and zoom and shared by
// every item, and no item carries an effect. Far out it is left off.
//
// An item that casts a shadow reports its own rectangle grown by the shadow
// as its bounding rectangle, so that a move repaints the shadow too; its
// shape stays its own, for clicks and collisions.
class ItemShadow
{
public:
    // The bounding rectangle of an item whose own rectangle is outline.
    static QRectF around(const QRectF& outline);
    // The item's own rectangle, in item coordinates: its bounding rectangle
    // less the shadow where it casts one.
    static QRectF ownRect(const QGraphicsItem* item);
    // The same in scene coordinates: what the item covers of the canvas.
    static QRectF sceneRectOf(const QGraphicsItem* item);
    // Paints the shadow of the outline (item coordinates) for an item whose
    // own rectangle is itemRect, before the item paints itself. The outline
    // is asked for only when a shadow is drawn: far out, a large canvas
    // paints many items and none of their shadows.
    static void paint(QPainter* painter, const QRectF& itemRect, const std::function<QPainterPath()>& outline);

    // Below this level of detail neither shadows nor item texts are drawn.
    static constexpr qreal farOut = 0.3;
};

#endif // ITEMSHADOW_H
