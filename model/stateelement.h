#ifndef STATEELEMENT_H
#define STATEELEMENT_H

#include <QPointF>
#include <QString>
#include <QVector>

#include "colour.h"
#include "foreigncontent.h"
#include "elementid.h"
#include "exactvalues.h"

// A state. The initial transition enters the state that is marked initial;
// its condition and description stay with each state, as the file keeps them.
struct StateElement
{
    // What an element of the kind is drawn in until it is given a colour.
    static constexpr Colour defaultColour {0xe5e7e9u};

    ElementId id = 0;
    QString label;
    bool initial = false;
    QString initialCondition;
    QString initialDescription;
    QPointF position;
    int width = 0;
    int height = 0;
    Colour colour;
    QVector<QPointF> polygon;
    QString action;
    QString description;
    // The transitions that touch the state, in the order they were drawn.
    QVector<ElementId> transitions;
    ForeignContent foreign;

    bool operator==(const StateElement& other) const
    {
        return id == other.id && label == other.label && initial == other.initial
            && initialCondition == other.initialCondition && initialDescription == other.initialDescription
            && ExactValues::same(position, other.position) && width == other.width && height == other.height
            && colour == other.colour && ExactValues::same(polygon, other.polygon) && action == other.action
            && description == other.description && transitions == other.transitions && foreign == other.foreign;
    }
    bool operator!=(const StateElement& other) const { return !(*this == other); }
};

#endif // STATEELEMENT_H
