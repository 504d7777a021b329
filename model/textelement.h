#ifndef TEXTELEMENT_H
#define TEXTELEMENT_H

#include <QPointF>
#include <QString>
#include <QVector>

#include "colour.h"
#include "foreigncontent.h"
#include "elementid.h"

// A text item of a state machine: free code, includes or macro definitions
// (its type), written into the generated source.
struct TextElement
{
    enum Kind { Default = 0, Includes = 1, Defines = 2 };

    // What an element of the kind is drawn in until it is given a colour.
    static constexpr Colour defaultColour {0xffffffu};

    ElementId id = 0;
    QPointF position;
    int width = 0;
    int height = 0;
    int type = 0;
    Colour colour;
    Colour textColour;
    QVector<QPointF> polygon;
    QString text;
    ForeignContent foreign;
};

#endif // TEXTELEMENT_H
