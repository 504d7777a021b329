#ifndef ELEMENTPLACE_H
#define ELEMENTPLACE_H

#include <QGraphicsItem>
#include <QPointF>

#include "exactvalues.h"

// Where its element last placed a view: the view moves only when the
// element's place changes, so that a drag under way, which takes the view
// ahead of its element, keeps its place while other values change.
class ElementPlace
{
public:
    // True when the view moved.
    bool follow(QGraphicsItem* view, QPointF position)
    {
        if (ExactValues::same(placed, position))
            return false;
        placed = position;
        view->setPos(position);
        return true;
    }

private:
    QPointF placed;
};

#endif // ELEMENTPLACE_H
