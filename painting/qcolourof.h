#ifndef QCOLOUROF_H
#define QCOLOUROF_H

#include <QColor>

#include "colour.h"

// The colour an item draws for an element's colour, its opacity included.
inline QColor qColourOf(const Colour& colour)
{
    return QColor::fromRgba(colour.argb());
}

// The element's colour for an item's: one not painted yet, or read with a
// colour that did not parse, has none, and is kept as the colour it is drawn
// in, so that the item reloads as the window showed it. With nothing to fall
// back to this is black.
inline Colour colourOf(const QColor& colour, const QColor& shownAs = QColor())
{
    return Colour::fromArgb((colour.isValid() ? colour : shownAs).rgba());
}

#endif // QCOLOUROF_H
