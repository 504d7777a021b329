#include "deletetextcommand.h"

#include "canvas.h"
#include "listplaces.h"
#include "textitem.h"

DeleteTextCommand::DeleteTextCommand(Canvas* target, TextItem* item, QUndoCommand*)
    : CanvasCommand(target)
    , text(item)
{
    setText(QObject::tr("Delete Text"));
}

void DeleteTextCommand::redo()
{
    if (firstRun) {
        firstRun = false;
        if (!isOnCanvas(text)) {
            setObsolete(true);
            return;
        }
    }
    keep(text);
    place = canvas->textItems.indexOf(text);
    canvas->textItems.removeOne(text);
    park(text);
    if (canvas->currentText == text)
        canvas->currentText = nullptr;
    canvas->update();
}

void DeleteTextCommand::undo()
{
    putOnScene(text);
    text->setZValue(canvas->nextZValue());
    ListPlaces::putBack(&canvas->textItems, text, place);
}
