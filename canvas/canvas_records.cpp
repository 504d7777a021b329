// The elements of a diagram put on a canvas as items: from a project file,
// and from anything else that fills a document. The processes are the
// children of the node the canvas shows, and their items its views.

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
    auto node = std::make_unique<ProjectNode>(Document::newId(), nullptr);
    node->process = element;
    const ElementId id = node->id();
    doc->insertNode(*shownNode, -1, std::move(node));
    return processViews.value(id);
}

ProjectNode* Canvas::processNode(const ProcessItem* process) const
{
    return process && shownNode ? shownNode->child(process->elementId()) : nullptr;
}

void Canvas::nodeAdded(const ProjectNode& parent, int index)
{
    if (&parent != shownNode)
        return;
    const ProjectNode& node = *parent.children().at(std::size_t(index));
    ProcessItem* process = processViews.value(node.id());
    if (process) {
        // Back in its place in the stacking order.
        process->show();
    } else {
        process = new ProcessItem(menus ? menus->processMenu : nullptr, node.id());
        process->setNode(&node);
        placeView(process, node.id(), &processViews);
        newProcessItem = process;
    }
    process->showElement(node.process);
    processItems.insert(qMin(index, processItems.size()), process);
    update();
}

void Canvas::nodeRemoved(const ProjectNode& parent, const ProjectNode& node, int)
{
    ProcessItem* process = &parent == shownNode ? processViews.value(node.id()) : nullptr;
    if (!process)
        return;
    if (newProcessItem == process)
        newProcessItem = nullptr;
    parkView(process, &processItems, &currentProcess);
}

void Canvas::processChanged(const ProjectNode& node)
{
    if (node.parent() != shownNode || !shownNode)
        return;
    if (ProcessItem* process = processViews.value(node.id())) {
        process->showElement(node.process);
        update();
    }
}
