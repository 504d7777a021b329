#ifndef PROJECTSNAPSHOT_H
#define PROJECTSNAPSHOT_H

#include <QHash>
#include <QSet>
#include <QVector>

#include "elementid.h"

class Canvas;
class Document;
class MachineSet;
class ProjectCanvases;
class ProjectNode;
class ProcessItem;
class QGraphicsItem;
class QObject;

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

// The chosen items of one canvas as a project file of their own: the
// document's nodes lead down to one that stands for the canvas and holds
// them, processes with their whole subtrees. Connectors are taken only
// when chosen; the caller chooses only those whose ends are. Returns that
// node.
const ProjectNode* takeItems(const ProjectCanvases& project, const Canvas* canvas,
                             const QSet<const QGraphicsItem*>& chosen, Document* document);

// One state machine for the code generator and its checks: the project node
// stands for the module the process is drawn on (its label, memory items and
// dataflows), its one child for the machine. Returns that child. Each
// element has the id of the item it was taken of.
const ProjectNode* takeMachine(const ProcessItem* process, const Canvas* machine, Document* document);
// The links, memory items and dataflows of one block diagram, on the
// document's project node; its processes are not taken, so the links and
// dataflows have no ends. Enough for the checks of a block diagram.
void takeDiagram(const Canvas* canvas, Document* document);
// Every state machine of the project whose process is found, in canvas
// order.
void takeMachines(const ProjectCanvases& project, MachineSet* machines);

} // namespace ProjectSnapshot

#endif // PROJECTSNAPSHOT_H
