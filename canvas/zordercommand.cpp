#include "zordercommand.h"

#include <QGraphicsItem>

#include "canvas.h"

ZOrderCommand::ZOrderCommand(Canvas* target, QGraphicsItem* graphicsItem, qreal z, const QString& text)
    : CanvasCommand(target)
    , item(dynamic_cast<QObject*>(graphicsItem))
    , from(graphicsItem->zValue())
    , to(z)
{
    setText(text);
}

void ZOrderCommand::undo()
{
    place(from);
}

void ZOrderCommand::redo()
{
    place(to);
}

void ZOrderCommand::place(qreal z)
{
    if (auto* graphicsItem = dynamic_cast<QGraphicsItem*>(item.data())) {
        graphicsItem->setZValue(z);
        canvas->update();
    }
}
