#ifndef DELETETEXTCOMMAND_H
#define DELETETEXTCOMMAND_H

#include "canvascommand.h"
#include "elementid.h"
#include "textelement.h"

class Canvas;
class TextItem;

// Takes a text item off the canvas; undo brings it back on top.
class DeleteTextCommand : public CanvasCommand
{
public:
    DeleteTextCommand(Canvas* canvas, TextItem* text, QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;

private:
    ElementId id = 0;
    TextElement text;
    bool firstRun = true;
    // Its place in the document's texts, the order of the generated texts.
    int place = -1;
};

#endif // DELETETEXTCOMMAND_H
