#include "selectionclipboard.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QHash>
#include <QMimeData>
#include <QRegularExpression>

#include <optional>

#include "canvas.h"
#include "dataflowitem.h"
#include "document.h"
#include "initialtransition.h"
#include "itemtype.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "projectcanvases.h"
#include "projectfilereader.h"
#include "projectfilewriter.h"
#include "projectplacement.h"
#include "projectsnapshot.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("SelectionClipboard", text);
}

// What other programs get: the names, guards and actions, one item a line.
QString plainText(const ProjectNode& node)
{
    QStringList lines;
    const auto indented = [&lines](const QString& code) {
        for (const QString& line : code.split(QLatin1Char('\n')))
            lines << QStringLiteral("    ") + line;
    };
    for (const auto& child : node.children())
        lines << child->process.label;
    for (const StateElement& state : node.diagram.states) {
        lines << state.label;
        if (!state.action.isEmpty())
            indented(state.action);
    }
    for (const TransitionElement& transition : node.diagram.transitions) {
        QString line = transition.label;
        if (!transition.condition.isEmpty())
            line += QStringLiteral(" [") + transition.condition + QLatin1Char(']');
        if (!transition.action.isEmpty())
            line += QStringLiteral(" / ") + transition.action;
        lines << line;
    }
    for (const MemoryElement& memory : node.diagram.memories)
        lines << memory.datatype + QLatin1Char(' ') + memory.label;
    for (const TextElement& text : node.diagram.texts)
        lines << text.text;
    return lines.join(QLatin1Char('\n'));
}

// Why the items of a diagram of level from cannot go onto one of level to.
QString refusal(const ProjectNode& node, int from, int to)
{
    const Diagram& items = node.diagram;
    if ((!items.states.isEmpty() || !items.texts.isEmpty()) && to != 5)
        return tr("States, transitions and text items can only be pasted onto a state machine.");
    // Processes are drawn on microcontrollers' and software modules'
    // diagrams only, each kind on its own.
    if (!node.children().empty() && (to != from || (to != 3 && to != 4))) {
        if (from == 3)
            return tr("Software modules can only be pasted onto a microcontroller's diagram.");
        if (from == 4)
            return tr("State machines can only be pasted onto a software module's diagram.");
        return tr("Hardware modules and microcontrollers cannot be pasted.");
    }
    if (!items.memories.isEmpty() && to == 1)
        return tr("Memory items cannot be pasted onto the project's diagram.");
    return QString();
}

QPointF topLeft(const ProjectNode& node)
{
    QVector<QPointF> points;
    for (const auto& child : node.children())
        points << child->process.position;
    for (const StateElement& state : node.diagram.states)
        points << state.position;
    for (const TransitionElement& transition : node.diagram.transitions)
        points << transition.position;
    for (const TextElement& text : node.diagram.texts)
        points << text.position;
    for (const MemoryElement& memory : node.diagram.memories)
        points << memory.position;
    if (points.isEmpty())
        return QPointF();
    QPointF corner = points.first();
    for (const QPointF& point : points)
        corner = QPointF(qMin(corner.x(), point.x()), qMin(corner.y(), point.y()));
    return corner;
}

template <typename Items>
QSet<QString> labelsOf(const Items& items)
{
    QSet<QString> labels;
    for (const auto* item : items)
        labels.insert(item->getLabel());
    return labels;
}

// The items read from the clipboard, and where they go.
class Placer
{
public:
    Placer(Canvas* canvas, ProjectCanvases* project, QPointF shift, SelectionClipboard::Pasted* result)
        : canvas(canvas)
        , project(project)
        , shift(shift)
        , result(result)
    {
    }

    void placeMachineItems(const Diagram& diagram);
    void placeBlocks(const ProjectNode& node);

private:
    // The process's diagram and those below it, as a project file places them.
    void makeDiagram(Canvas* parent, int number, const ProjectNode& node);

