#include "addtransitioncommand.h"

#include "canvas.h"
#include "stateitem.h"
#include "transitionitem.h"
#include "transitionline.h"

AddTransitionCommand::AddTransitionCommand(Canvas* target, StateItem* start, StateItem* end,
                                           QUndoCommand*)
    : CanvasCommand(target)
{
    setText(start == end ? QObject::tr("Add Self Transition") : QObject::tr("Add Transition"));
    // Only states of this canvas can be joined.
    if (!start || !end || !canvas->stateItems.contains(start) || !canvas->stateItems.contains(end))
        return;

    QMenu* menu = canvas->contextMenus() ? canvas->contextMenus()->transitionMenu : nullptr;
    transition = new TransitionItem(menu, start, end, nullptr);
    transition->placeBesideTheLine();
    transition->setZValue(canvas->nextZValue());

    startLine = new TransitionLine(start, transition, nullptr);
    startLine->setZValue(0);
    endLine = new TransitionLine(transition, end, nullptr);
    endLine->setZValue(0);
    transition->setStartLine(startLine);
    transition->setEndLine(endLine);

    canvas->newTransitionItem = transition;
    canvas->newTransitionStartLine = startLine;
    canvas->newTransitionEndLine = endLine;
    keepTransition(transition);
}

void AddTransitionCommand::redo()
{
    if (!transition) {
        setObsolete(true);
        return;
    }
    putTransitionOn(transition);
}

void AddTransitionCommand::undo()
{
    if (transition)
        takeTransitionOff(transition);
}
