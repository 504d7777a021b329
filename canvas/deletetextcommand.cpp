#include "deletetextcommand.h"

#include "canvas.h"
#include "textitem.h"

DeleteTextCommand::DeleteTextCommand(Canvas* target, TextItem* item, QUndoCommand*)
    : CanvasCommand(target)
    , id(item ? item->elementId() : 0)
{
    setText(QObject::tr("Delete Text"));
}

void DeleteTextCommand::redo()
{
    Document& document = canvas->document();
    place = document.indexOf<TextElement>(canvas->diagramNode(), id);
    if (firstRun) {
        firstRun = false;
        if (place < 0) {
            setObsolete(true);
            return;
        }
    }
    if (place < 0)
        return;
    keep(canvas->textItemOf(id));
    text = *document.find<TextElement>(canvas->diagramNode(), id);
    document.remove<TextElement>(canvas->diagramNode(), id);
}

void DeleteTextCommand::undo()
{
    canvas->document().insert(canvas->diagramNode(), place, text);
    // A restored text lands on top of what came since.
    if (TextItem* item = canvas->textItemOf(id))
        item->setZValue(canvas->nextZValue());
}
