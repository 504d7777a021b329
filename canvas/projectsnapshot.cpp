#include "projectsnapshot.h"

#include <QHash>
#include <QSet>

#include <utility>

#include "canvas.h"
#include "dataflowitem.h"
#include "document.h"
#include "exactvalues.h"
#include "linkitem.h"
#include "machineset.h"
#include "memoryitem.h"
#include "processitem.h"
#include "qcolourof.h"
#include "projectcanvases.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

namespace {

// Where the item lies on its canvas; items on a canvas have no parent, so
// this is their own position, without mapping through the scene.
QPointF placeOf(const QGraphicsItem* item)
{
    return item->parentItem() ? item->scenePos() : item->pos();
}

QVector<QPointF> pointsOf(const QPolygonF& polygon)
{
    return QVector<QPointF>(polygon);
}

// Which items of the canvases to take. Every item names its element by its
// own id, so the ids need no table.
struct Ids
{
    // The items to take of one canvas, when not all of them: a copied
    // selection. Every item of the other canvases is taken.
    const QSet<const QGraphicsItem*>* chosen = nullptr;
    const QGraphicsScene* filtered = nullptr;
    template <typename Item>
    ElementId operator()(const Item* item) const
    {
        return item ? item->elementId() : 0;
    }
    bool skips(const QGraphicsItem* item) const
    {
        return chosen && item->scene() == filtered && !chosen->contains(item);
    }
};

ProcessElement processOf(const ProcessItem* item)
{
    ProcessElement process;
    process.label = item->getLabel();
    process.number = item->getId();
    process.countNumber = item->getNos();
    process.position = placeOf(item);
    process.width = item->getWidth();
    process.height = item->getHeight();
    process.shape = item->getShape();
    process.code = item->getCode();
    process.description = item->getDescription();
    process.colour = colourOf(item->getBackgroundColor(), ProcessItem::defaultBackgroundColour());
    process.polygon = pointsOf(item->myPolygon());
    process.foreign = item->foreignContent();
    return process;
}

void fillHierarchy(const Canvas* canvas, const Ids& ids, Diagram* diagram)
{
    // Each element with where its item lies, a drag under way included, and
    // the outline its name needs in the screen's font.
    const auto place = [&ids](const auto& elements, const auto& viewOf, auto* taken) {
        for (const auto& element : elements) {
            const auto* item = viewOf(element.id);
            if (ids.skips(item))
                continue;
            taken->append(element);
            taken->last().position = placeOf(item);
            taken->last().polygon = pointsOf(item->myPolygon());
        }
    };
    const Diagram& shown = canvas->diagramNode().diagram;
    place(shown.links, [canvas](ElementId id) { return canvas->linkItemOf(id); }, &diagram->links);
    place(shown.memories, [canvas](ElementId id) { return canvas->memoryItemOf(id); }, &diagram->memories);
    place(shown.dataflows, [canvas](ElementId id) { return canvas->dataflowItemOf(id); }, &diagram->dataflows);
}

void fillStateMachine(const Canvas* canvas, const Ids& ids, Diagram* diagram)
{
    diagram->states.reserve(canvas->stateItems.size());
    diagram->transitions.reserve(canvas->transitionItems.size());
    for (const StateItem* item : canvas->stateItems) {
        if (ids.skips(item))
            continue;
        if (!ids.chosen) {
            diagram->states.append(item->element());
            continue;
        }
        // A copied selection leaves out the transitions not chosen.
        StateElement state = item->element();
        state.transitions.clear();
        for (const TransitionItem* transition : item->getTransitions())
            if (!ids.skips(transition))
                state.transitions.append(ids(transition));
        diagram->states.append(std::move(state));
    }
    for (const TransitionItem* item : canvas->transitionItems) {
        if (!ids.skips(item))
            diagram->transitions.append(item->element());
    }
    for (const TextElement& text : canvas->diagramNode().diagram.texts) {
        const TextItem* item = canvas->textItemOf(text.id);
        if (ids.skips(item))
            continue;
        diagram->texts.append(text);
        // A drag under way has moved the item ahead of its text: a save takes
        // where it lies, as it does for the states dragged with it.
        if (!ExactValues::same(text.position, item->pos()))
            diagram->texts.last().position = item->pos();
    }
}

} // namespace

