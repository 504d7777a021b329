#ifndef STATEFIGURE_H
#define STATEFIGURE_H

#include <QColor>
#include <QString>

class QPainter;

// A state as drawn: a rounded box with the state's name above a divider and
// its action code below, over its shadow.
struct StateFigure
{
    static constexpr qreal cornerRadius = 12;

    int width = 0;
    int height = 0;
    QString label;
    QString action;
    QColor colour;
    // Dotted while highlighted.
    Qt::PenStyle penStyle = Qt::SolidLine;

    void paint(QPainter* painter) const;
};

#endif // STATEFIGURE_H
