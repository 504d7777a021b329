#ifndef ITEMLOOK_H
#define ITEMLOOK_H

#include <QFont>

class QPainter;
class QTransform;

// What every drawn element shares: the font its texts are measured and
// drawn in, and how far out the view is. Items are sized and painted with the
// application's font, never the active window's, so that the same text gives
// the same item whichever window has the focus.
class ItemLook
{
public:
    static QFont itemFont();
    // The average character width and the line height of the painter's font
    // as a state or transition lays its texts out: measured once per font and
    // device resolution, as measuring for each item painted costs more than
    // drawing it far out.
    struct Metrics
    {
        int averageCharWidth = 0;
        int height = 0;
    };
    static Metrics metricsOf(const QPainter* painter);
    // How large a unit square of the item shows on the device: 1 unzoomed.
    static qreal levelOfDetail(const QTransform& world);
    // Below this level of detail neither shadows nor item texts are drawn.
    static constexpr qreal farOut = 0.3;
};

#endif // ITEMLOOK_H
