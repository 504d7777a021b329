#include "takenelementswatch.h"

#include <QTest>
#include <QUndoStack>

#include "canvas.h"
#include "exactvalues.h"
#include "dataflowitem.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "projectcanvases.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

TakenElementsWatch::TakenElementsWatch(const QUndoStack* history, const QVector<Canvas*>* canvases)
    : connection(QObject::connect(history, &QUndoStack::indexChanged, [canvases] { check(*canvases); }))
{
}

TakenElementsWatch::~TakenElementsWatch()
{
    // The history steps back to nothing as it goes.
    QObject::disconnect(connection);
}

namespace {

QVector<ElementId> idsOf(const QList<TransitionItem*>& transitions)
{
    QVector<ElementId> ids;
    for (const TransitionItem* transition : transitions)
        ids.append(transition->elementId());
    return ids;
}

bool agrees(const StateItem* item, const StateElement& element)
{
    return ExactValues::same(element.position, item->pos()) && element.transitions == idsOf(item->getTransitions())
        && item->getLabel() == element.label && item->getWidth() == element.width
        && item->initialStatus() == element.initial;
}

bool agrees(const TransitionItem* item, const TransitionElement& element)
{
    return ExactValues::same(element.position, item->pos()) && element.startState == item->startItem()->elementId()
        && element.endState == item->endItem()->elementId() && item->getLabel() == element.label
        && item->getWidth() == element.width;
}

// The state or transition items show the document's, in its order.
template <typename Element, typename Item, typename ViewOf>
bool machineAgrees(const QVector<SharedElement<Element>>& elements, const QVector<Item*>& items, ViewOf viewOf)
{
    if (elements.size() != items.size())
        return false;
    for (int i = 0; i < elements.size(); ++i) {
        const Item* item = items.at(i);
        if (item->elementId() != elements.at(i)->id || viewOf(item->elementId()) != item || !item->isVisible()
            || !agrees(item, elements.at(i).get()))
            return false;
    }
    return true;
}

bool machineAgrees(const Canvas* canvas)
{
    const Diagram& diagram = canvas->diagramNode().diagram;
    return machineAgrees(diagram.states, canvas->stateItems, [canvas](ElementId id) { return canvas->stateItemOf(id); })
        && machineAgrees(diagram.transitions, canvas->transitionItems,
                         [canvas](ElementId id) { return canvas->transitionItemOf(id); });
}

// The text items show the document's texts, in its order.
bool textsAgree(const Canvas* canvas)
{
    const QVector<TextElement>& texts = canvas->diagramNode().diagram.texts;
    if (texts.size() != canvas->textItems.size())
        return false;
    for (int i = 0; i < texts.size(); ++i) {
        const TextItem* item = canvas->textItems.at(i);
        const TextElement& text = texts.at(i);
        if (item->elementId() != text.id || !ExactValues::same(item->pos(), text.position)
            || item->getAction() != text.text || item->getWidth() != text.width || !item->isVisible())
            return false;
    }
    return true;
}

bool endsAgree(const MemoryItem*, const MemoryElement&)
{
    return true;
}

bool endsAgree(const LinkItem* item, const LinkElement& link)
{
    return item->startItem()->elementId() == link.startProcess && item->endItem()->elementId() == link.endProcess;
}

bool endsAgree(const DataflowItem* item, const DataflowElement& dataflow)
{
    return item->getProcess()->elementId() == dataflow.process && item->getMemory()->elementId() == dataflow.memory
        && item->getLineType() == dataflow.lineType;
}

// The memory items, links or dataflows show the document's, in its order.
template <typename Element, typename Item, typename ViewOf>
bool blocksAgree(const QVector<Element>& elements, const QVector<Item*>& items, ViewOf viewOf)
{
    if (elements.size() != items.size())
        return false;
    for (int i = 0; i < elements.size(); ++i) {
        const Item* item = items.at(i);
        const Element& element = elements.at(i);
        if (item->elementId() != element.id || !ExactValues::same(item->pos(), element.position)
            || item->getLabel() != element.label || item->getDatatype() != element.datatype
            || item->getDescription() != element.description
            || item->getBackgroundColor().rgba() != element.colour.argb() || !item->isVisible()
            || viewOf(element.id) != item || !endsAgree(item, element))
            return false;
    }
    return true;
}

bool blocksAgree(const Canvas* canvas)
{
    const Diagram& diagram = canvas->diagramNode().diagram;
    return blocksAgree(diagram.memories, canvas->memoryItems, [canvas](ElementId id) { return canvas->memoryItemOf(id); })
        && blocksAgree(diagram.links, canvas->linkItems, [canvas](ElementId id) { return canvas->linkItemOf(id); })
        && blocksAgree(diagram.dataflows, canvas->dataflowItems,
                       [canvas](ElementId id) { return canvas->dataflowItemOf(id); });
}

// The process items show the processes of the nodes below the canvas's,
// in their order; in a project, each node is its process's diagram.
bool treeAgrees(const Canvas* canvas)
{
    const auto& children = canvas->diagramNode().children();
    if (int(children.size()) != canvas->processItems.size())
        return false;
    const ProjectCanvases* project = canvas->getProject();
    const bool inProject = project && project->contains(canvas);
    for (int i = 0; i < canvas->processItems.size(); ++i) {
        const ProcessItem* item = canvas->processItems.at(i);
        const ProjectNode& node = *children.at(std::size_t(i));
        const ProcessElement& process = node.process;
        if (item->elementId() != node.id() || canvas->processNode(item) != &node || !item->isVisible()
            || !ExactValues::same(item->pos(), process.position) || item->getLabel() != process.label
            || item->getWidth() != process.width || item->getHeight() != process.height
            || item->getShape() != process.shape || item->getCode() != process.code
            || item->getBackgroundColor().rgba() != process.colour.argb())
            return false;
        // Its diagram is found by its identity, as the file names it.
        const Canvas* diagram = inProject ? project->getCanvasItem(item->getLevel(), item->getId(),
                                                                    item->getParentId(), nullptr)
                                          : nullptr;
        if (inProject && (!diagram || diagram != project->diagramOf(item)))
            return false;
    }
    return true;
}

} // namespace

void TakenElementsWatch::check(const QVector<Canvas*>& canvases)
{
    for (const Canvas* canvas : canvases) {
        if (!machineAgrees(canvas))
            QTest::qFail("the states or transitions do not show their document's", __FILE__, __LINE__);
        if (!textsAgree(canvas))
            QTest::qFail("the text items do not show the texts of their document", __FILE__, __LINE__);
        if (!blocksAgree(canvas))
            QTest::qFail("the memory items, links or dataflows do not show their document's", __FILE__, __LINE__);
        if (!treeAgrees(canvas))
            QTest::qFail(qPrintable(QStringLiteral("the processes on %1 do not show the nodes below its own")
                                        .arg(canvas->getLabel())),
                         __FILE__, __LINE__);
    }
}
