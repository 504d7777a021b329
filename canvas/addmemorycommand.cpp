#include "addmemorycommand.h"

#include <QObject>

#include "canvas.h"
#include "memoryitem.h"
#include "namerules.h"

AddMemoryCommand::AddMemoryCommand(Canvas* target, QPointF position)
    : BlockItemsCommand(target, nullptr, {placeNew(target, position)}, Arrival, QObject::tr("Add Memory Item"))
{
}

MemoryItem* AddMemoryCommand::placeNew(Canvas* canvas, QPointF position)
{
    auto* memory = new MemoryItem(canvas->contextMenus() ? canvas->contextMenus()->memoryMenu : nullptr,
                                  position);
    memory->initMemoryItem();
    memory->setZValue(canvas->nextZValue());

    // The lowest free number: a name taken twice would misattach dataflows on
    // reload. Name and type are valid C as they come, so that generated code
    // compiles before the user gets to them.
    const QString prefix = QStringLiteral("var_");
    memory->setLabel(prefix + QString::number(NameRules::lowestFreeNumber(prefix, canvas->siblingLabels(memory), 1)));
    memory->setDatatype(QStringLiteral("int"));
    canvas->addItem(memory);
    canvas->memoryItems.append(memory);
    canvas->newMemoryItem = memory;
    canvas->update();
    return memory;
}
