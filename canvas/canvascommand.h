#ifndef CANVASCOMMAND_H
#define CANVASCOMMAND_H

#include <QSet>
#include <QUndoCommand>
#include <QVector>

#include "document.h"

class Canvas;
class QGraphicsItem;
class StateItem;
class TransitionItem;

// What the steps of a canvas share: the canvas they work on, the states and
// transitions they take out of its document and put back, and the ownership
// of items they have taken off the scene.
//
// The scene owns the items on it, parked ones included. A command keeps every
// item it may take off the scene; several commands can keep one item, and the
// last of them to go deletes it when it is then off every scene, or parked on
// a canvas that is not closing (see Canvas::discard).
class CanvasCommand : public QUndoCommand
{
public:
    ~CanvasCommand() override;

    // The canvas the step changes, so that undo and redo can show it.
    Canvas* target() const { return canvas; }

protected:
    // Commands never have a parent; the one given is ignored.
    explicit CanvasCommand(Canvas* canvas);


    void keep(QGraphicsItem* item);
    void keepTransition(TransitionItem* transition);

    // On the canvas and not parked.
    bool isOnCanvas(const QGraphicsItem* item) const;

    // States and transitions a step took out of its machine, with their
    // places, and the transition lists of the states at their far ends as
    // they were.
    struct MachineTaken
    {
        Document::Placed<StateElement> states;
        Document::Placed<TransitionElement> transitions;
        QVector<QPair<ElementId, QVector<ElementId>>> ends;
    };
    // Takes the states and transitions out of the document at once, and the
    // transitions out of the lists of the states that stay. The step keeps
    // their items.
    MachineTaken takeMachineElements(const QVector<ElementId>& states, const QVector<ElementId>& transitions);
    // Puts them back where they were, and the far ends' lists as they were;
    // what else changed in those states since stays.
    void putMachineElementsBack(const MachineTaken& taken);

    Canvas* canvas = nullptr;

private:
    // Gives the state the transition list.
    void relist(ElementId state, const QVector<ElementId>& transitions);

    QVector<QGraphicsItem*> kept;
    // The same, to look up: one step may keep thousands.
    QSet<const QGraphicsItem*> keptSet;
};

#endif // CANVASCOMMAND_H
