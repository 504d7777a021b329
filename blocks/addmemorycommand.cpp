#include "addmemorycommand.h"

#include "canvas.h"
#include "memoryitem.h"
#include "namerules.h"

AddMemoryCommand::AddMemoryCommand(Canvas* target, QPointF position, QUndoCommand* /*parent*/)
    : QUndoCommand(nullptr)
    , canvas(target)
{
    setText(QObject::tr("Add Memory Item"));
    auto* memory = new MemoryItem(canvas->contextMenus() ? canvas->contextMenus()->memoryMenu
                                                         : nullptr,
                                  position);
    memory->initMemoryItem();
    const int level = canvas->getLevel() + 1;
    memory->setLevel(level);
    memory->setParentId(canvas->getId());
    memory->setGrandParentId(canvas->getParentId());
    memory->setZValue(canvas->nextZValue());
    canvas->newMemoryItem = memory;

    // The lowest free number: a name taken twice would misattach dataflows on reload.
    const QString prefix = QStringLiteral("var_%1").arg(level);
    const int number = NameRules::lowestFreeNumber(prefix, canvas->siblingLabels(memory), 0);
    memory->setLabel(prefix + QString::number(number));
    memory->setDatatype(QStringLiteral("type_%1%2").arg(level).arg(number));
    item = memory;
    canvas->update();
}

AddMemoryCommand::~AddMemoryCommand()
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

void AddMemoryCommand::redo()
{
    if (!item)
        return;
    item->putOnCanvas(canvas);
    canvas->update();
}

void AddMemoryCommand::undo()
{
    if (!item)
        return;
    item->takeOffCanvas(canvas);
    canvas->update();
}
