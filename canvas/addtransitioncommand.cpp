#include "addtransitioncommand.h"

#include "canvas.h"
#include "stateitem.h"
#include "transitionitem.h"

AddTransitionCommand::AddTransitionCommand(Canvas* target, StateItem* from, StateItem* to, QUndoCommand*)
    : CanvasCommand(target)
{
    setText(from == to ? QObject::tr("Add Self Transition") : QObject::tr("Add Transition"));
    // Only states of this canvas can be joined.
    if (!from || !to || !canvas->holds(from) || !canvas->holds(to))
        return;
    start = from;
    end = to;
    transition = TransitionItem::newElement(start, end);
    transition.id = Document::newId();
}

void AddTransitionCommand::redo()
{
    if (!start) {
        setObsolete(true);
        return;
    }
    if (placed) {
        putMachineElementsBack(taken);
        return;
    }
    placed = true;
    canvas->addTransitionItem(transition, start, end, transition.id);
    keepTransition(canvas->transitionItemOf(transition.id));
}

void AddTransitionCommand::undo()
{
    if (start)
        taken = takeMachineElements({}, {transition.id});
}
