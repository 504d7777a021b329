#ifndef TAKENELEMENTSWATCH_H
#define TAKENELEMENTSWATCH_H

#include <QObject>
#include <QVector>

class Canvas;
class QUndoStack;

// The items of a canvas show the elements of its document: states,
// transitions, text and memory items, links and dataflows. While the watch
// lives, every step of the history checks that each canvas shows its
// document's elements, in its order, where they lie and joined as they are,
// and that the nodes below it are its processes' diagrams. A mismatch fails
// the running test.
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
