#ifndef COVERAGEFIGURE_H
#define COVERAGEFIGURE_H

#include <QColor>

// How a frame around a state, transition or initial marker says whether the
// tests reached it: green when they did, red when not.
class CoverageFigure
{
public:
    static constexpr qreal width = 6;
    static QColor colour(bool reached)
    {
        return reached ? QColor(0x2e, 0xa0, 0x55) : QColor(0xe5, 0x48, 0x48);
    }
};

#endif // COVERAGEFIGURE_H