    Canvas* canvas;
    ProjectCanvases* project;
    QPointF shift;
    SelectionClipboard::Pasted* result;
};

void Placer::placeMachineItems(const Diagram& diagram)
{
    QSet<QString> names = labelsOf(canvas->stateItems);
    bool initialTaken = canvas->initialTransition && canvas->initialTransition->getInitialState();
    Diagram arriving;
    for (StateElement element : diagram.states) {
        element.label = SelectionClipboard::freeName(element.label, names);
        names.insert(element.label);
        element.position += shift;
        // A machine has one initial state; the one it has stays so.
        element.initial = element.initial && !initialTaken;
        initialTaken = initialTaken || element.initial;
        arriving.states.append(element);
    }
    for (TransitionElement element : diagram.transitions) {
        element.position += shift;
        arriving.transitions.append(element);
    }
    const int first = canvas->stateItems.size();
    canvas->placeMachine(arriving);
    result->states = canvas->stateItems.mid(first);
    for (TextElement element : diagram.texts) {
        element.position += shift;
        result->texts << canvas->addTextItem(element);
    }
}

void Placer::placeBlocks(const ProjectNode& node)
{
    QSet<QString> names = labelsOf(canvas->processItems);
    QHash<ElementId, ProcessItem*> processes;
    for (const auto& child : node.children()) {
        ProcessElement element = child->process;
        element.label = SelectionClipboard::freeName(element.label, names);
        names.insert(element.label);
        element.position += shift;
        ProcessItem* process = canvas->addProcessItem(element);
        processes.insert(child->id(), process);
        result->blocks << process;
        makeDiagram(canvas, canvas->processItems.size(), *child);
    }
    for (LinkElement element : node.diagram.links) {
        element.position += shift;
        if (LinkItem* link = canvas->addLinkItem(element, processes.value(element.startProcess),
                                                 processes.value(element.endProcess)))
            result->blocks << link;
    }
    names = labelsOf(canvas->memoryItems);
    QHash<ElementId, MemoryItem*> memories;
    for (MemoryElement element : node.diagram.memories) {
        element.label = SelectionClipboard::freeName(element.label, names);
        names.insert(element.label);
        element.position += shift;
        MemoryItem* memory = canvas->addMemoryItem(element);
        memories.insert(element.id, memory);
        result->blocks << memory;
    }
    for (DataflowElement element : node.diagram.dataflows) {
        element.position += shift;
        if (DataflowItem* dataflow = canvas->addDataflowItem(element, processes.value(element.process),
                                                             memories.value(element.memory)))
            result->blocks << dataflow;
    }
    if (!processes.isEmpty())
        canvas->diagramNode().renumberChildren();
}

void Placer::makeDiagram(Canvas* parent, int number, const ProjectNode& node)
{
    t_strReadProcessItem identity;
    identity.level = parent->getLevel() + 1;
    identity.id = number;
    identity.parentId = parent->getId();
    identity.grandParentId = parent->getParentId();
    identity.Nos = parent->processItems.size();
    const ProcessItem* process = parent->processItems.at(number - 1);
    identity.label = process->getLabel();
    Canvas* diagram = project->createCanvasElement(&identity, parent->processNode(process));
    diagram->placeElements(node);
    diagram->coverItems();
    result->diagrams << diagram;
    int below = 0;
    for (const auto& child : node.children())
        makeDiagram(diagram, ++below, *child);
}

} // namespace

QString SelectionClipboard::itemsFormat()
{
    return QStringLiteral("application/x-korvel-items");
}

QString SelectionClipboard::levelFormat()
{
    return QStringLiteral("application/x-korvel-level");
}

QList<QGraphicsItem*> SelectionClipboard::Pasted::items() const
{
    QList<QGraphicsItem*> all = blocks;
    // A transition between two pasted states comes once.
    QSet<const TransitionItem*> listed;
    for (StateItem* state : states) {
        all << state;
        for (TransitionItem* transition : state->getTransitions() + state->getSelfTransitions()) {
            if (!listed.contains(transition)) {
                listed.insert(transition);
                all << transition;
            }
        }
    }
    for (TextItem* text : texts)
        all << text;
    return all;
}

