#ifndef PLACEMENTFILLER_H
#define PLACEMENTFILLER_H

#include <QHash>

#include "elementid.h"
#include "projectplacement.h"

class Document;
class ProjectNode;
struct Diagram;

// Turns placed records into a document's elements, with the values the
// window's items take from them: states and processes on whole units, a
// process outline that follows its size, colours that did not parse as the
// kind's default, and where a transition's lines meet when it is placed.
class PlacementFiller
{
public:
    PlacementFiller(const ProjectPlacement& placement, Document* document);

    // The node's process from its record, and its diagram from the records
    // placed there; processes first, as diagrams refer to them.
    void process(ProjectNode* node, int record);
    void node(ProjectNode* node, const ProjectPlacement::Diagram& diagram, bool stateMachine);

    // The node of each process record filled so far.
    QHash<int, ElementId> processIds;

private:
    void blocks(Diagram* into, const ProjectPlacement::Diagram& diagram);
    void stateMachine(Diagram* into, const ProjectPlacement::Diagram& diagram);

    const ProjectFileReader::Records& records;
    Document* document;
};

#endif // PLACEMENTFILLER_H
