#ifndef ADDTEXTCOMMAND_H
#define ADDTEXTCOMMAND_H

#include <QPointF>

#include "canvascommand.h"
#include "textelement.h"

class Canvas;

// Places a new 150 x 75 text item centred on the clicked point.
class AddTextCommand : public CanvasCommand
{
public:
    AddTextCommand(Canvas* canvas, QPointF position, QUndoCommand* parent = nullptr);

    void undo() override;
    void redo() override;

private:
    TextElement text;
};

#endif // ADDTEXTCOMMAND_H
