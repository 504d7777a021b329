// The items of a project file put on a canvas, and the label lookups that
// keep a whole file's placement linear.

#include "canvas.h"

#include "dataflowitem.h"
#include "dataflowline.h"
#include "itemtype.h"
#include "linkitem.h"
#include "linkline.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
#include "transitionline.h"

namespace {

template <typename T>
T* lastWithLabel(const QVector<T*>& registry, const QString& label)
{
    T* match = nullptr;
    for (T* item : registry) {
        if (item->getLabel() == label)
            match = item;
    }
    return match;
}

} // namespace

// ---- Builders for items read from a project file ---------------------------

bool Canvas::addStateItem(t_stateItemReadFromXML* record)
{
    auto* state = new StateItem(menus->stateMenu,
                                QPointF(int(record->xCoord), int(record->yCoord)));
    state->updatePropertiesfromXMLIO(record);
    state->setZValue(nextZValue());
    addItem(state);
    update();
    update();
    stateItems.append(state);
    newStateItem = state;
    if (bulkLoading)
        stateByLabel.insert(state->getLabel(), state);
    if (record->ifInitialState)
        placeInitialMarkerOn(state);
    return true;
}

bool Canvas::addTextItem(t_textItemReadFromXML* record)
{
    auto* text = new TextItem(menus->textMenu, QPointF(record->xCoord, record->yCoord), nullptr);
    text->updatePropertiesfromXMLIO(record);
    text->setZValue(nextZValue());
    addItem(text);
    update();
    update();
    textItems.append(text);
    newTextItem = text;
    return true;
}

bool Canvas::addTransitionItem(t_transitionItemReadFromXML* record)
{
    StateItem* start = findStateByLabel(record->startItem);
    StateItem* end = findStateByLabel(record->endItem);
    // A transition naming a state that is not on this canvas is dropped rather
    // than attached to nothing.
    if (!start || !end)
        return false;

    auto* transition = new TransitionItem(menus->transitionMenu, start, end, nullptr);
    start->addTransition(transition);
    if (start != end)
        end->addTransition(transition);
    transition->updatePropertiesfromXMLIO(record);
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
    update();
    update();
    return true;
}

bool Canvas::addProcessItem(t_processItemReadFromXML* record)
{
    auto* process = new ProcessItem(menus->processMenu,
                                    QPointF(int(record->xCoord), int(record->yCoord)),
                                    record->shape, nullptr);
    process->updatePropertiesfromXMLIO(record);
    process->setZValue(nextZValue());
    addItem(process);
    update();
    update();
    processItems.append(process);
    newProcessItem = process;
    if (bulkLoading)
        processByLabel.insert(process->getLabel(), process);
    return true;
}

bool Canvas::addLinkItem(t_linkItemReadFromXML* record)
{
    ProcessItem* start = findProcessByLabel(record->startItem);
    ProcessItem* end = findProcessByLabel(record->endItem);
    if (!start || !end || start == end)
        return false;

    auto* link = new LinkItem(menus->linkMenu, start, end, nullptr);
    link->updatePropertiesfromXMLIO(record);
    placeLink(link, start, end);
    return true;
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

bool Canvas::addMemoryItem(t_memoryItemReadFromXML* record)
{
    auto* memory = new MemoryItem(menus->memoryMenu, QPointF(record->xCoord, record->yCoord));
    memory->updatePropertiesfromXMLIO(record);
    memory->setZValue(nextZValue());
    addItem(memory);
    update();
    memoryItems.append(memory);
    newMemoryItem = memory;
    if (bulkLoading)
        memoryByLabel.insert(memory->getLabel(), memory);
    return true;
}

bool Canvas::addDataflowItem(t_dataflowItemReadFromXML* record)
{
    ProcessItem* process = nullptr;
    MemoryItem* memory = nullptr;
    if (record->lineType == 1) {
        process = findProcessByLabel(record->startItem);
        memory = findMemoryByLabel(record->endItem);
    } else if (record->lineType == 2) {
        memory = findMemoryByLabel(record->startItem);
        process = findProcessByLabel(record->endItem);
    }
    if (!process || !memory)
        return false;

    QGraphicsItem* start = record->lineType == 1 ? static_cast<QGraphicsItem*>(process) : memory;
    QGraphicsItem* end = record->lineType == 1 ? static_cast<QGraphicsItem*>(memory) : process;
    auto* dataflow = new DataflowItem(menus->dataflowMenu, start, end, nullptr);
    dataflow->updatePropertiesfromXMLIO(record);
    placeDataflow(dataflow, start, end, process, memory);
    return true;
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

// Several items may share a label; the last one added wins, and the indexes
// keep that meaning by letting later insertions overwrite earlier ones.
template <typename T>
static QHash<QString, T*> indexByLabel(const QVector<T*>& registry)
{
    QHash<QString, T*> index;
    index.reserve(registry.size());
    for (T* item : registry)
        index.insert(item->getLabel(), item);
    return index;
}

void Canvas::beginBulkLoad()
{
    bulkLoading = true;
    stateByLabel = indexByLabel(stateItems);
    processByLabel = indexByLabel(processItems);
    memoryByLabel = indexByLabel(memoryItems);
}

void Canvas::endBulkLoad()
{
    bulkLoading = false;
    stateByLabel.clear();
    processByLabel.clear();
    memoryByLabel.clear();
}

StateItem* Canvas::findStateByLabel(const QString& text) const
{
    return bulkLoading ? stateByLabel.value(text, nullptr) : lastWithLabel(stateItems, text);
}

ProcessItem* Canvas::findProcessByLabel(const QString& text) const
{
    return bulkLoading ? processByLabel.value(text, nullptr) : lastWithLabel(processItems, text);
}

MemoryItem* Canvas::findMemoryByLabel(const QString& text) const
{
    return bulkLoading ? memoryByLabel.value(text, nullptr) : lastWithLabel(memoryItems, text);
}
