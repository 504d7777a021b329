#ifndef ELEMENTBOX_H
#define ELEMENTBOX_H

#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>

// An element of a diagram as its lines and overlaps see it, the way the
// canvas's items answer: where it lies, its size, the outline lines meet and
// the shape that overlaps others. Coordinates are the element's own.
struct ElementBox
{
    QPointF pos;
    int width = 0;
    int height = 0;
    // What it paints in, a shadow included.
    QRectF bounding;
    QPainterPath shape;
    // Where lines meet it; one that no longer fits its rectangle gives way
    // to the rectangle.
    QPolygonF outline;

    // A plain rectangle, with or without a shadow around it.
    static ElementBox rectangle(const QPointF& pos, int width, int height, bool shadowed);
    // Integer halves, as the boxes are centred between their ends.
    QPointF centre() const { return pos + QPointF(width / 2, height / 2); }
    QRectF ownRect() const { return QRectF(0, 0, width, height); }
    QPolygonF sceneOutline() const;
    // Whether the shapes overlap, as a canvas item finds it of another.
    bool collidesWith(const ElementBox& other) const;
};

#endif // ELEMENTBOX_H
