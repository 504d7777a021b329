#ifndef SELECTIONCLIPBOARD_H
#define SELECTIONCLIPBOARD_H

#include <QList>
#include <QPointF>
#include <QSet>
#include <QString>
#include <QVector>

class Canvas;
class ProjectCanvases;
class QGraphicsItem;
class QMimeData;
class StateItem;
class TextItem;

// Cut, copy, paste and duplicate of a canvas's items. The clipboard carries
// them as a project file of their own, which Korvel reads back as it reads
// any project, and as plain text (names, guards, actions) for other
// programs.
namespace SelectionClipboard {

// The project file holding the items, and the level of the diagram they
// were copied from.
QString itemsFormat();
QString levelFormat();

// What a copy of the selection takes: the selected states with the
// transitions between them, text items, memory items, processes with their
// whole subtrees, the links between two taken processes and the dataflows
// between a taken process and a taken memory item.
QSet<const QGraphicsItem*> itemsToCopy(const Canvas* canvas, const QList<QGraphicsItem*>& selected);

// The clipboard's content for the selection; null when nothing of it can
// be copied.
QMimeData* copy(const ProjectCanvases& project, const Canvas* canvas, const QList<QGraphicsItem*>& selected);

struct Pasted
{
    // Why nothing was pasted; empty when the items are on the canvas.
    QString refusal;
    QVector<StateItem*> states;
    QVector<TextItem*> texts;
    // Processes, links, memory items and dataflows.
    QList<QGraphicsItem*> blocks;
    // The canvases made for the pasted processes and their subtrees.
    QVector<Canvas*> diagrams;

    QList<QGraphicsItem*> items() const;
};

// Puts the clipboard's items on the canvas, on top of the others: moved by
// offset, or, given a point, with their top left corner there. A name that
// must be unique on the canvas and is taken becomes the lowest free one
// ("Red_2"). Pushes no undo step; the caller makes one of the result.
Pasted paste(const QMimeData* data, Canvas* canvas, ProjectCanvases* project, const QPointF* at,
             QPointF offset);

// The lowest free name for a copy of label: the label itself, or its stem
// (without a "_N" ending) followed by "_2", "_3", ...
QString freeName(const QString& label, const QSet<QString>& taken);

} // namespace SelectionClipboard

#endif // SELECTIONCLIPBOARD_H
