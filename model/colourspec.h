#ifndef COLOURSPEC_H
#define COLOURSPEC_H

#include <QStringView>
#include <QtGlobal>

#include "colour.h"

// A colour as a project file spells it ("#rrggbb", "#rgb", "#aarrggbb", an
// SVG colour keyword such as "steelblue", "transparent", ...), read exactly
// as the GUI's colour class reads it, so that reading a file needs no GUI.
// Text that is no colour gives an invalid spec.
struct ColourSpec
{
    bool valid = false;
    quint32 argb = 0xff000000u;

    static ColourSpec fromText(QStringView text);
    Colour colour() const { return Colour::fromArgb(argb); }
    bool operator==(const ColourSpec& other) const { return valid == other.valid && argb == other.argb; }
    bool operator!=(const ColourSpec& other) const { return !(*this == other); }
};

#endif // COLOURSPEC_H
