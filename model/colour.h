#ifndef COLOUR_H
#define COLOUR_H

#include <QString>
#include <QtGlobal>

// An opaque colour as the project file stores it ("#rrggbb"), without
// depending on the GUI's colour class.
class Colour
{
public:
    constexpr Colour() = default;
    constexpr explicit Colour(quint32 rgb)
        : value(rgb & 0xffffffu)
    {
    }

    constexpr quint32 rgb() const { return value; }
    QString name() const { return QStringLiteral("#%1").arg(value, 6, 16, QLatin1Char('0')); }
    constexpr bool operator==(const Colour& other) const { return value == other.value; }
    constexpr bool operator!=(const Colour& other) const { return value != other.value; }

private:
    quint32 value = 0;
};

#endif // COLOUR_H
