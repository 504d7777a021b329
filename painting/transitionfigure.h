#ifndef TRANSITIONFIGURE_H
#define TRANSITIONFIGURE_H

#include <QColor>
#include <QString>

class QPainter;

// A transition's box as drawn: its name, its guard in blue and its action,
// over its shadow. The lines to its states are connectors of their own.
struct TransitionFigure
{
    int width = 0;
    int height = 0;
    QString label;
    QString condition;
    QString action;
    QColor colour;
    // Dotted while highlighted.
    Qt::PenStyle penStyle = Qt::SolidLine;

    void paint(QPainter* painter) const;
};

#endif // TRANSITIONFIGURE_H
