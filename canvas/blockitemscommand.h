#ifndef BLOCKITEMSCOMMAND_H
#define BLOCKITEMSCOMMAND_H

#include <QHash>
#include <QList>
#include <QVector>

#include <memory>
#include <utility>
#include <vector>

#include "canvascommand.h"
#include "document.h"

class DataflowItem;
class LinkItem;
class MemoryItem;
class ProcessItem;
class ProjectCanvases;

// Block items leaving their canvas, or coming onto it, as one step:
// processes with the diagrams of their whole subtree, memory items, and the
// links and dataflows that would lose an end with them. Everything taken off
// is kept, so that undo puts it back in its place: the same items, at the
// same places in the registries, with the same nodes and diagrams.
class BlockItemsCommand : public CanvasCommand
{
public:
    enum Kind {
        // The items are on the canvas; the step removes them.
        Remove,
        // A gesture has just put the items on the canvas; the step is their
        // arrival, and undo removes them.
        Arrival
    };

    // Without a project (a canvas on its own) processes take no diagrams along.
    BlockItemsCommand(Canvas* canvas, ProjectCanvases* project, const QList<QGraphicsItem*>& items, Kind kind,
                      const QString& text);
    ~BlockItemsCommand() override;

    void undo() override;
    void redo() override;

private:
    void takeOff();
    void putBack();
    void takeConnectorsOff(const QVector<QGraphicsItem*>& connectors);
    void putConnectorsBack();
    void rememberConnections(const QVector<QGraphicsItem*>& connectors);

    ProjectCanvases* project = nullptr;
    Kind kind;
    bool firstRedo = true;
    QList<QGraphicsItem*> chosen;
    // What the last removal took. The nodes of the processes with their
    // subtrees, each with its place among its siblings, the first place
    // first; the elements of the other kinds with their places.
    std::vector<std::pair<int, std::unique_ptr<ProjectNode>>> nodes;
    Document::Placed<MemoryElement> memoryElements;
    Document::Placed<LinkElement> linkElements;
    Document::Placed<DataflowElement> dataflowElements;
    // The connections of the boxes at the removed connectors' ends, as they
    // were: undo gives them back in their order, which the mirrors follow.
    QHash<ProcessItem*, QList<LinkItem*>> linksOf;
    QHash<ProcessItem*, QList<DataflowItem*>> processFlowsOf;
    QHash<MemoryItem*, QList<DataflowItem*>> memoryFlowsOf;
};

#endif // BLOCKITEMSCOMMAND_H
