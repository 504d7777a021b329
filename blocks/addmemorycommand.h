#ifndef ADDMEMORYCOMMAND_H
#define ADDMEMORYCOMMAND_H

#include <QPointF>
#include <QPointer>
#include <QUndoCommand>

class Canvas;
class MemoryItem;

// Places a new memory item, named after the canvas level and the number of
// memory items already there.
class AddMemoryCommand : public QUndoCommand
{
public:
    AddMemoryCommand(Canvas* canvas, QPointF position, QUndoCommand* parent = nullptr);
    ~AddMemoryCommand() override;

    void undo() override;
    void redo() override;

    MemoryItem* memoryItem() const { return item.data(); }

private:
    Canvas* canvas = nullptr;
    // Guarded: the main window may destroy the item by other means.
    QPointer<MemoryItem> item;
};

#endif // ADDMEMORYCOMMAND_H
