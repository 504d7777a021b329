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
    placeMachine(node.diagram, ids);
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
