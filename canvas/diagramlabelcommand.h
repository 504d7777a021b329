#ifndef DIAGRAMLABELCOMMAND_H
#define DIAGRAMLABELCOMMAND_H

#include "canvascommand.h"

// Renames a diagram (the project's, from Rename Project) as one undo step;
// the browser follows through the project's structure listener.
class DiagramLabelCommand : public CanvasCommand
{
public:
    DiagramLabelCommand(Canvas* canvas, const QString& label, const QString& text);

    void undo() override;
    void redo() override;

private:
    void apply(const QString& label);

    QString before;
    QString after;
};

#endif // DIAGRAMLABELCOMMAND_H
