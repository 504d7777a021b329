#ifndef TEXTFIGURE_H
#define TEXTFIGURE_H

#include <QColor>
#include <QString>

class QPainter;

// A text item of a state machine as drawn: a box with its kind in blue above
// its text.
struct TextFigure
{
    int width = 0;
    int height = 0;
    // "DEFAULT", "INCLUDES" or "DEFINES".
    QString heading;
    QString text;
    QColor colour;
    // Dotted while highlighted.
    Qt::PenStyle penStyle = Qt::SolidLine;

    static QString headingOf(int kind);
    void paint(QPainter* painter) const;
};

#endif // TEXTFIGURE_H
