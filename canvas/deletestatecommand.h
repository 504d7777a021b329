#ifndef DELETESTATECOMMAND_H
#define DELETESTATECOMMAND_H

#include <QVector>

#include "canvascommand.h"

class Canvas;
class QGraphicsItem;
class StateItem;
class TransitionItem;

// Takes states out of the machine with all their transitions; undo puts them
// back in every list they were in, in its order: the machine's lists, which
// are the order of the file and of the generated states, and the states'
// transition lists, whose order is the order in which the generated code
// tries a state's transitions.
class DeleteStateCommand : public CanvasCommand
{
public:
    DeleteStateCommand(Canvas* canvas, QGraphicsItem* state, QUndoCommand* parent = nullptr);
    // Many states in one step: the machine's lists are gone through once,
    // not once for each state.
    DeleteStateCommand(Canvas* canvas, const QVector<StateItem*>& states);

    void undo() override;
    void redo() override;

private:
    QVector<StateItem*> states;
    bool firstRun = true;
    MachineTaken taken;
};

#endif // DELETESTATECOMMAND_H
