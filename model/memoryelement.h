#ifndef MEMORYELEMENT_H
#define MEMORYELEMENT_H

#include <QPointF>
#include <QString>
#include <QVector>

#include "colour.h"
#include "foreigncontent.h"
#include "elementid.h"

// A memory item: a variable of a block diagram or of a state machine.
struct MemoryElement
{
    // What an element of the kind is drawn in until it is given a colour.
    static constexpr Colour defaultColour {0xe5e7e9u};

    ElementId id = 0;
    QPointF position;
    QString label;
    QString description;
    QString datatype;
    Colour colour;
    QVector<QPointF> polygon;
    ForeignContent foreign;
};

#endif // MEMORYELEMENT_H
