#ifndef DATAFLOWELEMENT_H
#define DATAFLOWELEMENT_H

#include <QPointF>
#include <QString>
#include <QVector>

#include "colour.h"
#include "foreigncontent.h"
#include "elementid.h"

// A dataflow between a process (by its node) and a memory item of one
// block diagram. The line type says its direction: 1 from the process to
// the memory item, 2 the other way.
struct DataflowElement
{
    // What an element of the kind is drawn in until it is given a colour.
    static constexpr Colour defaultColour {0xf9e79fu};

    ElementId id = 0;
    QPointF position;
    int lineType = 0;
    QString label;
    QString description;
    QString datatype;
    ElementId process = 0;
    ElementId memory = 0;
    Colour colour;
    QVector<QPointF> polygon;
    ForeignContent foreign;
};

#endif // DATAFLOWELEMENT_H
