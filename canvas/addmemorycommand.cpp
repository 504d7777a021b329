#include "addmemorycommand.h"

#include <QObject>

#include "canvas.h"
#include "datastorefigure.h"
#include "memoryitem.h"
#include "namerules.h"
#include "qcolourof.h"

AddMemoryCommand::AddMemoryCommand(Canvas* target, QPointF position)
    : BlockItemsCommand(target, nullptr, {placeNew(target, position)}, Arrival, QObject::tr("Add Memory Item"))
{
}

MemoryItem* AddMemoryCommand::placeNew(Canvas* canvas, QPointF position)
{
    MemoryElement memory;
    memory.position = position - QPointF(DataStoreFigure::emptyWidth / 2, DataStoreFigure::height / 2);
    memory.polygon = QPolygonF(QRectF(0, 0, DataStoreFigure::emptyWidth, DataStoreFigure::height));
    memory.colour = colourOf(QColor(192, 192, 192));
    // The lowest free number: a name taken twice would misattach dataflows on
    // reload. Name and type are valid C as they come, so that generated code
    // compiles before the user gets to them.
    const QString prefix = QStringLiteral("var_");
    QStringList taken;
    for (const MemoryElement& other : canvas->diagramNode().diagram.memories)
        taken << other.label;
    memory.label = prefix + QString::number(NameRules::lowestFreeNumber(prefix, taken, 1));
    memory.datatype = QStringLiteral("int");
    MemoryItem* item = canvas->addMemoryItem(memory);
    canvas->update();
    return item;
}
