#include "addtextcommand.h"

#include "canvas.h"
#include "textitem.h"

AddTextCommand::AddTextCommand(Canvas* target, QPointF position, QUndoCommand*)
    : CanvasCommand(target)
{
    setText(QObject::tr("Add Text"));
    QMenu* menu = canvas->contextMenus() ? canvas->contextMenus()->textMenu : nullptr;
    text = new TextItem(menu, position, nullptr);
    text->initTextItem();
    text->setLevel(canvas->getLevel() + 1);
    text->setParentId(canvas->getId());
    text->setGrandParentId(canvas->getParentId());
    text->setZValue(canvas->nextZValue());
    canvas->newTextItem = text;
    keep(text);
}

void AddTextCommand::redo()
{
    putOnScene(text);
    canvas->textItems.append(text);
    canvas->update();
}

void AddTextCommand::undo()
{
    canvas->textItems.removeOne(text);
    park(text);
    if (canvas->currentText == text)
        canvas->currentText = nullptr;
    canvas->update();
}
