#ifndef CANVASCOMMAND_H
#define CANVASCOMMAND_H

#include <QSet>
#include <QUndoCommand>
#include <QVector>

class Canvas;
class QGraphicsItem;
class StateItem;
class TransitionItem;

// What the state, transition and text commands share: the canvas they work
// on, the moves of states and transitions on and off it, and the ownership of
// items they have taken off the scene.
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

    // Puts back an item that was taken off or parked.
    void putOnScene(QGraphicsItem* item);
    void takeOffScene(QGraphicsItem* item);
    // Takes a state, transition or text off the canvas by hiding it on the
    // scene (see Canvas::holds).
    void park(QGraphicsItem* item);
    // On the canvas and not parked.
    bool isOnCanvas(const QGraphicsItem* item) const;

    void putStateOn(StateItem* state);
    // Given gone, the state and its transitions are named there instead of
    // being taken out of the canvas's lists, which the caller then does for
    // many at once.
    void takeStateOff(StateItem* state, QSet<const QGraphicsItem*>* gone = nullptr);
    void putTransitionOn(TransitionItem* transition);
    void takeTransitionOff(TransitionItem* transition);

    Canvas* canvas = nullptr;

private:
    void restoreInitialMarker(StateItem* state);
    void dropInitialMarker(StateItem* state);

    QVector<QGraphicsItem*> kept;
    // The same, to look up: one step may keep thousands.
    QSet<const QGraphicsItem*> keptSet;
};

#endif // CANVASCOMMAND_H
