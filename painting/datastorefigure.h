#ifndef DATASTOREFIGURE_H
#define DATASTOREFIGURE_H

#include <QColor>
#include <QPen>
#include <QString>

class QPainter;

// A memory item as drawn, on its own canvas or mirrored on the one below:
// a band between two purple bars with the name above the type.
class DataStoreFigure
{
public:
    static constexpr int emptyWidth = 100;
    static constexpr int height = 64;

    // The width for the name and type in the painter's font.
    static int width(QPainter* painter, const QString& label, const QString& datatype);
    static void paint(QPainter* painter, const QPen& pen, int width, const QColor& colour, const QString& label,
                      const QString& datatype);
};

#endif // DATASTOREFIGURE_H
