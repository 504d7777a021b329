// Mouse gestures on a canvas: one-shot tool modes, refused drags, moves as
// undo steps, hit tests and the hidden actions by which the canvas reports
// to the main window.

#include <QtTest>

#include "initialtransition.h"
#include "processitem.h"
#include "smcanvas.h"
#include "testenvironment.h"

using namespace SceneMouse;

namespace {

struct Fixture : SmCanvas
{
    QSignalSpy added {&processAdded, &QAction::triggered};
    QSignalSpy properties {&processProperties, &QAction::triggered};
    QSignalSpy saved {&save, &QAction::triggered};
    QSignalSpy returned {&returnToSelect, &QAction::triggered};
    using SmCanvas::SmCanvas;

    int placed() const
    {
        return canvas.stateItems.size() + canvas.textItems.size() + canvas.memoryItems.size()
            + canvas.processItems.size();
    }
    int joined() const
    {
        return canvas.transitionItems.size() + canvas.linkItems.size() + canvas.dataflowItems.size();
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
    void onlyARealMoveIsOneUndoStep();
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
    f.place(Canvas::Mode(mode), QPointF(500, 300));
    QCOMPARE(f.canvas.getMode(), Canvas::SelectItem);
    QCOMPARE(f.returned.size(), 1);
    QCOMPARE(f.placed(), 1);
    // A process cannot be undone and is reported as a change; the others are
    // one step on the undo stack.
    const bool process = mode == Canvas::InsertProcess;
    QCOMPARE(f.saved.size(), process ? 1 : 0);
    QCOMPARE(f.added.size(), process ? 1 : 0);
    QCOMPARE(f.stack()->count(), process ? 0 : 1);

    // A second click in select mode places nothing more.
    click(&f.canvas, QPointF(900, 700));
    QCOMPARE(f.placed(), 1);
}

void TestCanvasGestures::dragInsertionsAreOneShot_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::newRow("transition") << int(Canvas::InsertTransition) << int(Canvas::InsertState)
                                << int(Canvas::InsertState);
    QTest::newRow("link") << int(Canvas::InsertLink) << int(Canvas::InsertProcess) << int(Canvas::InsertProcess);
    QTest::newRow("dataflow") << int(Canvas::InsertDataflow) << int(Canvas::InsertProcess)
                              << int(Canvas::InsertMemory);
}

void TestCanvasGestures::dragInsertionsAreOneShot()
{
    QFETCH(int, mode);
    QFETCH(int, first);
    QFETCH(int, second);
    Fixture f(mode == Canvas::InsertTransition ? 5 : 3);
    f.place(Canvas::Mode(first), QPointF(300, 400));
    f.place(Canvas::Mode(second), QPointF(1000, 400));
    f.returned.clear();
    const QList<QGraphicsItem*> before = f.canvas.items();

    f.canvas.setMode(Canvas::Mode(mode));
    press(&f.canvas, QPointF(300, 400));
    move(&f.canvas, QPointF(600, 350));
    // While dragging, the rubber band is on the scene, above every item.
    QCOMPARE(f.canvas.items().size(), before.size() + 1);
    QGraphicsItem* band = nullptr;
    for (QGraphicsItem* item : f.canvas.items())
        band = before.contains(item) ? band : item;
    for (QGraphicsItem* item : before)
        QVERIFY(band->zValue() > item->zValue());
    move(&f.canvas, QPointF(1000, 400));
    release(&f.canvas, QPointF(1000, 400));
    QCOMPARE(f.canvas.getMode(), Canvas::SelectItem);
    QCOMPARE(f.returned.size(), 1);
    QCOMPARE(f.joined(), 1);
    // The box and its two lines replace the rubber band.
    QCOMPARE(f.canvas.items().size(), before.size() + 3);
}

void TestCanvasGestures::failedDragsKeepTheMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<bool>("switchToSelect"); // the tool changes before the release
    // States at (200, 300) and (900, 300); processes at (300, 700) and (1200, 700).
    const int t = Canvas::InsertTransition;
    QTest::newRow("transition within one state") << t << QPointF(150, 280) << QPointF(250, 320) << false;
    QTest::newRow("transition onto nothing") << t << QPointF(200, 300) << QPointF(1500, 900) << false;
    QTest::newRow("transition from nothing") << t << QPointF(1500, 900) << QPointF(900, 300) << false;
    QTest::newRow("transition state to process") << t << QPointF(200, 300) << QPointF(1200, 700) << false;
    QTest::newRow("tool changed mid-drag") << t << QPointF(200, 300) << QPointF(900, 300) << true;
    QTest::newRow("link state to state") << int(Canvas::InsertLink) << QPointF(200, 300) << QPointF(900, 300) << false;
    QTest::newRow("link within one process") << int(Canvas::InsertLink) << QPointF(280, 680) << QPointF(320, 720) << false;
    QTest::newRow("dataflow process to process")
        << int(Canvas::InsertDataflow) << QPointF(300, 700) << QPointF(1200, 700) << false;
}

