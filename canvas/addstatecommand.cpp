#include "addstatecommand.h"

#include "canvas.h"
#include "namerules.h"
#include "stateitem.h"

AddStateCommand::AddStateCommand(Canvas* target, QPointF position, QUndoCommand*)
    : CanvasCommand(target)
{
    setText(QObject::tr("Add State"));
    QMenu* menu = canvas->contextMenus() ? canvas->contextMenus()->stateMenu : nullptr;
    state = new StateItem(menu, position);
    state->setZValue(canvas->nextZValue());
    // Named at once, with the lowest free number: a state without a name
    // gives C that does not compile.
    const QString prefix = QStringLiteral("State_");
    state->setLabel(prefix + QString::number(NameRules::lowestFreeNumber(prefix, canvas->siblingLabels(state), 1)));
    canvas->newStateItem = state;
    keep(state);
}

void AddStateCommand::redo()
{
    putStateOn(state);
}

void AddStateCommand::undo()
{
    takeStateOff(state);
}
