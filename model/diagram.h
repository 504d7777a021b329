#ifndef DIAGRAM_H
#define DIAGRAM_H

#include <QVector>

#include "dataflowelement.h"
#include "linkelement.h"
#include "memoryelement.h"
#include "sharedelement.h"
#include "stateelement.h"
#include "textelement.h"
#include "transitionelement.h"

// The elements drawn on one node's canvas, each kind in the order it was
// added. Block diagrams hold links, memory items and dataflows (their
// processes are the node's children); state machines hold states,
// transitions, text items and memory items.
struct Diagram
{
    using States = QVector<SharedElement<StateElement>>;
    using Transitions = QVector<SharedElement<TransitionElement>>;

    QVector<LinkElement> links;
    QVector<MemoryElement> memories;
    QVector<DataflowElement> dataflows;
    // Machines can hold tens of thousands of these, so each is shared with
    // the canvas item that shows it and the documents a save takes, rather
    // than copied.
    States states;
    Transitions transitions;
    QVector<TextElement> texts;
};

// How a diagram holds an element of each kind: states and transitions
// shared, the others as they are.
template <typename Element>
struct Stored
{
    using Type = Element;
};

template <>
struct Stored<StateElement>
{
    using Type = SharedElement<StateElement>;
};

template <>
struct Stored<TransitionElement>
{
    using Type = SharedElement<TransitionElement>;
};

#endif // DIAGRAM_H
