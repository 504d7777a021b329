#ifndef TAKENELEMENTSWATCH_H
#define TAKENELEMENTSWATCH_H

#include <QObject>
#include <QVector>

class Canvas;
class QUndoStack;

// States and transitions keep their values in the elements a save takes,
// except what the scene holds: where they lie and what they are joined to,
// which their elements take when next read. Text and memory items, links and
// dataflows show the elements of their canvas's document. While the watch
// lives, every step of the history checks that each element read then agrees
// with its item on the scene, and that the other items show their document's.
// A mismatch fails the running test.
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
