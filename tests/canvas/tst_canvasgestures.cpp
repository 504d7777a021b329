// Mouse gestures on a canvas: tool modes, hit tests and the hidden actions by
// which the canvas reports to the main window.

#include <QtTest>

#include <QAction>
#include <QGraphicsLineItem>
#include <QMenu>
#include <QUndoStack>

#include "canvas.h"
#include "dataflowitem.h"
#include "initialtransition.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "scenemouse.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "textitem.h"
#include "transitionitem.h"

using namespace SceneMouse;

namespace {

// A canvas wired like the main window wires it: the select action really
// returns the canvas to select mode.
struct Fixture
{
    QMenu menus[7];
    t_strContextMenu set {&menus[0], &menus[1], &menus[2], &menus[3], &menus[4], &menus[5], &menus[6]};
    QAction processAdded, processProperties, save, returnToSelect;
    Canvas canvas {&set};
    QSignalSpy added {&processAdded, &QAction::triggered};
    QSignalSpy properties {&processProperties, &QAction::triggered};
    QSignalSpy saved {&save, &QAction::triggered};
    QSignalSpy returned {&returnToSelect, &QAction::triggered};

    explicit Fixture(int level = 5)
    {
        canvas.setLevel(level);
        canvas.setId(1);
        canvas.setParentId(1);
        canvas.setGrandParentId(1);
        canvas.setLabel(QStringLiteral("machine"));
        canvas.setSceneRect(0, 0, 2000, 1050);
        canvas.setActions(&processAdded);
        canvas.setProcessLabelChangedAction(&processProperties);
        canvas.setSaveAction(&save);
        canvas.setReturnToSelectAction(&returnToSelect);
        QObject::connect(&returnToSelect, &QAction::triggered,
                         [this] { canvas.setMode(Canvas::SelectItem); });
    }

    StateItem* placeState(const QPointF& centre)
    {
        canvas.setMode(Canvas::InsertState);
        click(&canvas, centre);
        return canvas.stateItems.last();
    }
    ProcessItem* placeProcess(const QPointF& centre)
    {
        canvas.setMode(Canvas::InsertProcess);
        click(&canvas, centre);
        return canvas.processItems.last();
    }
    MemoryItem* placeMemory(const QPointF& centre)
    {
        canvas.setMode(Canvas::InsertMemory);
        click(&canvas, centre);
        return canvas.memoryItems.last();
    }
};

} // namespace

class TestCanvasGestures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void clickInsertionsAreOneShot_data();
    void clickInsertionsAreOneShot();
    void dragInsertionsAreOneShot_data();
    void dragInsertionsAreOneShot();
    void failedDragsKeepTheMode_data();
    void failedDragsKeepTheMode();
    void rubberBandGoesWhenTheToolChangesMidDrag();
    void rightButtonDoesNothing_data();
    void rightButtonDoesNothing();
    void onlyARealMoveIsOneUndoStep();
    void selectHighlightsOnlyTheTopmostItem();
    void doubleClickOnProcessGoesThroughTheWindow();
    void transitionRecordsNamingNoStateAreDropped();
    void clearCanvasLeavesAUsableCanvas();
};

void TestCanvasGestures::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestCanvasGestures::clickInsertionsAreOneShot_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("level");
    QTest::newRow("state") << int(Canvas::InsertState) << 5;
    QTest::newRow("text") << int(Canvas::InsertText) << 5;
    QTest::newRow("memory") << int(Canvas::InsertMemory) << 3;
    QTest::newRow("process") << int(Canvas::InsertProcess) << 3;
}

