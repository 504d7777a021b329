#include "placementfiller.h"

#include <algorithm>
#include <utility>

#include "document.h"

namespace {

Colour colourOf(const ParsedColour& colour, Colour fallback)
{
    // A colour that did not parse is drawn, and saved, as the default.
    return colour.valid ? colour.colour() : fallback;
}

QVector<QPointF> pointsOf(const QVector<QPoint>& points)
{
    QVector<QPointF> out;
    out.reserve(points.size());
    for (const QPoint& point : points)
        out.append(QPointF(point));
    return out;
}

// Where a state's drawing starts: states and processes sit on whole units.
QPointF wholeUnits(double x, double y)
{
    return QPointF(int(x), int(y));
}

QPointF centreOf(const t_stateItemReadFromXML& state)
{
    return wholeUnits(state.xCoord, state.yCoord) + QPointF(state.width / 2, state.height / 2);
}

} // namespace

PlacementFiller::PlacementFiller(const ProjectPlacement& placement, Document* document)
    : records(placement.records())
    , document(document)
{
}

void PlacementFiller::process(ProjectNode* node, int record)
{
    const t_processItemReadFromXML& from = records.processes.at(record);
    ProcessElement& process = node->process;
    process.label = from.label;
    process.number = from.id;
    process.countNumber = from.Nos;
    process.position = wholeUnits(from.xCoord, from.yCoord);
    process.width = from.width;
    process.height = from.height;
    process.shape = from.shape;
    process.code = from.code;
    process.description = from.description;
    process.colour = colourOf(from.backgroundColour, ProcessElement::defaultColour);
    // The outline follows the size drawn, whatever the file stored.
    process.polygon = {QPointF(0, 0), QPointF(from.width, 0), QPointF(from.width, from.height),
                       QPointF(0, from.height), QPointF(0, 0)};
    process.foreign = from.foreign;
}

void PlacementFiller::node(ProjectNode* node, const ProjectPlacement::Diagram& diagram, bool stateMachine)
{
    blocks(&node->diagram, diagram);
    if (stateMachine)
        this->stateMachine(&node->diagram, diagram);
}

void PlacementFiller::blocks(Diagram* into, const ProjectPlacement::Diagram& diagram)
{
    for (const ProjectPlacement::Link& placed : diagram.links) {
        const t_linkItemReadFromXML& from = records.links.at(placed.record);
        LinkElement link;
        link.id = document->newId();
        link.position = QPointF(from.xCoord, from.yCoord);
        link.label = from.label;
        link.description = from.description;
        link.datatype = from.datatype;
        link.startProcess = processIds.value(placed.start);
        link.endProcess = processIds.value(placed.end);
        link.colour = colourOf(from.backgroundColour, LinkElement::defaultColour);
        link.polygon = pointsOf(from.polygon);
        link.foreign = from.foreign;
        into->links.append(link);
    }
    QHash<int, ElementId> memoryIds;
    for (int record : diagram.memories) {
        const t_memoryItemReadFromXML& from = records.memories.at(record);
        MemoryElement memory;
        memory.id = document->newId();
        memoryIds.insert(record, memory.id);
        memory.position = QPointF(from.xCoord, from.yCoord);
        memory.label = from.label;
        memory.description = from.description;
        memory.datatype = from.datatype;
        memory.colour = colourOf(from.backgroundColour, MemoryElement::defaultColour);
        memory.polygon = pointsOf(from.polygon);
        memory.foreign = from.foreign;
        into->memories.append(memory);
    }
    for (const ProjectPlacement::Dataflow& placed : diagram.dataflows) {
        const t_dataflowItemReadFromXML& from = records.dataflows.at(placed.record);
        DataflowElement dataflow;
        dataflow.id = document->newId();
        dataflow.position = QPointF(from.xCoord, from.yCoord);
        dataflow.lineType = from.lineType;
        dataflow.label = from.label;
        dataflow.description = from.description;
        dataflow.datatype = from.datatype;
        dataflow.process = processIds.value(placed.process);
        dataflow.memory = memoryIds.value(placed.memory);
        dataflow.colour = colourOf(from.backgroundColour, DataflowElement::defaultColour);
        dataflow.polygon = pointsOf(from.polygon);
        dataflow.foreign = from.foreign;
        into->dataflows.append(dataflow);
    }
}

void PlacementFiller::stateMachine(Diagram* into, const ProjectPlacement::Diagram& diagram)
{
    // States are placed in the order of their records, so a record's state
    // is found by halving.
    Q_ASSERT(std::is_sorted(diagram.states.begin(), diagram.states.end()));
    const int firstState = into->states.size();
    const auto placeOf = [&](int record) {
        return firstState + int(std::lower_bound(diagram.states.begin(), diagram.states.end(), record)
                                - diagram.states.begin());
    };
    for (int record : diagram.states) {
        const t_stateItemReadFromXML& from = records.states.at(record);
        StateElement state;
        state.id = document->newId();
        state.label = from.label;
        state.initial = from.ifInitialState;
        state.initialCondition = from.initialCondition;
        state.initialDescription = from.initialDescription;
        state.position = wholeUnits(from.xCoord, from.yCoord);
        state.width = from.width;
        state.height = from.height;
        state.colour = colourOf(from.backgroundColour, StateElement::defaultColour);
        state.polygon = pointsOf(from.polygon);
        state.foreign = from.foreign;
        state.action = from.action;
        state.description = from.description;
        into->states.append(state);
    }
    QVector<int> selfTransitions(into->states.size() - firstState, 0);
    for (const ProjectPlacement::Transition& placed : diagram.transitions) {
        const t_transitionItemReadFromXML& from = records.transitions.at(placed.record);
        const t_stateItemReadFromXML& start = records.states.at(placed.start);
        TransitionElement transition;
        transition.id = document->newId();
        transition.label = from.label;
        transition.condition = from.condition;
        transition.action = from.action;
        transition.description = from.description;
        transition.colour = colourOf(from.backgroundColour, TransitionElement::defaultColour);
        transition.position = QPointF(from.xCoord, from.yCoord);
        transition.width = from.width;
        transition.height = from.height;
        transition.polygon = pointsOf(from.polygon);
        transition.foreign = from.foreign;
        const int startPlace = placeOf(placed.start);
        StateElement& first = into->states[startPlace].edit();
        StateElement& second = into->states[placeOf(placed.end)].edit();
        transition.startState = first.id;
        transition.endState = second.id;
        // Where a new transition's lines meet; self transitions of one state
        // stack upwards. A state lists the other transitions it touches.
        if (placed.start != placed.end) {
            transition.midPosition = (centreOf(start) + centreOf(records.states.at(placed.end))) / 2;
            first.transitions.append(transition.id);
            second.transitions.append(transition.id);
        } else {
            const QPointF centre = centreOf(start);
            const int stacked = selfTransitions[startPlace - firstState]++;
            transition.midPosition = QPointF(centre.x() + start.width + 150, centre.y() - 37 * stacked);
        }
        into->transitions.append(std::move(transition));
    }
    for (int record : diagram.texts) {
        const t_textItemReadFromXML& from = records.texts.at(record);
        TextElement text;
        text.id = document->newId();
        text.position = QPointF(from.xCoord, from.yCoord);
        text.width = from.width;
        text.height = from.height;
        text.type = from.type;
        text.colour = colourOf(from.backgroundColour, TextElement::defaultColour);
        text.textColour = colourOf(from.textColour, Colour());
        text.polygon = pointsOf(from.polygon);
        text.foreign = from.foreign;
        text.text = from.action;
        into->texts.append(text);
    }
}

