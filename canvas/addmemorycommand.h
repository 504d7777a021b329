#ifndef ADDMEMORYCOMMAND_H
#define ADDMEMORYCOMMAND_H

#include <QPointF>

#include "blockitemscommand.h"

class MemoryItem;

// Puts a new memory item on the canvas, named with the lowest free number,
// as one undo step.
class AddMemoryCommand : public BlockItemsCommand
{
public:
    AddMemoryCommand(Canvas* canvas, QPointF position);

private:
    static MemoryItem* placeNew(Canvas* canvas, QPointF position);
};

#endif // ADDMEMORYCOMMAND_H
