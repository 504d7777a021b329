#ifndef PARSEDCOLOUR_H
#define PARSEDCOLOUR_H

#include <QStringView>
#include <QtGlobal>

#include "colour.h"

// A colour as a project file spells it ("#rrggbb", "#rgb", "#aarrggbb", an
// SVG colour keyword such as "steelblue", "transparent", ...), read exactly
// as the GUI's colour class reads it, so that reading a file needs no GUI.
// Text that is no colour gives an invalid one.
struct ParsedColour
{
    bool valid = false;
    quint32 argb = 0xff000000u;

    static ParsedColour fromText(QStringView text);
    Colour colour() const { return Colour::fromArgb(argb); }
};

#endif // PARSEDCOLOUR_H
