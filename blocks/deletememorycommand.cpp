#include "deletememorycommand.h"

#include "canvas.h"
#include "memoryitem.h"

DeleteMemoryCommand::DeleteMemoryCommand(Canvas* target, MemoryItem* memoryItem,
                                         QUndoCommand* /*parent*/)
    : QUndoCommand(nullptr)
    , canvas(target)
    , item(memoryItem)
{
    setText(QObject::tr("Delete Memory Item"));
}

DeleteMemoryCommand::~DeleteMemoryCommand()
{
    // Only an item that was taken off the canvas belongs to the command.
    if (!item || item->scene())
        return;
    MemoryItem* memory = item.data();
    memory->discardDetachedDataflows(canvas);
    if (canvas->newMemoryItem == memory)
        canvas->newMemoryItem = nullptr;
    if (canvas->currentMemory == memory)
        canvas->currentMemory = nullptr;
    delete memory;
}

void DeleteMemoryCommand::undo()
{
    if (!item)
        return;
    item->putOnCanvas(canvas);
    item->setZValue(canvas->nextZValue());
    canvas->update();
}

void DeleteMemoryCommand::redo()
{
    if (!item)
        return;
    item->takeOffCanvas(canvas);
    canvas->update();
}
