#include "arriveditemscommand.h"

#include "canvas.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

namespace {

// The items come last in the registry, in the given order.
template <typename Item>
void inOrder(QVector<Item*>* registry, const QVector<Item*>& items)
{
    for (Item* item : items)
        registry->removeOne(item);
    *registry += items;
}

} // namespace

ArrivedItemsCommand::ArrivedItemsCommand(Canvas* target, const QVector<StateItem*>& arrivedStates,
                                         const QVector<TextItem*>& arrivedTexts, const QString& text)
    : CanvasCommand(target)
    , states(arrivedStates)
    , texts(arrivedTexts)
{
    setText(text);
    // Kept from the start: after an undo they live only here.
    for (StateItem* state : states)
        keep(state);
    for (TransitionItem* transition : canvas->transitionItems)
        if (states.contains(transition->startItem()))
            transitions.append(transition);
    for (TextItem* item : texts)
        keep(item);
}

void ArrivedItemsCommand::undo()
{
    textElements.clear();
    for (TextItem* item : texts) {
        if (const TextElement* element = canvas->document().find<TextElement>(canvas->diagramNode(),
                                                                               item->elementId())) {
            textElements.append(*element);
            canvas->document().remove<TextElement>(canvas->diagramNode(), item->elementId());
        }
    }
    // Each state takes along the transitions it still has; those between
    // two arrived states leave with the first of them.
    for (StateItem* state : states)
        takeStateOff(state);
    canvas->update();
}

void ArrivedItemsCommand::redo()
{
    if (firstRedo) {
        firstRedo = false;
        return;
    }
    // The reverse order of undo, so that each state finds the transitions
    // it took along and gives them back to the states already there.
    for (int i = states.size() - 1; i >= 0; --i)
        putStateOn(states.at(i));
    // Back in the order they arrived in, which a save writes.
    inOrder(&canvas->stateItems, states);
    inOrder(&canvas->transitionItems, transitions);
    for (const TextElement& element : qAsConst(textElements))
        canvas->document().insert(canvas->diagramNode(), -1, element);
    canvas->update();
}
