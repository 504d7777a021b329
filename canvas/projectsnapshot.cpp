#include "projectsnapshot.h"

#include <QHash>

#include "canvas.h"
#include "dataflowitem.h"
#include "document.h"
#include "linkitem.h"
#include "machineset.h"
#include "memoryitem.h"
#include "processitem.h"
#include "projectcanvases.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

namespace {

Colour colourOf(const QColor& colour, const QColor& shownAs = QColor())
{
    // An item not painted yet, or read with a colour that did not parse, has
    // none; the colour it is drawn in keeps the reloaded item as the window
    // showed it. With nothing to fall back to this is black.
    return Colour::fromArgb((colour.isValid() ? colour : shownAs).rgba());
}

QVector<QPointF> pointsOf(const QPolygonF& polygon)
{
    return QVector<QPointF>(polygon);
}

// Element ids for the items that other items refer to.
struct Ids
{
    QHash<const void*, ElementId> of;
    ElementId operator()(const void* item) const { return item ? of.value(item) : 0; }
};

ProcessElement processOf(const ProcessItem* item)
{
    ProcessElement process;
    process.label = item->getLabel();
    process.number = item->getId();
    process.countNumber = item->getNos();
    process.position = item->scenePos();
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
    for (const LinkItem* item : canvas->linkItems) {
        LinkElement link;
        link.id = ids(item);
        link.position = item->scenePos();
        link.label = item->getLabel();
        link.description = item->getDescription();
        link.datatype = item->getDatatype();
        link.startProcess = ids(item->startItem());
        link.endProcess = ids(item->endItem());
        link.colour = colourOf(item->getBackgroundColor(), LinkItem::defaultBackgroundColour());
        link.polygon = pointsOf(item->myPolygon());
        link.foreign = item->foreignContent();
        diagram->links.append(link);
    }
    for (const MemoryItem* item : canvas->memoryItems) {
        MemoryElement memory;
        memory.id = ids(item);
        memory.position = item->scenePos();
        memory.label = item->getLabel();
        memory.description = item->getDescription();
        memory.datatype = item->getDatatype();
        memory.colour = colourOf(item->getBackgroundColor(), MemoryItem::defaultBackgroundColour());
        memory.polygon = pointsOf(item->myPolygon());
        memory.foreign = item->foreignContent();
        diagram->memories.append(memory);
    }
    for (const DataflowItem* item : canvas->dataflowItems) {
        DataflowElement dataflow;
        dataflow.id = ids(item);
        dataflow.position = item->scenePos();
        dataflow.lineType = item->getLineType();
        dataflow.label = item->getLabel();
        dataflow.description = item->getDescription();
        dataflow.datatype = item->getDatatype();
        dataflow.process = ids(item->getProcess());
        dataflow.memory = ids(item->getMemory());
        dataflow.colour = colourOf(item->getBackgroundColor(), DataflowItem::defaultBackgroundColour());
        dataflow.polygon = pointsOf(item->myPolygon());
        dataflow.foreign = item->foreignContent();
        diagram->dataflows.append(dataflow);
    }
}

void fillStateMachine(const Canvas* canvas, const Ids& ids, Diagram* diagram)
{
    diagram->states.reserve(canvas->stateItems.size());
    diagram->transitions.reserve(canvas->transitionItems.size());
    for (const StateItem* item : canvas->stateItems) {
        StateElement state;
        state.id = ids(item);
        state.label = item->getLabel();
        state.initial = item->initialStatus();
        state.initialCondition = item->getInitCondition();
        state.initialDescription = item->getInitDescription();
        state.position = item->scenePos();
        state.width = item->getWidth();
        state.height = item->getHeight();
        state.colour = colourOf(item->getBackgroundColour(), StateItem::defaultBackgroundColour());
        state.polygon = pointsOf(item->myPolygon());
        state.foreign = item->foreignContent();
        state.action = item->getAction();
        state.description = item->getDescription();
        for (const TransitionItem* transition : item->getTransitions())
            state.transitions.append(ids(transition));
        diagram->states.append(state);
    }
    for (const TransitionItem* item : canvas->transitionItems) {
        TransitionElement transition;
        transition.id = ids(item);
        transition.label = item->getLabel();
        transition.condition = item->getCondition();
        transition.action = item->getAction();
        transition.description = item->getDescription();
        transition.colour = colourOf(item->getBackgroundColour(), TransitionItem::defaultBackgroundColour());
        transition.position = item->scenePos();
        transition.midPosition = item->getMidPos();
        transition.width = item->getTransitionItemWidth();
        transition.height = item->getTransitionItemHeight();
        transition.polygon = pointsOf(item->myPolygon());
        transition.foreign = item->foreignContent();
        transition.startState = ids(item->startItem());
        transition.endState = ids(item->endItem());
        diagram->transitions.append(transition);
    }
    for (const TextItem* item : canvas->textItems) {
        TextElement text;
        text.id = ids(item);
        text.position = item->scenePos();
        text.width = item->getWidth();
        text.height = item->getHeight();
        text.type = item->getItemType();
        text.colour = colourOf(item->getBackgroundColor(), TextItem::defaultBackgroundColour());
        text.textColour = colourOf(item->getTextColor());
        text.polygon = pointsOf(item->myPolygon());
        text.foreign = item->foreignContent();
        text.text = item->getAction();
        diagram->texts.append(text);
    }
}

template <typename Items>
void number(const Items& items, Document* document, Ids* ids)
{
    for (const auto* item : items)
        ids->of.insert(item, document->newId());
}

void numberItems(const Canvas* canvas, Document* document, Ids* ids)
{
    ids->of.reserve(ids->of.size() + canvas->linkItems.size() + canvas->memoryItems.size()
                    + canvas->dataflowItems.size() + canvas->stateItems.size() + canvas->transitionItems.size()
                    + canvas->textItems.size());
    number(canvas->linkItems, document, ids);
    number(canvas->memoryItems, document, ids);
    number(canvas->dataflowItems, document, ids);
    number(canvas->stateItems, document, ids);
    number(canvas->transitionItems, document, ids);
    number(canvas->textItems, document, ids);
}

} // namespace

