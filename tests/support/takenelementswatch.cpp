#include "takenelementswatch.h"

#include <QTest>
#include <QUndoStack>

#include "canvas.h"
#include "stateitem.h"
#include "transitionitem.h"

TakenElementsWatch::TakenElementsWatch(const QUndoStack* history, const QVector<Canvas*>* canvases)
    : connection(QObject::connect(history, &QUndoStack::indexChanged, [canvases] { check(*canvases); }))
{
}

TakenElementsWatch::~TakenElementsWatch()
{
    // The history steps back to nothing as it goes.
    QObject::disconnect(connection);
}

void TakenElementsWatch::check(const QVector<Canvas*>& canvases)
{
    for (const Canvas* canvas : canvases) {
        for (const StateItem* state : canvas->stateItems) {
            if (state->element().get() != state->currentElement())
                QTest::qFail(qPrintable(QStringLiteral("state %1 kept an old element").arg(state->getLabel())),
                             __FILE__, __LINE__);
        }
        for (const TransitionItem* transition : canvas->transitionItems) {
            if (transition->element().get() != transition->currentElement())
                QTest::qFail(qPrintable(QStringLiteral("transition %1 kept an old element")
                                            .arg(transition->getLabel())),
                             __FILE__, __LINE__);
        }
    }
}
