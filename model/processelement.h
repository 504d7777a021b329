#ifndef PROCESSELEMENT_H
#define PROCESSELEMENT_H

#include <QPointF>
#include <QString>
#include <QVector>

#include "colour.h"
#include "foreigncontent.h"

// A process as drawn on its parent's block diagram. Its node in the project
// tree holds it; the diagram it opens is that node's.
struct ProcessElement
{
    // What an element of the kind is drawn in until it is given a colour.
    static constexpr Colour defaultColour {0xfec309u};

    QString label;
    // The node's number among its siblings and its count number, as the
    // file numbers them.
    int number = 1;
    int countNumber = 1;
    QPointF position;
    int width = 0;
    int height = 0;
    int shape = 0;
    QString code;
    QString description;
    Colour colour;
    QVector<QPointF> polygon;
    ForeignContent foreign;
};

#endif // PROCESSELEMENT_H
