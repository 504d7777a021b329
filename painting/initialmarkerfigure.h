#ifndef INITIALMARKERFIGURE_H
#define INITIALMARKERFIGURE_H

#include <QRectF>

class QPainter;

// The black dot the initial transition starts from, over its shadow.
class InitialMarkerFigure
{
public:
    static constexpr QRectF marker {0, 0, 20, 20};
    // Where it stands over a state: centred, half the state's height above
    // the state's top edge.
    static QPointF placeOver(const QPointF& state, int width, int height)
    {
        return QPointF(state.x() + width / 2 - 10, state.y() - height / 2);
    }
    static void paint(QPainter* painter);
};

#endif // INITIALMARKERFIGURE_H