QSet<const QGraphicsItem*> SelectionClipboard::itemsToCopy(const Canvas* canvas,
                                                           const QList<QGraphicsItem*>& selected)
{
    QSet<const QGraphicsItem*> taken;
    for (const QGraphicsItem* item : selected) {
        const int type = item->type();
        if (type == StateType || type == TextType || type == MemoryType || type == ProcessType)
            taken.insert(item);
    }
    for (const TransitionItem* transition : canvas->transitionItems)
        if (taken.contains(transition->startItem()) && taken.contains(transition->endItem()))
            taken.insert(transition);
    for (const LinkItem* link : canvas->linkItems)
        if (taken.contains(link->startItem()) && taken.contains(link->endItem()))
            taken.insert(link);
    for (const DataflowItem* dataflow : canvas->dataflowItems)
        if (taken.contains(dataflow->getProcess()) && taken.contains(dataflow->getMemory()))
            taken.insert(dataflow);
    return taken;
}

QMimeData* SelectionClipboard::copy(const ProjectCanvases& project, const Canvas* canvas,
                                    const QList<QGraphicsItem*>& selected)
{
    const QSet<const QGraphicsItem*> chosen = itemsToCopy(canvas, selected);
    if (chosen.isEmpty())
        return nullptr;
    Document document;
    const ProjectNode* node = ProjectSnapshot::takeItems(project, canvas, chosen, &document);
    ProjectFileWriter writer;
    const QByteArray bytes = writer.bytes(document);
    if (bytes.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(itemsFormat(), bytes);
    data->setData(levelFormat(), QByteArray::number(canvas->getLevel()));
    data->setText(plainText(*node));
    return data;
}

SelectionClipboard::Pasted SelectionClipboard::paste(const QMimeData* data, Canvas* canvas, ProjectCanvases* project,
                                                     const QPointF* at, QPointF offset)
{
    Pasted result;
    bool levelRead = false;
    const int level = data ? data->data(levelFormat()).toInt(&levelRead) : 0;
    const QByteArray bytes = data ? data->data(itemsFormat()) : QByteArray();
    if (bytes.isEmpty() || !levelRead || level < 1 || level > 5) {
        result.refusal = tr("The clipboard holds no Korvel items.");
        return result;
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    ProjectFileReader::Records records;
    Document document;
    QString why;
    if (!ProjectFileReader::run(&buffer, ProjectFileReader::Pass::CheckAndRead, &records)
        || !ProjectPlacement(records).fill(&document, &why)) {
        result.refusal = tr("The Korvel items on the clipboard cannot be read.");
        return result;
    }
    const ProjectNode* node = &document.root();
    while (node->level() < level && !node->children().empty())
        node = node->children().front().get();
    if (node->level() != level) {
        result.refusal = tr("The Korvel items on the clipboard cannot be read.");
        return result;
    }
    result.refusal = refusal(*node, level, canvas->getLevel());
    if (!result.refusal.isEmpty())
        return result;
    // The paste makes the diagrams of the pasted processes itself, with
    // what the clipboard holds for them.
    std::optional<ProjectCanvases::Placement> placing;
    if (project)
        placing.emplace(project);
    Placer placer(canvas, project, at ? *at - topLeft(*node) : offset, &result);
    placer.placeMachineItems(node->diagram);
    placer.placeBlocks(*node);
    canvas->update();
    return result;
}

QString SelectionClipboard::freeName(const QString& label, const QSet<QString>& taken)
{
    if (!taken.contains(label))
        return label;
    static const QRegularExpression numbered(QStringLiteral("_\\d+$"));
    QString stem = label;
    stem.remove(numbered);
    for (int number = 2;; ++number) {
        const QString name = stem + QLatin1Char('_') + QString::number(number);
        if (!taken.contains(name))
            return name;
    }
}
