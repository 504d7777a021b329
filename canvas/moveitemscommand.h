#ifndef MOVEITEMSCOMMAND_H
#define MOVEITEMSCOMMAND_H

#include <QList>
#include <QPointF>
#include <QPointer>

#include "canvascommand.h"

class QObject;

// Moves the items of one drag back and forth. A drag has already moved them
// when the command is pushed, so its first redo does nothing; the arrow keys
// leave the move to it. Items are watched through guarded pointers: one
// deleted meanwhile is passed over.
class MoveItemsCommand : public CanvasCommand
{
public:
    struct Move
    {
        QPointer<QObject> item;
        QPointF from;
        QPointF to;
    };

    // run: for moves by the arrow keys, the run of key presses they belong
    // to; the moves of one run on the same items are one step.
    MoveItemsCommand(Canvas* canvas, const QList<Move>& moves, int run = 0);

    void undo() override;
    void redo() override;
    int id() const override { return run ? 0x4d4f5645 : -1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    void placeAll(bool forward);
    // The document takes where the items now lie.
    void takePlaces();

    QList<Move> moves;
    bool applied;
    int run;
};

#endif // MOVEITEMSCOMMAND_H
