#ifndef LINKELEMENT_H
#define LINKELEMENT_H

#include <QPointF>
#include <QString>
#include <QVector>

#include "colour.h"
#include "foreigncontent.h"
#include "elementid.h"

// A link between two processes of one block diagram, which it names by
// their nodes.
struct LinkElement
{
    // What an element of the kind is drawn in until it is given a colour.
    static constexpr Colour defaultColour {0xe5e7e9u};

    ElementId id = 0;
    QPointF position;
    QString label;
    QString description;
    QString datatype;
    ElementId startProcess = 0;
    ElementId endProcess = 0;
    Colour colour;
    QVector<QPointF> polygon;
    ForeignContent foreign;
};

#endif // LINKELEMENT_H
