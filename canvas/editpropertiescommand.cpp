#include "editpropertiescommand.h"

#include "canvas.h"

void applyValues(Canvas* canvas, StateItem* state, const StateItem::Values& values)
{
    Document& document = canvas->document();
    const StateElement* element = document.find<StateElement>(canvas->diagramNode(), state->elementId());
    if (!element)
        return;
    document.replace(canvas->diagramNode(), StateItem::withValues(*element, values));
    // The marker goes to the state its dialog made initial.
    canvas->syncInitialMarker(state);
}

void applyValues(Canvas* canvas, TransitionItem* transition, const TransitionItem::Values& values)
{
    Document& document = canvas->document();
    if (const TransitionElement* element = document.find<TransitionElement>(canvas->diagramNode(),
                                                                             transition->elementId()))
        document.replace(canvas->diagramNode(), TransitionItem::withValues(*element, values));
}

void applyValues(Canvas* canvas, TextItem* text, const TextItem::Values& values)
{
    Document& document = canvas->document();
    if (const TextElement* element = document.find<TextElement>(canvas->diagramNode(), text->elementId()))
        document.replace(canvas->diagramNode(), TextItem::withValues(*element, values));
}

void applyValues(Canvas* canvas, ProcessItem* process, const ProcessItem::Values& values)
{
    ProjectNode* node = canvas->processNode(process);
    if (!node)
        return;
    canvas->document().replaceProcess(*node, ProcessItem::withValues(node->process, values));
    emit canvas->processEdited(process);
}

void applyValues(Canvas* canvas, LinkItem* link, const LinkItem::Values& values)
{
    Document& document = canvas->document();
    if (const LinkElement* element = document.find<LinkElement>(canvas->diagramNode(), link->elementId()))
        document.replace(canvas->diagramNode(), values.appliedTo(*element));
}

void applyValues(Canvas* canvas, MemoryItem* memory, const MemoryItem::Values& values)
{
    Document& document = canvas->document();
    ProjectNode& node = canvas->diagramNode();
    const MemoryElement* element = document.find<MemoryElement>(node, memory->elementId());
    if (!element)
        return;
    document.replace(node, values.appliedTo(*element));
    // A dataflow shows the name and type of its memory item.
    const QVector<DataflowElement> dataflows = node.diagram.dataflows;
    for (DataflowElement dataflow : dataflows) {
        if (dataflow.memory != memory->elementId()
            || (dataflow.label == values.label && dataflow.datatype == values.datatype))
            continue;
        dataflow.label = values.label;
        dataflow.datatype = values.datatype;
        document.replace(node, dataflow);
    }
}

void applyValues(Canvas* canvas, DataflowItem* dataflow, const DataflowItem::Values& values)
{
    Document& document = canvas->document();
    if (const DataflowElement* element = document.find<DataflowElement>(canvas->diagramNode(),
                                                                         dataflow->elementId()))
        document.replace(canvas->diagramNode(), values.appliedTo(*element));
}