void TestCanvasGestures::failedDragsKeepTheMode()
{
    QFETCH(int, mode);
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(bool, switchToSelect);
    Fixture f(3);
    f.place(Canvas::InsertState, QPointF(200, 300));
    f.place(Canvas::InsertState, QPointF(900, 300));
    f.place(Canvas::InsertProcess, QPointF(300, 700));
    f.place(Canvas::InsertProcess, QPointF(1200, 700));
    const int itemsBefore = f.canvas.items().size();
    f.returned.clear();

    f.canvas.setMode(Canvas::Mode(mode));
    press(&f.canvas, from);
    move(&f.canvas, (from + to) / 2);
    move(&f.canvas, to);
    if (switchToSelect)
        f.canvas.setMode(Canvas::SelectItem);
    release(&f.canvas, to);

    QCOMPARE(int(f.canvas.getMode()), switchToSelect ? int(Canvas::SelectItem) : mode);
    QCOMPARE(f.returned.size(), 0);
    QCOMPARE(f.canvas.items().size(), itemsBefore); // the rubber band is gone too
    QCOMPARE(f.joined(), 0);
}

void TestCanvasGestures::onlyARealMoveIsOneUndoStep()
{
    Fixture f;
    f.place(Canvas::InsertState, QPointF(500, 300));
    StateItem* state = f.canvas.stateItems.last();
    f.stack()->setClean();
    // A click, then the pointer moving with no button held: no change at all.
    click(&f.canvas, QPointF(500, 300));
    move(&f.canvas, QPointF(600, 400), Qt::NoButton);
    QVERIFY(f.stack()->isClean());

    press(&f.canvas, QPointF(500, 300));
    move(&f.canvas, QPointF(540, 330));
    release(&f.canvas, QPointF(540, 330));
    QCOMPARE(state->pos(), QPointF(400, 255));
    QCOMPARE(f.stack()->undoText(), QString("Move Item"));
    f.stack()->undo();
    QCOMPARE(state->pos(), QPointF(360, 225));
    QVERIFY(f.stack()->isClean());
    f.stack()->redo();
    QCOMPARE(state->pos(), QPointF(400, 255));

    // Dragging over an empty spot changes nothing.
    const int steps = f.stack()->count();
    drag(&f.canvas, QPointF(1500, 900), QPointF(1400, 800));
    QCOMPARE(f.stack()->count(), steps);
    QVERIFY(f.saved.isEmpty());

    // A click selects only the topmost item; an empty spot clears the selection.
    f.place(Canvas::InsertState, QPointF(460, 280));
    click(&f.canvas, QPointF(430, 270));
    QVERIFY(f.canvas.stateItems.last()->isSelected());
    QVERIFY(!state->isSelected());
    click(&f.canvas, QPointF(1500, 900));
    QVERIFY(f.canvas.selectedItems().isEmpty());
}

void TestCanvasGestures::clearCanvasLeavesAUsableCanvas()
{
    Fixture f;
    StateItem* state = f.state("Start", QPointF(300, 300), true);
    f.state("Other", QPointF(1200, 300));
    // A file naming a missing state gives no transition.
    t_transitionItemReadFromXML record;
    record.startItem = "Start";
    record.endItem = "Nowhere";
    QVERIFY(!f.canvas.addTransitionItem(&record));
    QVERIFY(f.canvas.transitionItems.isEmpty());
    f.canvas.currentState = state;
    f.canvas.addSelfTransitionItem();
    f.stack()->undo(); // the transition now lives in the stack only

    f.canvas.clearCanvas();
    QVERIFY(f.canvas.stateItems.isEmpty());
    QVERIFY(f.canvas.transitionItems.isEmpty());
    QCOMPARE(f.stack()->count(), 0);
    QCOMPARE(f.canvas.items().size(), 1); // the title only
    QVERIFY(!f.canvas.initialTransition->getInitialState());

    f.place(Canvas::InsertState, QPointF(500, 300));
    QCOMPARE(f.canvas.stateItems.size(), 1);
    QCOMPARE(f.canvas.getMode(), Canvas::SelectItem);
}

QTEST_MAIN(TestCanvasGestures)
#include "tst_canvasgestures.moc"
