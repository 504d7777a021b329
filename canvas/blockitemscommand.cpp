#include "blockitemscommand.h"

#include <QSet>

#include <algorithm>
#include <functional>

#include "canvas.h"
#include "dataflowitem.h"
#include "dataflowline.h"
#include "itemtype.h"
#include "linkitem.h"
#include "linkline.h"
#include "memoryitem.h"
#include "processitem.h"
#include "projectcanvases.h"

BlockItemsCommand::BlockItemsCommand(Canvas* target, ProjectCanvases* projectCanvases,
                                     const QList<QGraphicsItem*>& items, Kind how, const QString& text)
    : CanvasCommand(target)
    , project(projectCanvases)
    , kind(how)
    , chosen(items)
{
    setText(text);
}

BlockItemsCommand::~BlockItemsCommand()
{
    // The diagrams of the nodes the step keeps out of the tree are released
    // with the project, after every step that may still point into them.
    if (project)
        for (const auto& taken : nodes)
            project->release(*taken.second);
}

void BlockItemsCommand::redo()
{
    const bool placedAlready = kind == Arrival && firstRedo;
    firstRedo = false;
    if (placedAlready)
        return;
    if (kind == Remove)
        takeOff();
    else
        putBack();
}

void BlockItemsCommand::undo()
{
    if (kind == Remove)
        putBack();
    else
        takeOff();
}

void BlockItemsCommand::takeOff()
{
    QVector<QGraphicsItem*> boxes;
    QVector<QGraphicsItem*> connectors;
    QSet<QGraphicsItem*> seen;
    const auto add = [&seen](QVector<QGraphicsItem*>* list, QGraphicsItem* item) {
        if (item && !seen.contains(item)) {
            seen.insert(item);
            list->append(item);
        }
    };
    for (QGraphicsItem* item : qAsConst(chosen)) {
        if (!isOnCanvas(item))
            continue;
        switch (item->type()) {
        case ProcessType:
            add(&boxes, item);
            for (LinkItem* link : static_cast<ProcessItem*>(item)->getLinks())
                add(&connectors, link);
            for (DataflowItem* dataflow : static_cast<ProcessItem*>(item)->getDataflows())
                add(&connectors, dataflow);
            break;
        case MemoryType:
            add(&boxes, item);
            for (DataflowItem* dataflow : static_cast<MemoryItem*>(item)->getDataflows())
                add(&connectors, dataflow);
            break;
        case LinkType:
        case DataflowType:
            add(&connectors, item);
            break;
        }
    }

    takeConnectorsOff(connectors);
    // Processes are their nodes, memory items the document's: the canvas
    // parks their views.
    ProjectNode& shown = canvas->diagramNode();
    QVector<int> places;
    QVector<ElementId> memories;
    for (QGraphicsItem* item : qAsConst(boxes)) {
        keep(item);
        if (item->type() == ProcessType)
            places.append(shown.indexOf(canvas->processNode(static_cast<ProcessItem*>(item))));
        else
            memories.append(static_cast<MemoryItem*>(item)->elementId());
    }
    // The nodes go the last first, so that each place is where it stood.
    std::sort(places.begin(), places.end(), std::greater<int>());
    nodes.clear();
    for (int place : qAsConst(places))
        if (place >= 0)
            nodes.emplace_back(place, canvas->document().takeNode(shown, place));
    std::reverse(nodes.begin(), nodes.end());
    if (!nodes.empty())
        shown.renumberChildren();
    memoryElements = canvas->document().takeMany<MemoryElement>(shown, memories);

    // The project takes the diagrams of the subtrees out with their nodes.
    if (project && !nodes.empty())
        project->structureChanged();
    canvas->update();
}

void BlockItemsCommand::putBack()
{
    const bool processesBack = !nodes.empty();
    for (auto& taken : nodes)
        canvas->document().insertNode(canvas->diagramNode(), taken.first, std::move(taken.second));
    if (processesBack)
        canvas->diagramNode().renumberChildren();
    nodes.clear();
    canvas->document().putBack<MemoryElement>(canvas->diagramNode(), memoryElements);
    putConnectorsBack();
    if (project && processesBack)
        project->structureChanged();
    canvas->update();
}

void BlockItemsCommand::takeConnectorsOff(const QVector<QGraphicsItem*>& connectors)
{
    rememberConnections(connectors);
    QVector<ElementId> links;
    QVector<ElementId> dataflows;
    for (QGraphicsItem* item : connectors) {
        keep(item);
        if (item->type() == LinkType)
            links.append(static_cast<LinkItem*>(item)->elementId());
        else
            dataflows.append(static_cast<DataflowItem*>(item)->elementId());
    }
    // Links and dataflows are the document's: the canvas parks their views
    // and takes them off the boxes at their ends.
    linkElements = canvas->document().takeMany<LinkElement>(canvas->diagramNode(), links);
    dataflowElements = canvas->document().takeMany<DataflowElement>(canvas->diagramNode(), dataflows);
}

void BlockItemsCommand::putConnectorsBack()
{
    canvas->document().putBack<LinkElement>(canvas->diagramNode(), linkElements);
    canvas->document().putBack<DataflowElement>(canvas->diagramNode(), dataflowElements);
    for (auto it = linksOf.cbegin(); it != linksOf.cend(); ++it)
        it.key()->setLinks(it.value());
    for (auto it = processFlowsOf.cbegin(); it != processFlowsOf.cend(); ++it)
        it.key()->setDataflows(it.value());
    for (auto it = memoryFlowsOf.cbegin(); it != memoryFlowsOf.cend(); ++it)
        it.key()->setDataflows(it.value());
}

void BlockItemsCommand::rememberConnections(const QVector<QGraphicsItem*>& connectors)
{
    linksOf.clear();
    processFlowsOf.clear();
    memoryFlowsOf.clear();
    for (const QGraphicsItem* item : connectors) {
        if (item->type() == LinkType) {
            const auto* link = static_cast<const LinkItem*>(item);
            for (ProcessItem* end : {link->startItem(), link->endItem()})
                if (end && !linksOf.contains(end))
                    linksOf.insert(end, end->getLinks());
            continue;
        }
        const auto* dataflow = static_cast<const DataflowItem*>(item);
        if (ProcessItem* process = dataflow->getProcess(); process && !processFlowsOf.contains(process))
            processFlowsOf.insert(process, process->getDataflows());
        if (MemoryItem* memory = dataflow->getMemory(); memory && !memoryFlowsOf.contains(memory))
            memoryFlowsOf.insert(memory, memory->getDataflows());
    }
}
