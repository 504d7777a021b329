#ifndef TRANSITIONELEMENT_H
#define TRANSITIONELEMENT_H

#include <QPointF>
#include <QString>
#include <QVector>

#include "colour.h"
#include "foreigncontent.h"
#include "elementid.h"
#include "exactvalues.h"

// A transition between two states, which it names by their ids. The
// position is its label box's; the mid position the point its lines meet.
struct TransitionElement
{
    // What an element of the kind is drawn in until it is given a colour.
    static constexpr Colour defaultColour {0xe5e7e9u};

    ElementId id = 0;
    QString label;
    QString condition;
    QString action;
    QString description;
    Colour colour;
    QPointF position;
    QPointF midPosition;
    int width = 0;
    int height = 0;
    QVector<QPointF> polygon;
    ElementId startState = 0;
    ElementId endState = 0;
    ForeignContent foreign;

    bool operator==(const TransitionElement& other) const
    {
        return id == other.id && label == other.label && condition == other.condition && action == other.action
            && description == other.description && colour == other.colour
            && ExactValues::same(position, other.position) && ExactValues::same(midPosition, other.midPosition)
            && width == other.width && height == other.height && ExactValues::same(polygon, other.polygon)
            && startState == other.startState && endState == other.endState
            && foreign == other.foreign;
    }
    bool operator!=(const TransitionElement& other) const { return !(*this == other); }
};

#endif // TRANSITIONELEMENT_H
