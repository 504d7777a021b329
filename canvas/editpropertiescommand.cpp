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
    text->setValues(values);
    canvas->update();
}
