#include "moveitemscommand.h"

#include "canvas.h"
#include "initialtransition.h"
#include "textitem.h"

#include <QGraphicsItem>
#include <QObject>


MoveItemsCommand::MoveItemsCommand(Canvas* target, const QList<Move>& itemMoves, int keyRun)
    : CanvasCommand(target)
    , moves(itemMoves)
    , applied(keyRun == 0)
    , run(keyRun)
{
    setText(moves.size() == 1 ? QObject::tr("Move Item") : QObject::tr("Move %1 Items").arg(moves.size()));
}

void MoveItemsCommand::undo()
{
    placeAll(false);
}

void MoveItemsCommand::redo()
{
    if (applied) {
        applied = false;
        // The drag moved the items; the document takes the places of its
        // views now.
        takePlaces();
        return;
    }
    placeAll(true);
}

void MoveItemsCommand::takePlaces()
{
    for (const Move& move : qAsConst(moves))
        if (const auto* item = dynamic_cast<const QGraphicsItem*>(move.item.data()))
            canvas->itemMoved(item);
}

void MoveItemsCommand::placeAll(bool forward)
{
    // One repaint, and each transition follows once, however many move.
    canvas->update();
    canvas->beginMoves();
    for (const Move& move : qAsConst(moves)) {
        if (auto* item = dynamic_cast<QGraphicsItem*>(move.item.data()))
            item->setPos(forward ? move.to : move.from);
    }
    canvas->endMoves();
    takePlaces();
    // The initial marker follows its state, as it does after a drag.
    canvas->initialTransition->updatePosition();
}

bool MoveItemsCommand::mergeWith(const QUndoCommand* other)
{
    const auto* next = static_cast<const MoveItemsCommand*>(other);
    if (next->run != run || next->canvas != canvas || next->moves.size() != moves.size())
        return false;
    for (int i = 0; i < moves.size(); ++i) {
        if (next->moves.at(i).item != moves.at(i).item)
            return false;
    }
    for (int i = 0; i < moves.size(); ++i)
        moves[i].to = next->moves.at(i).to;
    return true;
}
