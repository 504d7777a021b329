// The elements of a diagram put on a canvas as items: from a project file,
// and from anything else that fills a document.

#include "canvas.h"

#include <QHash>

#include "dataflowitem.h"
#include "dataflowline.h"
#include "linkitem.h"
#include "linkline.h"
#include "memoryitem.h"
#include "processitem.h"
#include "projectnode.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
#include "transitionline.h"

namespace {

// A process carries the identity of the canvas it lies on: its diagram is
// found by it.
void locate(ProcessItem* process, const Canvas* canvas)
{
    process->setLevel(canvas->getLevel() + 1);
    process->setParentId(canvas->getId());
    process->setGrandParentId(canvas->getParentId());
}

} // namespace

void Canvas::placeElements(const ProjectNode& node, ItemIds ids)
{
    // Processes, states, transitions, texts, links, memory items and
    // dataflows: each lands above the kinds before it.
    QHash<ElementId, ProcessItem*> processes;
    for (const auto& child : node.children())
        processes.insert(child->id(), addProcessItem(child->process));
    const bool keep = ids == ItemIds::OfElements;
    const int firstState = stateItems.size();
    const int firstTransition = transitionItems.size();
    QHash<ElementId, StateItem*> states;
    for (const SharedElement<StateElement>& state : node.diagram.states)
        states.insert(state->id, addStateItem(state, keep ? state->id : 0));
    for (const SharedElement<TransitionElement>& transition : node.diagram.transitions)
        addTransitionItem(transition, states.value(transition->startState), states.value(transition->endState),
                          keep ? transition->id : 0);
    // Read once, with every transition attached: the elements take what the
    // scene now holds (for a file, what they held already), so the first
    // save finds nothing to take.
    for (int i = firstState; i < stateItems.size(); ++i)
        stateItems.at(i)->element();
    for (int i = firstTransition; i < transitionItems.size(); ++i)
        transitionItems.at(i)->element();
    for (const TextElement& text : node.diagram.texts)
        addTextItem(text);
    for (const LinkElement& link : node.diagram.links)
        addLinkItem(link, processes.value(link.startProcess), processes.value(link.endProcess));
    QHash<ElementId, MemoryItem*> memories;
    for (const MemoryElement& memory : node.diagram.memories)
        memories.insert(memory.id, addMemoryItem(memory));
    for (const DataflowElement& dataflow : node.diagram.dataflows)
        addDataflowItem(dataflow, processes.value(dataflow.process), memories.value(dataflow.memory));
    update();
}

StateItem* Canvas::addStateItem(const SharedElement<StateElement>& element, ElementId id)
{
    auto* state = new StateItem(menus->stateMenu, element->position, id);
    state->setElement(element);
    state->setZValue(nextZValue());
    addItem(state);
    stateItems.append(state);
    newStateItem = state;
    if (element->initial)
        placeInitialMarkerOn(state);
    return state;
}

TransitionItem* Canvas::addTransitionItem(const SharedElement<TransitionElement>& element, StateItem* start,
                                          StateItem* end, ElementId id)
{
    // A transition without both its states is dropped rather than attached
    // to nothing.
    if (!start || !end)
        return nullptr;
    auto* transition = new TransitionItem(menus->transitionMenu, start, end, nullptr, id);
    start->addTransition(transition);
    if (start != end)
        end->addTransition(transition);
    transition->setElement(element);
    transitionItems.append(transition);
    newTransitionItem = transition;
    transition->setZValue(nextZValue());
    addItem(transition);

    newTransitionStartLine = new TransitionLine(start, transition, nullptr);
    newTransitionStartLine->setZValue(0);
    addItem(newTransitionStartLine);
    transition->setStartLine(newTransitionStartLine);
    newTransitionEndLine = new TransitionLine(transition, end, nullptr);
    newTransitionEndLine->setZValue(0);
    addItem(newTransitionEndLine);
    transition->setEndLine(newTransitionEndLine);
    return transition;
}

ProcessItem* Canvas::addProcessItem(const ProcessElement& element)
{
    auto* process = new ProcessItem(menus->processMenu, element.position, element.shape, nullptr);
    locate(process, this);
    process->setElement(element);
    process->setZValue(nextZValue());
    addItem(process);
    processItems.append(process);
    newProcessItem = process;
    return process;
}

LinkItem* Canvas::addLinkItem(const LinkElement& element, ProcessItem* start, ProcessItem* end)
{
    if (!start || !end || start == end)
        return nullptr;
    auto* link = new LinkItem(menus->linkMenu, start, end, nullptr);
    link->setElement(element);
    placeLink(link, start, end);
    return link;
}

void Canvas::placeLink(LinkItem* link, ProcessItem* from, ProcessItem* to)
{
    from->addLink(link);
    to->addLink(link);
    link->setZValue(nextZValue());
    addItem(link);
    linkItems.append(link);
    newLinkItem = link;
    newLinkStartLine = new LinkLine(from, link, nullptr);
    newLinkEndLine = new LinkLine(link, to, nullptr);
    newLinkStartLine->setZValue(0);
    newLinkEndLine->setZValue(0);
    link->setStartLine(newLinkStartLine);
    link->setEndLine(newLinkEndLine);
    addItem(newLinkStartLine);
    addItem(newLinkEndLine);
    update();
    update();
}

DataflowItem* Canvas::addDataflowItem(const DataflowElement& element, ProcessItem* process, MemoryItem* memory)
{
    // Type 1 flows from the process into the memory item, type 2 back.
    if (!process || !memory || (element.lineType != 1 && element.lineType != 2))
        return nullptr;
    QGraphicsItem* start = element.lineType == 1 ? static_cast<QGraphicsItem*>(process) : memory;
    QGraphicsItem* end = element.lineType == 1 ? static_cast<QGraphicsItem*>(memory) : process;
    auto* dataflow = new DataflowItem(menus->dataflowMenu, start, end, nullptr);
    dataflow->setElement(element);
    placeDataflow(dataflow, start, end, process, memory);
    return dataflow;
}

void Canvas::placeDataflow(DataflowItem* dataflow, QGraphicsItem* start, QGraphicsItem* end,
                           ProcessItem* process, MemoryItem* memory)
{
    process->addDataflow(dataflow);
    memory->addDataflow(dataflow);
    dataflow->setZValue(nextZValue());
    addItem(dataflow);
    dataflowItems.append(dataflow);
    newDataflowItem = dataflow;
    newDataflowStartLine = new DataflowLine(start, dataflow, nullptr);
    newDataflowEndLine = new DataflowLine(dataflow, end, nullptr);
    newDataflowStartLine->setZValue(0);
    newDataflowEndLine->setZValue(0);
    dataflow->setStartLine(newDataflowStartLine);
    dataflow->setEndLine(newDataflowEndLine);
    addItem(newDataflowStartLine);
    addItem(newDataflowEndLine);
    update();
    update();
}
