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
