#ifndef PROCESSFIGURE_H
#define PROCESSFIGURE_H

#include <QColor>
#include <QPolygonF>
#include <QString>

class QPainter;

// A process as drawn on a block diagram: a rounded box (shape 1) or an
// ellipse with its name in the middle, over its shadow.
struct ProcessFigure
{
    static constexpr qreal cornerRadius = 27;

    int width = 0;
    int height = 0;
    int shape = 0;
    QString label;
    QColor colour;
    // Dotted while highlighted.
    Qt::PenStyle penStyle = Qt::SolidLine;

    // The outline as drawn, where connectors meet it.
    QPolygonF outline() const;
    void paint(QPainter* painter) const;
};

#endif // PROCESSFIGURE_H
