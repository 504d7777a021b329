#ifndef ZORDERCOMMAND_H
#define ZORDERCOMMAND_H

#include <QPointer>

#include "canvascommand.h"

// Brings an item to the front of its canvas or sends it to the back, as one
// undo step. The item is watched through a guarded pointer.
class ZOrderCommand : public CanvasCommand
{
public:
    ZOrderCommand(Canvas* canvas, QGraphicsItem* item, qreal z, const QString& text);

    void undo() override;
    void redo() override;

private:
    void place(qreal z);

    QPointer<QObject> item;
    qreal from;
    qreal to;
};

#endif // ZORDERCOMMAND_H
