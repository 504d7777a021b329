#ifndef QCOLOUROF_H
#define QCOLOUROF_H

#include <QColor>

#include "colourspec.h"

// The colour an item draws for a colour read from a project file; one the
// file spelt wrongly stays invalid, so the item draws its default.
inline QColor qColourOf(const ColourSpec& spec)
{
    return spec.valid ? QColor::fromRgba(spec.argb) : QColor();
}

#endif // QCOLOUROF_H
