// The canvas as a view of its document: the links and dataflows, with the
// lines that join them to their ends, follow the document's.

#include "canvas.h"

#include "dataflowitem.h"
#include "dataflowline.h"
#include "linkitem.h"
#include "linkline.h"
#include "memoryitem.h"
#include "processitem.h"

ProcessItem* Canvas::processOf(ElementId id) const
{
    ProcessItem* process = processViews.value(id);
    return holds(process) ? process : nullptr;
}

LinkItem* Canvas::addLinkItem(const LinkElement& element, ProcessItem* start, ProcessItem* end)
{
    if (!start || !end || start == end)
        return nullptr;
    LinkElement link = element;
    link.startProcess = start->elementId();
    link.endProcess = end->elementId();
    return insertFresh(link, linkViews);
}

DataflowItem* Canvas::addDataflowItem(const DataflowElement& element, ProcessItem* process, MemoryItem* memory)
{
    // Type 1 flows from the process into the memory item, type 2 back.
    if (!process || !memory || (element.lineType != 1 && element.lineType != 2))
        return nullptr;
    DataflowElement dataflow = element;
    dataflow.process = process->elementId();
    dataflow.memory = memory->elementId();
    return insertFresh(dataflow, dataflowViews);
}

void Canvas::linkAdded(ElementId id, int index)
{
    const LinkElement& element = doc->at<LinkElement>(*shownNode, index);
    LinkItem* link = linkViews.value(id);
    if (link) {
        setShown(link, true);
        link->showElement(element);
    } else {
        ProcessItem* from = processOf(element.startProcess);
        ProcessItem* to = processOf(element.endProcess);
        if (!from || !to)
            return;
        link = new LinkItem(menus ? menus->linkMenu : nullptr, id, from, to);
        link->setElement(element);
        placeView(link, id, &linkViews);
        joinEnds<LinkLine>(link, from, to);
    }
    link->startItem()->addLink(link);
    link->endItem()->addLink(link);
    linkItems.insert(index, link);
    update();
}

void Canvas::dataflowAdded(ElementId id, int index)
{
    const DataflowElement& element = doc->at<DataflowElement>(*shownNode, index);
    DataflowItem* dataflow = dataflowViews.value(id);
    if (dataflow) {
        setShown(dataflow, true);
        dataflow->showElement(element);
    } else {
        ProcessItem* process = processOf(element.process);
        MemoryItem* memory = memoryViews.value(element.memory);
        if (!process || !memory)
            return;
        QGraphicsItem* start = element.lineType == 1 ? static_cast<QGraphicsItem*>(process) : memory;
        QGraphicsItem* end = element.lineType == 1 ? static_cast<QGraphicsItem*>(memory) : process;
        dataflow = new DataflowItem(menus ? menus->dataflowMenu : nullptr, id, start, end);
        dataflow->setElement(element);
        placeView(dataflow, id, &dataflowViews);
        joinEnds<DataflowLine>(dataflow, start, end);
    }
    if (ProcessItem* process = dataflow->getProcess())
        process->addDataflow(dataflow);
    if (MemoryItem* memory = dataflow->getMemory())
        memory->addDataflow(dataflow);
    dataflowItems.insert(index, dataflow);
    update();
}

void Canvas::linkRemoved(ElementId id)
{
    LinkItem* link = linkViews.value(id);
    if (!link)
        return;
    if (link->startItem())
        link->startItem()->removeLink(link);
    if (link->endItem())
        link->endItem()->removeLink(link);
    linkItems.removeOne(link);
    // Parked, as a text is, with its lines.
    setShown(link, false);
    if (currentLink == link)
        currentLink = nullptr;
    update();
}

void Canvas::dataflowRemoved(ElementId id)
{
    DataflowItem* dataflow = dataflowViews.value(id);
    if (!dataflow)
        return;
    if (ProcessItem* process = dataflow->getProcess())
        process->removeDataflow(dataflow);
    if (MemoryItem* memory = dataflow->getMemory())
        memory->removeDataflow(dataflow);
    dataflowItems.removeOne(dataflow);
    setShown(dataflow, false);
    if (currentDataflow == dataflow)
        currentDataflow = nullptr;
    update();
}