const ProjectNode* ProjectSnapshot::takeMachine(const ProcessItem* process, const Canvas* machine,
                                                Document* document)
{
    const auto* module = qobject_cast<const Canvas*>(process->scene());
    Ids ids;
    ProjectNode* node = document->root().appendChild(document->newId());
    node->process = processOf(process);
    ids.of.insert(process, node->id());
    if (module) {
        document->root().process.label = module->getLabel();
        numberItems(module, document, &ids);
        fillHierarchy(module, ids, &document->root().diagram);
    }
    numberItems(machine, document, &ids);
    fillHierarchy(machine, ids, &node->diagram);
    fillStateMachine(machine, ids, &node->diagram);
    return node;
}

void ProjectSnapshot::takeMachines(const ProjectCanvases& project, MachineSet* machines)
{
    for (const ProjectCanvases::StateMachine& machine : project.stateMachines())
        machines->add(takeMachine(machine.process, machine.canvas, machines->newDocument()));
}

void ProjectSnapshot::take(const Canvas* root, const QVector<Section>& sections, Document* document)
{
    QHash<const Canvas*, ProjectNode*> nodeOf {{root, &document->root()}};
    Ids ids;
    document->root().process.label = root->getLabel();
    numberItems(root, document, &ids);
    for (const Section& section : sections) {
        ProjectNode* parent = nodeOf.value(section.parent);
        ProjectNode* node = parent->appendChild(document->newId());
        node->process = processOf(section.process);
        nodeOf.insert(section.canvas, node);
        ids.of.insert(section.process, node->id());
        numberItems(section.canvas, document, &ids);
    }
    for (auto it = nodeOf.cbegin(); it != nodeOf.cend(); ++it) {
        fillHierarchy(it.key(), ids, &it.value()->diagram);
        if (it.value()->level() == 5)
            fillStateMachine(it.key(), ids, &it.value()->diagram);
    }
}
