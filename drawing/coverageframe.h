#ifndef COVERAGEFRAME_H
#define COVERAGEFRAME_H

#include <QColor>
#include <QGraphicsRectItem>

#include "coveragefigure.h"

// A frame around a state, transition or initial marker that says whether
// the tests reached it: green when they did, red when not. It is only seen:
// with no shape, clicks and drags go to the item beneath.
class CoverageFrame : public QGraphicsRectItem
{
public:
    static constexpr qreal width = CoverageFigure::width;
    static QColor colour(bool reached) { return CoverageFigure::colour(reached); }

    CoverageFrame(const QGraphicsItem* item, bool reached);
    QPainterPath shape() const override;
};

#endif // COVERAGEFRAME_H
