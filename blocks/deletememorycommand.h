#ifndef DELETEMEMORYCOMMAND_H
#define DELETEMEMORYCOMMAND_H

#include <QPointer>
#include <QUndoCommand>

class Canvas;
class MemoryItem;

// Takes a memory item off its canvas, undoably.
class DeleteMemoryCommand : public QUndoCommand
{
public:
    DeleteMemoryCommand(Canvas* canvas, MemoryItem* memoryItem, QUndoCommand* parent = nullptr);
    ~DeleteMemoryCommand() override;

    void undo() override;
    void redo() override;

private:
    Canvas* canvas = nullptr;
    // Guarded: the main window may destroy the item by other means.
    QPointer<MemoryItem> item;
};

#endif // DELETEMEMORYCOMMAND_H
