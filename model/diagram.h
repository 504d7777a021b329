#ifndef DIAGRAM_H
#define DIAGRAM_H

#include <QVector>

#include "dataflowelement.h"
#include "linkelement.h"
#include "memoryelement.h"
#include "stateelement.h"
#include "textelement.h"
#include "transitionelement.h"

// The elements drawn on one node's canvas, each kind in the order it was
// added. Block diagrams hold links, memory items and dataflows (their
// processes are the node's children); state machines hold states,
// transitions, text items and memory items.
struct Diagram
{
    QVector<LinkElement> links;
    QVector<MemoryElement> memories;
    QVector<DataflowElement> dataflows;
    QVector<StateElement> states;
    QVector<TransitionElement> transitions;
    QVector<TextElement> texts;
};

#endif // DIAGRAM_H
