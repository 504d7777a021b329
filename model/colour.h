#ifndef COLOUR_H
#define COLOUR_H

#include <QString>
#include <QtGlobal>

// A colour as the project file stores it ("#rrggbb"), without depending on
// the GUI's colour class. The opacity a file may spell ("transparent") is
// kept for drawing; the file itself stores the colour alone.
class Colour
{
public:
    constexpr Colour() = default;
    constexpr explicit Colour(quint32 rgb)
        : value(rgb & 0xffffffu)
    {
    }

    static constexpr Colour fromArgb(quint32 argb)
    {
        Colour colour(argb);
        colour.opacity = quint8(argb >> 24);
        return colour;
    }

    constexpr quint32 rgb() const { return value; }
    constexpr quint32 argb() const { return (quint32(opacity) << 24) | value; }
    QString name() const { return QStringLiteral("#%1").arg(value, 6, 16, QLatin1Char('0')); }
    constexpr bool operator==(const Colour& other) const { return value == other.value && opacity == other.opacity; }
    constexpr bool operator!=(const Colour& other) const { return !(*this == other); }

private:
    quint32 value = 0;
    quint8 opacity = 0xff;
};

#endif // COLOUR_H
