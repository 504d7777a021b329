#ifndef DELETESTATECOMMAND_H
#define DELETESTATECOMMAND_H

#include <QList>
#include <QPair>
#include <QVector>

#include "canvascommand.h"
#include "listplaces.h"

class Canvas;
class QGraphicsItem;
class StateItem;
class TransitionItem;

// Takes states off the canvas with all their transitions; undo restores them
// and every list they were in, in its order: the canvas's lists, which are
// the order of the file and of the generated states, and the states'
// transition lists, whose order is the order in which the generated code
// tries a state's transitions.
class DeleteStateCommand : public CanvasCommand
{
public:
    DeleteStateCommand(Canvas* canvas, QGraphicsItem* state, QUndoCommand* parent = nullptr);
    // Many states in one step: the canvas's lists are gone through once, not
    // once for each state.
    DeleteStateCommand(Canvas* canvas, const QVector<StateItem*>& states);

    void undo() override;
    void redo() override;

private:
    void keepOrders();

    QVector<StateItem*> states;
    bool firstRun = true;
    // Where each state and transition stood in the canvas's lists, in
    // ascending order, and the transition lists of the states involved.
    QVector<ListPlaces::Placed<StateItem>> statePlaces;
    QVector<ListPlaces::Placed<TransitionItem>> transitionPlaces;
    QVector<QPair<StateItem*, QList<TransitionItem*>>> attachedOrders;
};

#endif // DELETESTATECOMMAND_H
