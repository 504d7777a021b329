#include "arriveditemscommand.h"

#include "canvas.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

ArrivedItemsCommand::ArrivedItemsCommand(Canvas* target, const QVector<StateItem*>& arrivedStates,
                                         const QVector<TextItem*>& arrivedTexts, const QString& text)
    : CanvasCommand(target)
{
    setText(text);
    // Kept from the start: after an undo they live only here.
    QSet<const TransitionItem*> seen;
    for (StateItem* state : arrivedStates) {
        keep(state);
        states.append(state->elementId());
        for (const TransitionItem* transition : state->getTransitions() + state->getSelfTransitions()) {
            if (!seen.contains(transition)) {
                seen.insert(transition);
                transitions.append(transition->elementId());
            }
        }
    }
    for (TextItem* item : arrivedTexts) {
        keep(item);
        texts.append(item->elementId());
    }
}

void ArrivedItemsCommand::undo()
{
    takenTexts = canvas->document().takeMany<TextElement>(canvas->diagramNode(), texts);
    taken = takeMachineElements(states, transitions);
}

void ArrivedItemsCommand::redo()
{
    if (firstRedo) {
        firstRedo = false;
        return;
    }
    putMachineElementsBack(taken);
    canvas->document().putBack<TextElement>(canvas->diagramNode(), takenTexts);
}
