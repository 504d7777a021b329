#ifndef MEMORYELEMENT_H
#define MEMORYELEMENT_H

#include <QPointF>
#include <QString>
#include <QVector>

#include "colour.h"
#include "elementid.h"

// A memory item: a variable of a block diagram or of a state machine.
struct MemoryElement
{
    ElementId id = 0;
    QPointF position;
    QString label;
    QString description;
    QString datatype;
    Colour colour;
    QVector<QPointF> polygon;
};

#endif // MEMORYELEMENT_H
