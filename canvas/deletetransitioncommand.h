#ifndef DELETETRANSITIONCOMMAND_H
#define DELETETRANSITIONCOMMAND_H

#include "canvascommand.h"

class Canvas;
class TransitionItem;
class TransitionLine;

// Takes a transition and its two lines off the canvas.
class DeleteTransitionCommand : public CanvasCommand
{
public:
    DeleteTransitionCommand(Canvas* canvas, TransitionItem* transition,
                            QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;

private:
    TransitionItem* transition = nullptr;
    TransitionLine* startLine = nullptr;
    TransitionLine* endLine = nullptr;
    bool firstRun = true;
};

#endif // DELETETRANSITIONCOMMAND_H
