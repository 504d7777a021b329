#include "moveitemscommand.h"

#include "canvas.h"
#include "initialtransition.h"

#include <QGraphicsItem>
#include <QObject>

namespace {
void place(QObject* object, QPointF at)
{
    auto* item = dynamic_cast<QGraphicsItem*>(object);
    if (!item)
        return;
    item->setPos(at);
    // The initial marker follows its state, as it does after a drag.
    if (auto* canvas = qobject_cast<Canvas*>(item->scene())) {
        canvas->initialTransition->updatePosition();
        canvas->update();
    }
}
} // namespace

MoveItemsCommand::MoveItemsCommand(Canvas* target, const QList<Move>& itemMoves, int keyRun)
    : CanvasCommand(target)
    , moves(itemMoves)
    , run(keyRun)
{
    setText(moves.size() == 1 ? QObject::tr("Move Item") : QObject::tr("Move %1 Items").arg(moves.size()));
}

void MoveItemsCommand::undo()
{
    canvas->beginMoves();
    for (const Move& move : qAsConst(moves))
        place(move.item.data(), move.from);
    canvas->endMoves();
}

void MoveItemsCommand::redo()
{
    if (applied) {
        applied = false;
        return;
    }
    canvas->beginMoves();
    for (const Move& move : qAsConst(moves))
        place(move.item.data(), move.to);
    canvas->endMoves();
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