void TestCanvasGestures::clickInsertionsAreOneShot()
{
    QFETCH(int, mode);
    QFETCH(int, level);
    Fixture f(level);
    f.canvas.setMode(Canvas::Mode(mode));
    click(&f.canvas, QPointF(500, 300));

    QCOMPARE(f.canvas.getMode(), Canvas::SelectItem);
    QCOMPARE(f.returned.size(), 1);
    // A process cannot be undone and is reported as a change; the others are
    // one step on the undo stack.
    const bool process = mode == Canvas::InsertProcess;
    QCOMPARE(f.saved.size(), process ? 1 : 0);
    QCOMPARE(f.canvas.undoStack()->count(), process ? 0 : 1);
    const int placed = f.canvas.stateItems.size() + f.canvas.textItems.size()
        + f.canvas.memoryItems.size() + f.canvas.processItems.size();
    QCOMPARE(placed, 1);
    QCOMPARE(f.added.size(), mode == Canvas::InsertProcess ? 1 : 0);
    QCOMPARE(f.canvas.zCounter, 1.0);

    // A second click in select mode places nothing more.
    click(&f.canvas, QPointF(900, 700));
    QCOMPARE(f.canvas.stateItems.size() + f.canvas.textItems.size() + f.canvas.memoryItems.size()
                 + f.canvas.processItems.size(),
             1);
}

void TestCanvasGestures::dragInsertionsAreOneShot_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("transition") << int(Canvas::InsertTransition);
    QTest::newRow("link") << int(Canvas::InsertLink);
    QTest::newRow("dataflow to memory") << int(Canvas::InsertDataflow);
}

void TestCanvasGestures::dragInsertionsAreOneShot()
{
    QFETCH(int, mode);
    Fixture f(mode == Canvas::InsertTransition ? 5 : 3);
    if (mode == Canvas::InsertTransition) {
        f.placeState(QPointF(200, 300));
        f.placeState(QPointF(900, 300));
    } else if (mode == Canvas::InsertLink) {
        f.placeProcess(QPointF(300, 400));
        f.placeProcess(QPointF(1000, 400));
    } else {
        f.placeProcess(QPointF(300, 400));
        f.placeMemory(QPointF(1000, 400));
    }
    f.returned.clear();
    const QList<QGraphicsItem*> before = f.canvas.items();
    const int itemsBefore = before.size();

    f.canvas.setMode(Canvas::Mode(mode));
    press(&f.canvas, QPointF(mode == Canvas::InsertTransition ? 200 : 300, mode == Canvas::InsertTransition ? 300 : 400));
    // While dragging, the rubber band is on the scene, above every item it
    // may cross.
    QCOMPARE(f.canvas.items().size(), itemsBefore + 1);
    QGraphicsItem* band = nullptr;
    for (QGraphicsItem* item : f.canvas.items())
        if (!before.contains(item))
            band = item;
    QVERIFY(band);
    for (QGraphicsItem* item : before)
        QVERIFY(band->zValue() > item->zValue());
    move(&f.canvas, QPointF(600, 350));
    move(&f.canvas, QPointF(mode == Canvas::InsertTransition ? 900 : 1000, mode == Canvas::InsertTransition ? 300 : 400));
    release(&f.canvas, QPointF(mode == Canvas::InsertTransition ? 900 : 1000, mode == Canvas::InsertTransition ? 300 : 400));

    QCOMPARE(f.canvas.getMode(), Canvas::SelectItem);
    QCOMPARE(f.returned.size(), 1);
    QCOMPARE(f.canvas.transitionItems.size() + f.canvas.linkItems.size() + f.canvas.dataflowItems.size(), 1);
    // The box and its two lines replace the rubber band.
    QCOMPARE(f.canvas.items().size(), itemsBefore + 3);
}

