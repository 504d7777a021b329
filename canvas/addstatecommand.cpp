#include "addstatecommand.h"

#include "canvas.h"
#include "namerules.h"
#include "stateitem.h"
#include "transitionitem.h"

AddStateCommand::AddStateCommand(Canvas* target, QPointF position, QUndoCommand*)
    : CanvasCommand(target)
{
    setText(QObject::tr("Add State"));
    // Named at once, with the lowest free number: a state without a name
    // gives C that does not compile.
    const QString prefix = QStringLiteral("State_");
    QStringList taken;
    for (const StateItem* other : qAsConst(canvas->stateItems))
        taken << other->getLabel();
    state = StateItem::newElement(position,
                                  prefix + QString::number(NameRules::lowestFreeNumber(prefix, taken, 1)));
    state.id = Document::newId();
}

void AddStateCommand::redo()
{
    if (placed) {
        putMachineElementsBack(taken);
        return;
    }
    placed = true;
    canvas->addStateItem(state, state.id);
    keep(canvas->stateItemOf(state.id));
}

void AddStateCommand::undo()
{
    QVector<ElementId> transitions;
    if (const StateItem* item = canvas->stateItemOf(state.id))
        for (const TransitionItem* transition : item->getTransitions() + item->getSelfTransitions())
            transitions.append(transition->elementId());
    taken = takeMachineElements({state.id}, transitions);
}
