#include "editpropertiescommand.h"

#include "canvas.h"

void applyValues(Canvas* canvas, StateItem* state, const StateItem::Values& values)
{
    state->setValues(values);
    canvas->syncInitialMarker(state);
    canvas->update();
}

void applyValues(Canvas* canvas, TransitionItem* transition, const TransitionItem::Values& values)
{
    transition->setValues(values);
    canvas->update();
}

void applyValues(Canvas* canvas, TextItem* text, const TextItem::Values& values)
{
    Document& document = canvas->document();
    if (const TextElement* element = document.find<TextElement>(canvas->diagramNode(), text->elementId()))
        document.replace(canvas->diagramNode(), TextItem::withValues(*element, values));
}

void applyValues(Canvas* canvas, ProcessItem* process, const ProcessItem::Values& values)
{
    process->setValues(values);
    canvas->update();
    emit canvas->processEdited(process);
}

void applyValues(Canvas* canvas, LinkItem* link, const LinkItem::Values& values)
{
    link->setValues(values);
    canvas->update();
}

void applyValues(Canvas* canvas, MemoryItem* memory, const MemoryItem::Values& values)
{
    Document& document = canvas->document();
    if (const MemoryElement* element = document.find<MemoryElement>(canvas->diagramNode(), memory->elementId()))
        document.replace(canvas->diagramNode(), MemoryItem::withValues(*element, values));
}

void applyValues(Canvas* canvas, DataflowItem* dataflow, const DataflowItem::Values& values)
{
    dataflow->setValues(values);
    canvas->update();
}
