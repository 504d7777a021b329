#ifndef INITIALMARKERFIGURE_H
#define INITIALMARKERFIGURE_H

#include <QRectF>

class QPainter;

// The black dot the initial transition starts from, over its shadow.
class InitialMarkerFigure
{
public:
    static constexpr QRectF marker {0, 0, 20, 20};
    static void paint(QPainter* painter);
};

#endif // INITIALMARKERFIGURE_H
