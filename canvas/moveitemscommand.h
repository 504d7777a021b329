#ifndef MOVEITEMSCOMMAND_H
#define MOVEITEMSCOMMAND_H

#include <QList>
#include <QPointF>
#include <QPointer>

#include "canvascommand.h"

class QObject;

// Moves the items of one drag back and forth. The drag has already moved
// them when the command is pushed, so its first redo does nothing. Items are
// watched through guarded pointers: one deleted meanwhile is passed over.
class MoveItemsCommand : public CanvasCommand
{
public:
    struct Move
    {
        QPointer<QObject> item;
        QPointF from;
        QPointF to;
    };

    MoveItemsCommand(Canvas* canvas, const QList<Move>& moves);

    void undo() override;
    void redo() override;

private:
    QList<Move> moves;
    bool applied = true;
};

#endif // MOVEITEMSCOMMAND_H
