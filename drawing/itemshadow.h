#ifndef ITEMSHADOW_H
#define ITEMSHADOW_H

#include <QRectF>

class QGraphicsItem;

// The rectangles of items that cast a shadow (ShadowPainting paints it). Such
// an item reports its own rectangle grown by the shadow as its bounding
// rectangle, so that a move repaints the shadow too; its shape stays its
// own, for clicks and collisions.
class ItemShadow
{
public:
    // The item's own rectangle, in item coordinates: its bounding rectangle
    // less the shadow where it casts one.
    static QRectF ownRect(const QGraphicsItem* item);
    // The same in scene coordinates: what the item covers of the canvas.
    static QRectF sceneRectOf(const QGraphicsItem* item);
};

#endif // ITEMSHADOW_H
