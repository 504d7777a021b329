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
    const auto checkAll = [](const auto& items, const char* kind) {
        for (const auto* item : items)
            if (item->element().get() != item->currentElement())
                QTest::qFail(qPrintable(QStringLiteral("%1 %2 kept an old element")
                                            .arg(QLatin1String(kind), item->getLabel())),
                             __FILE__, __LINE__);
    };
    for (const Canvas* canvas : canvases) {
        checkAll(canvas->stateItems, "state");
        checkAll(canvas->transitionItems, "transition");
    }
}