const ProjectNode* ProjectSnapshot::takeMachine(const ProcessItem* process, const Canvas* machine,
                                                Document* document)
{
    const auto* module = qobject_cast<const Canvas*>(process->scene());
    const Ids ids;
    ProjectNode* node = document->root().appendChild(process->elementId());
    node->process = processOf(process);
    if (module) {
        document->root().process.label = module->getLabel();
        fillHierarchy(module, ids, &document->root().diagram);
    }
    fillHierarchy(machine, ids, &node->diagram);
    fillStateMachine(machine, ids, &node->diagram);
    return node;
}

void ProjectSnapshot::takeDiagram(const Canvas* canvas, Document* document)
{
    const Ids ids;
    document->root().process.label = canvas->getLabel();
    fillHierarchy(canvas, ids, &document->root().diagram);
}

void ProjectSnapshot::takeMachines(const ProjectCanvases& project, MachineSet* machines)
{
    for (const ProjectCanvases::StateMachine& machine : project.stateMachines())
        machines->add(takeMachine(machine.process, machine.canvas, machines->newDocument()));
}

namespace {

// Fills top from its canvas and the sections below it, each parent before
// its children.
void fillSections(ProjectNode* top, const Canvas* topCanvas, const QVector<ProjectSnapshot::Section>& sections,
                  const Ids& ids)
{
    QHash<const Canvas*, ProjectNode*> nodeOf {{topCanvas, top}};
    for (const ProjectSnapshot::Section& section : sections) {
        ProjectNode* parent = nodeOf.value(section.parent);
        ProjectNode* node = parent->appendChild(section.process->elementId());
        node->process = processOf(section.process);
        nodeOf.insert(section.canvas, node);
    }
    for (auto it = nodeOf.cbegin(); it != nodeOf.cend(); ++it) {
        fillHierarchy(it.key(), ids, &it.value()->diagram);
        if (it.value()->level() == 5)
            fillStateMachine(it.key(), ids, &it.value()->diagram);
    }
}

// The processes below canvas that ids takes, each with the canvas it owns,
// down their whole subtrees.
void collectSections(const Canvas* canvas, const QHash<ProcessItem*, Canvas*>& owned, const Ids& ids,
                     QVector<ProjectSnapshot::Section>* sections)
{
    for (ProcessItem* process : canvas->processItems) {
        const Canvas* diagram = owned.value(process);
        if (ids.skips(process) || !diagram)
            continue;
        sections->append({canvas, process, diagram});
        collectSections(diagram, owned, ids, sections);
    }
}

} // namespace

void ProjectSnapshot::take(const Canvas* root, const QVector<Section>& sections, Document* document)
{
    document->root().process.label = root->getLabel();
    fillSections(&document->root(), root, sections, Ids());
}

const ProjectNode* ProjectSnapshot::takeItems(const ProjectCanvases& project, const Canvas* canvas,
                                              const QSet<const QGraphicsItem*>& chosen, Document* document)
{
    // The nodes above stand for the canvas's place in its project, so that
    // the document is a project file of its own.
    const QStringList path = project.browserPath(canvas).split(QLatin1Char('/'));
    ProjectNode* node = &document->root();
    node->process.label = path.value(0);
    for (int level = 2; level <= canvas->getLevel(); ++level) {
        node = node->appendChild(document->newId());
        node->process.label = path.value(level - 1);
    }
    Ids ids;
    ids.chosen = &chosen;
    ids.filtered = canvas;
    QVector<Section> sections;
    collectSections(canvas, project.ownership(canvas), ids, &sections);
    fillSections(node, canvas, sections, ids);
    // The copied processes are numbered among themselves.
    int number = 0;
    for (const auto& child : node->children())
        child->process.number = ++number;
    return node;
}