void TestCanvasGestures::failedDragsKeepTheMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    // States at (200, 300) and (900, 300); processes at (300, 700) and (1200, 700).
    QTest::newRow("transition within one state") << int(Canvas::InsertTransition) << QPointF(150, 280) << QPointF(250, 320);
    QTest::newRow("transition onto nothing") << int(Canvas::InsertTransition) << QPointF(200, 300) << QPointF(1500, 900);
    QTest::newRow("transition from nothing") << int(Canvas::InsertTransition) << QPointF(1500, 900) << QPointF(900, 300);
    QTest::newRow("transition state to process") << int(Canvas::InsertTransition) << QPointF(200, 300) << QPointF(1200, 700);
    QTest::newRow("link state to state") << int(Canvas::InsertLink) << QPointF(200, 300) << QPointF(900, 300);
    QTest::newRow("link within one process") << int(Canvas::InsertLink) << QPointF(280, 680) << QPointF(320, 720);
    QTest::newRow("dataflow process to process") << int(Canvas::InsertDataflow) << QPointF(300, 700) << QPointF(1200, 700);
}

void TestCanvasGestures::failedDragsKeepTheMode()
{
    QFETCH(int, mode);
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    Fixture f(3);
    f.placeState(QPointF(200, 300));
    f.placeState(QPointF(900, 300));
    f.placeProcess(QPointF(300, 700));
    f.placeProcess(QPointF(1200, 700));
    const int itemsBefore = f.canvas.items().size();
    f.returned.clear();

    f.canvas.setMode(Canvas::Mode(mode));
    drag(&f.canvas, from, to);

    QCOMPARE(int(f.canvas.getMode()), mode);
    QCOMPARE(f.returned.size(), 0);
    QCOMPARE(f.canvas.items().size(), itemsBefore); // the rubber band is gone too
    QVERIFY(f.canvas.transitionItems.isEmpty());
    QVERIFY(f.canvas.linkItems.isEmpty());
    QVERIFY(f.canvas.dataflowItems.isEmpty());
}

void TestCanvasGestures::rubberBandGoesWhenTheToolChangesMidDrag()
{
    Fixture f(5);
    f.placeState(QPointF(200, 300));
    const int itemsBefore = f.canvas.items().size();

    f.canvas.setMode(Canvas::InsertTransition);
    press(&f.canvas, QPointF(200, 300));
    move(&f.canvas, QPointF(600, 350));
    QCOMPARE(f.canvas.items().size(), itemsBefore + 1);
    f.canvas.setMode(Canvas::SelectItem);
    release(&f.canvas, QPointF(600, 350));

    QCOMPARE(f.canvas.items().size(), itemsBefore);
    QVERIFY(f.canvas.transitionItems.isEmpty());
}

void TestCanvasGestures::rightButtonDoesNothing_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("select") << int(Canvas::SelectItem);
    QTest::newRow("state") << int(Canvas::InsertState);
    QTest::newRow("transition") << int(Canvas::InsertTransition);
    QTest::newRow("process") << int(Canvas::InsertProcess);
}

void TestCanvasGestures::rightButtonDoesNothing()
{
    QFETCH(int, mode);
    Fixture f(3);
    StateItem* state = f.placeState(QPointF(500, 300));
    // The left press that placed the state also selected it.
    f.canvas.clearSelection();
    const int itemsBefore = f.canvas.items().size();
    f.saved.clear();
    f.returned.clear();

    f.canvas.setMode(Canvas::Mode(mode));
    press(&f.canvas, QPointF(500, 300), Qt::RightButton);
    QCOMPARE(f.canvas.items().size(), itemsBefore);
    QVERIFY(!state->isSelected());
    QVERIFY(!f.canvas.mouseGrabberItem());
    release(&f.canvas, QPointF(500, 300), Qt::RightButton);

    QCOMPARE(f.canvas.items().size(), itemsBefore);
    QCOMPARE(f.canvas.stateItems.size(), 1);
    QCOMPARE(f.canvas.processItems.size(), 0);
    QCOMPARE(f.saved.size(), 0);
    QCOMPARE(f.returned.size(), 0);
    QCOMPARE(int(f.canvas.getMode()), mode);
}

