#include "projectsnapshot.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <type_traits>
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
        return chosen && item && item->scene() == filtered && !chosen->contains(item);
    }
};

// The process of the item's node, where the item lies (a drag under way
// included), with the numbers its place on its canvas gives it.
ProcessElement processOf(const ProcessItem* item)
{
    const auto* canvas = qobject_cast<const Canvas*>(item->scene());
    const ProjectNode* node = canvas ? canvas->processNode(item) : nullptr;
    ProcessElement process = node ? node->process : ProcessElement();
    process.number = item->getId();
    process.countNumber = item->getNos();
    process.position = placeOf(item);
    process.polygon = pointsOf(item->myPolygon());
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
            if (!item)
                continue;
            taken->last().position = placeOf(item);
            taken->last().polygon = pointsOf(item->myPolygon());
        }
    };
    const Diagram& shown = canvas->diagramNode().diagram;
    place(shown.links, [canvas](ElementId id) { return canvas->linkItemOf(id); }, &diagram->links);
    place(shown.memories, [canvas](ElementId id) { return canvas->memoryItemOf(id); }, &diagram->memories);
    place(shown.dataflows, [canvas](ElementId id) { return canvas->dataflowItemOf(id); }, &diagram->dataflows);
}

// An element whose item a drag under way has moved ahead of it: a save
// takes where the item lies.
template <typename Element>
SharedElement<Element> placedAt(const SharedElement<Element>& element, const QGraphicsItem* item)
{
    if (!item || ExactValues::same(element->position, item->pos()))
        return element;
    SharedElement<Element> moved = element;
    moved.edit().position = item->pos();
    return moved;
}

// The item showing the element at index: the canvas lists its items in the
// document's order, so it is looked up only when that is not so.
template <typename Item>
const Item* viewAt(const QVector<Item*>& items, int index, ElementId id, const Canvas* canvas)
{
    if (index < items.size() && items.at(index)->elementId() == id)
        return items.at(index);
    if constexpr (std::is_same<Item, StateItem>::value)
        return canvas->stateItemOf(id);
    else
        return canvas->transitionItemOf(id);
}

void fillStateMachine(const Canvas* canvas, const Ids& ids, Diagram* diagram)
{
    const Diagram& shown = canvas->diagramNode().diagram;
    diagram->states.reserve(shown.states.size());
    diagram->transitions.reserve(shown.transitions.size());
    for (int i = 0; i < shown.states.size(); ++i) {
        const SharedElement<StateElement>& element = shown.states.at(i);
        const StateItem* item = viewAt(canvas->stateItems, i, element->id, canvas);
        if (ids.skips(item))
            continue;
        diagram->states.append(placedAt(element, item));
        if (!ids.chosen)
            continue;
        // A copied selection leaves out the transitions not chosen.
        QVector<ElementId>& listed = diagram->states.last().edit().transitions;
        listed.erase(std::remove_if(listed.begin(), listed.end(),
                                    [&ids, canvas](ElementId id) { return ids.skips(canvas->transitionItemOf(id)); }),
                     listed.end());
    }
    for (int i = 0; i < shown.transitions.size(); ++i) {
        const SharedElement<TransitionElement>& element = shown.transitions.at(i);
        const TransitionItem* item = viewAt(canvas->transitionItems, i, element->id, canvas);
        if (!ids.skips(item))
            diagram->transitions.append(placedAt(element, item));
    }
    for (const TextElement& text : shown.texts) {
        const TextItem* item = canvas->textItemOf(text.id);
        if (ids.skips(item))
            continue;
        diagram->texts.append(text);
        // A drag under way has moved the item ahead of its text, as it may
        // the states dragged with it.
        if (item && !ExactValues::same(text.position, item->pos()))
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
