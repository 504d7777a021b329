#include "addtextcommand.h"

#include "canvas.h"
#include "textitem.h"

AddTextCommand::AddTextCommand(Canvas* target, QPointF position, QUndoCommand*)
    : CanvasCommand(target)
    , text(TextItem::newElement(position))
{
    setText(QObject::tr("Add Text"));
}

void AddTextCommand::redo()
{
    canvas->document().insert(canvas->diagramNode(), -1, text);
    // Kept, so that the item goes when no step can bring the text back.
    keep(canvas->textItemOf(text.id));
}

void AddTextCommand::undo()
{
    canvas->document().remove<TextElement>(canvas->diagramNode(), text.id);
}