void TestCanvasGestures::onlyARealMoveIsOneUndoStep()
{
    Fixture f;
    StateItem* state = f.placeState(QPointF(500, 300));
    QUndoStack* stack = f.canvas.undoStack();
    stack->setClean();
    // A click, then the pointer moving with no button held: no change at all.
    click(&f.canvas, QPointF(500, 300));
    move(&f.canvas, QPointF(600, 400), Qt::NoButton);
    QVERIFY(stack->isClean());

    press(&f.canvas, QPointF(500, 300));
    move(&f.canvas, QPointF(540, 330));
    release(&f.canvas, QPointF(540, 330));
    QCOMPARE(state->pos(), QPointF(400, 255));
    QCOMPARE(stack->undoText(), QString("Move Item"));
    stack->undo();
    QCOMPARE(state->pos(), QPointF(360, 225));
    QVERIFY(stack->isClean());
    stack->redo();
    QCOMPARE(state->pos(), QPointF(400, 255));

    // Dragging over an empty spot changes nothing.
    const int steps = stack->count();
    drag(&f.canvas, QPointF(1500, 900), QPointF(1400, 800));
    QCOMPARE(stack->count(), steps);
    QVERIFY(f.saved.isEmpty());
}

void TestCanvasGestures::selectHighlightsOnlyTheTopmostItem()
{
    Fixture f;
    StateItem* lower = f.placeState(QPointF(500, 300));
    StateItem* upper = f.placeState(QPointF(560, 320));
    QVERIFY(upper->zValue() > lower->zValue());
    click(&f.canvas, QPointF(530, 310));
    QVERIFY(upper->isSelected());
    QVERIFY(!lower->isSelected());
    // An empty spot clears the selection.
    click(&f.canvas, QPointF(1500, 900));
    QVERIFY(f.canvas.selectedItems().isEmpty());
}

void TestCanvasGestures::doubleClickOnProcessGoesThroughTheWindow()
{
    Fixture f(3);
    ProcessItem* process = f.placeProcess(QPointF(400, 400));
    f.canvas.setMode(Canvas::InsertLink);
    doubleClick(&f.canvas, QPointF(400, 400));
    QCOMPARE(f.properties.size(), 1);
    QCOMPARE(f.canvas.currentProcess, process);
}

void TestCanvasGestures::transitionRecordsNamingNoStateAreDropped()
{
    Fixture f;
    f.placeState(QPointF(300, 300));
    f.canvas.stateItems.first()->setZValue(1);
    t_transitionItemReadFromXML record;
    record.label = QStringLiteral("go");
    record.startItem = f.canvas.stateItems.first()->getLabel();
    record.endItem = QStringLiteral("Nowhere");
    const int itemsBefore = f.canvas.items().size();
    QVERIFY(!f.canvas.addTransitionItem(&record));
    QVERIFY(f.canvas.transitionItems.isEmpty());
    QCOMPARE(f.canvas.items().size(), itemsBefore);
}

void TestCanvasGestures::clearCanvasLeavesAUsableCanvas()
{
    Fixture f;
    StateItem* state = f.placeState(QPointF(500, 300));
    f.placeState(QPointF(1200, 300));
    f.canvas.currentState = state;
    f.canvas.addSelfTransitionItem();
    f.canvas.undoStack()->undo(); // the transition now lives in the stack only

    f.canvas.clearCanvas();
    QVERIFY(f.canvas.stateItems.isEmpty());
    QVERIFY(f.canvas.transitionItems.isEmpty());
    QCOMPARE(f.canvas.undoStack()->count(), 0);
    QCOMPARE(f.canvas.items().size(), 1); // the title only
    QVERIFY(!f.canvas.initialTransition->scene());

    // Still usable.
    f.placeState(QPointF(500, 300));
    QCOMPARE(f.canvas.stateItems.size(), 1);
    QCOMPARE(f.canvas.getMode(), Canvas::SelectItem);
}

QTEST_MAIN(TestCanvasGestures)
#include "tst_canvasgestures.moc"
