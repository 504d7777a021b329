#include "moveitemscommand.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QObject>

namespace {
void place(QObject* object, QPointF at)
{
    if (auto* item = dynamic_cast<QGraphicsItem*>(object)) {
        item->setPos(at);
        if (item->scene())
            item->scene()->update();
    }
}
} // namespace

MoveItemsCommand::MoveItemsCommand(const QList<Move>& itemMoves)
    : moves(itemMoves)
{
    setText(moves.size() == 1 ? QObject::tr("Move Item") : QObject::tr("Move %1 Items").arg(moves.size()));
}

void MoveItemsCommand::undo()
{
    for (const Move& move : qAsConst(moves))
        place(move.item.data(), move.from);
}

void MoveItemsCommand::redo()
{
    if (applied) {
        applied = false;
        return;
    }
    for (const Move& move : qAsConst(moves))
        place(move.item.data(), move.to);
}
