#ifndef TAKENELEMENTSWATCH_H
#define TAKENELEMENTSWATCH_H

#include <QObject>
#include <QVector>

class Canvas;
class QUndoStack;

// Saves share the elements taken of states and transitions that did not
// change since. While it lives, every step of the history checks that no
// item of the canvases kept an element from before its change: the step
// compares what each item holds with its values now, then takes them all
// for the next step. A mismatch fails the running test.
class TakenElementsWatch
{
public:
    TakenElementsWatch(const QUndoStack* history, const QVector<Canvas*>* canvases);
    ~TakenElementsWatch();
    TakenElementsWatch(const TakenElementsWatch&) = delete;
    TakenElementsWatch& operator=(const TakenElementsWatch&) = delete;

    static void check(const QVector<Canvas*>& canvases);

private:
    QMetaObject::Connection connection;
};

#endif // TAKENELEMENTSWATCH_H
