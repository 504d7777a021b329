#ifndef QCOLOUROF_H
#define QCOLOUROF_H

#include <QColor>

#include "colour.h"

// The colour an item draws for an element's colour, its opacity included.
inline QColor qColourOf(const Colour& colour)
{
    return QColor::fromRgba(colour.argb());
}

#endif // QCOLOUROF_H
