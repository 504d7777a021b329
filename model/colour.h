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
        : value(0xff000000u | (rgb & 0xffffffu))
    {
    }
    static constexpr Colour fromArgb(quint32 argb)
    {
        Colour colour;
        colour.value = argb;
        return colour;
    }

    constexpr quint32 rgb() const { return value & 0xffffffu; }
    constexpr quint32 argb() const { return value; }
    QString name() const { return QStringLiteral("#%1").arg(rgb(), 6, 16, QLatin1Char('0')); }
    constexpr bool operator==(const Colour& other) const { return value == other.value; }
    constexpr bool operator!=(const Colour& other) const { return value != other.value; }

private:
    quint32 value = 0xff000000u;
};

#endif // COLOUR_H
