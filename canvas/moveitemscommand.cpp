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

MoveItemsCommand::MoveItemsCommand(Canvas* target, const QList<Move>& itemMoves)
    : CanvasCommand(target)
    , moves(itemMoves)
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
