#ifndef PROJECTSNAPSHOT_H
#define PROJECTSNAPSHOT_H

#include <QVector>

class Canvas;
class Document;
class MachineSet;
class ProjectCanvases;
class ProjectNode;
class ProcessItem;

// The project on the canvases as plain data, for the file writer: every
// item's values as the window shows them (a colour not painted yet is the
// one it is drawn in), and references between items as element ids.
namespace ProjectSnapshot {

// A process, the canvas it lies on and the canvas it owns.
struct Section
{
    const Canvas* parent;
    const ProcessItem* process;
    const Canvas* canvas;
};

// Fills the document from the project node's canvas and the sections in
// the order of the file: each parent before its children.
void take(const Canvas* root, const QVector<Section>& sections, Document* document);

// One state machine for the code generator and its checks: the project node
// stands for the module the process is drawn on (its label, memory items and
// dataflows), its one child for the machine. Returns that child.
const ProjectNode* takeMachine(const ProcessItem* process, const Canvas* machine, Document* document);
// Every state machine of the project whose process is found, in canvas
// order.
void takeMachines(const ProjectCanvases& project, MachineSet* machines);

} // namespace ProjectSnapshot

#endif // PROJECTSNAPSHOT_H
