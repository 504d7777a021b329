#include "diagramlabelcommand.h"

#include "canvas.h"
#include "projectcanvases.h"

DiagramLabelCommand::DiagramLabelCommand(Canvas* target, const QString& label, const QString& text)
    : CanvasCommand(target)
    , before(target->getLabel())
    , after(label)
{
    setText(text);
}

void DiagramLabelCommand::undo()
{
    apply(before);
}

void DiagramLabelCommand::redo()
{
    apply(after);
}

void DiagramLabelCommand::apply(const QString& label)
{
    canvas->setLabel(label);
    if (ProjectCanvases* project = canvas->getProject())
        project->structureChanged();
}
