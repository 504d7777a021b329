// Mouse gestures on a canvas: one-shot tool modes, refused drags, moves as
// undo steps, hit tests and the hidden actions by which the canvas reports
// to the main window; where transition lines run and stop; wheel zoom around
// the pointer, and the wheel events it leaves to the view.

#include <QtTest>

#include <QGraphicsView>
#include <QScrollBar>
#include <QtMath>

#include "graphicsviewzoom.h"
#include "initialtransition.h"
#include "itemshadow.h"
#include "processitem.h"
#include "testcanvas.h"
#include "testenvironment.h"

using namespace SceneMouse;

namespace {

struct Fixture : TestCanvas
{
    QSignalSpy added {&processAdded, &QAction::triggered};
    QSignalSpy properties {&processProperties, &QAction::triggered};
    QSignalSpy returned {&returnToSelect, &QAction::triggered};
    using TestCanvas::TestCanvas;

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


void moveTo(QGraphicsView& view, QPoint at)
{
    QMouseEvent event(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &event);
}

void turnWheel(QGraphicsView& view, QPoint at, QPoint angleDelta)
{
    QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), angleDelta, Qt::NoButton,
                      QApplication::keyboardModifiers(), Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &event);
}

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
    void linesOutOfViewFollowWhenTheDragEnds();
    void newStatesTakeTheLowestFreeName();
    void newTransitionsSitBesideTheirLine();
    void aTransitionNeedsBothStates();
    void linesJoinTheCentresAndStopAtTheOutline_data();
    void linesJoinTheCentresAndStopAtTheOutline();
    void selfTransitionsStackAndFollow();
    void wheelZoom_data();
    void wheelZoom();
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
    // Each is one step on the undo stack; a process also asks the window for
    // its diagram.
    QCOMPARE(f.added.size(), mode == Canvas::InsertProcess ? 1 : 0);
    QCOMPARE(f.stack()->count(), 1);

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

    // A click selects only the topmost item; an empty spot clears the selection.
    f.place(Canvas::InsertState, QPointF(460, 280));
    click(&f.canvas, QPointF(430, 270));
    QVERIFY(f.canvas.stateItems.last()->isSelected());
    QVERIFY(!state->isSelected());
    click(&f.canvas, QPointF(1500, 900));
    QVERIFY(f.canvas.selectedItems().isEmpty());

    // States dragged together are one step, and the lines of their
    // transitions lie where each state's own move would put them: after the
    // drag, after undo and after redo.
    StateItem* a = f.state("A", QPointF(100, 600));
    StateItem* b = f.state("B", QPointF(700, 600));
    StateItem* c = f.state("C", QPointF(1300, 600));
    const QList<TransitionItem*> joins {f.join(a, b), f.join(b, c), f.join(c, a)};
    const auto lines = [&joins] {
        QList<QLineF> all;
        for (TransitionItem* t : joins)
            all << t->getStartLine()->line() << t->getEndLine()->line();
        return all;
    };
    const auto followed = [&joins, &lines] {
        for (TransitionItem* t : joins)
            t->followEnds();
        return lines();
    };
    const QList<QLineF> before = lines();
    QCOMPARE(followed(), before);
    f.canvas.clearSelection();
    a->setSelected(true);
    b->setSelected(true);
    const int moves = f.stack()->count();
    drag(&f.canvas, QPointF(240, 675), QPointF(240, 875));
    QCOMPARE(f.stack()->count(), moves + 1);
    QCOMPARE(b->pos(), QPointF(700, 800));
    QCOMPARE(c->pos(), QPointF(1300, 600));
    const QList<QLineF> after = lines();
    QVERIFY(after != before);
    QCOMPARE(followed(), after);
    f.stack()->undo();
    QCOMPARE(lines(), before);
    f.stack()->redo();
    QCOMPARE(lines(), after);
}

void TestCanvasGestures::linesOutOfViewFollowWhenTheDragEnds()
{
    Fixture f;
    QGraphicsView view(&f.canvas);
    view.resize(500, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    StateItem* a = f.state("A", QPointF(100, 600));
    StateItem* b = f.state("B", QPointF(600, 600));
    StateItem* far = f.state("Far", QPointF(9000, 600));
    StateItem* farther = f.state("Farther", QPointF(9600, 600));
    TransitionItem* shown = f.join(a, b);
    TransitionItem* hidden = f.join(far, farther);
    f.canvas.coverItems();
    view.centerOn(a);
    const QLineF hiddenLine = hidden->getStartLine()->line();
    QVERIFY(!view.mapToScene(view.viewport()->rect()).boundingRect().intersects(hidden->sceneBoundingRect()));
    f.canvas.clearSelection();
    a->setSelected(true);
    far->setSelected(true);

    // A step moves both states; only the line in view follows at once.
    press(&f.canvas, QPointF(240, 675));
    move(&f.canvas, QPointF(240, 775));
    QCOMPARE(far->pos(), QPointF(9000, 700));
    const QLineF shownLine = shown->getStartLine()->line();
    shown->followEnds();
    QCOMPARE(shown->getStartLine()->line(), shownLine);
    QCOMPARE(hidden->getStartLine()->line(), hiddenLine);
    // Brought into view by a later step, it follows then.
    view.centerOn(far);
    move(&f.canvas, QPointF(240, 785));
    QVERIFY(hidden->getStartLine()->line() != hiddenLine);
    view.centerOn(a);
    move(&f.canvas, QPointF(240, 875));
    const QLineF stale = hidden->getStartLine()->line();
    release(&f.canvas, QPointF(240, 875));
    QVERIFY(hidden->getStartLine()->line() != stale);
    const QLineF released = hidden->getStartLine()->line();
    hidden->followEnds();
    QCOMPARE(hidden->getStartLine()->line(), released);
}

void TestCanvasGestures::newStatesTakeTheLowestFreeName()
{
    Fixture f;
    for (int i = 0; i < 3; ++i)
        f.place(Canvas::InsertState, QPointF(300 + 400 * i, 300));
    QStringList names;
    for (StateItem* state : qAsConst(f.canvas.stateItems))
        names << state->getLabel();
    QCOMPARE(names, QStringList({"State_1", "State_2", "State_3"}));
    f.stack()->undo();
    f.stack()->undo();
    StateItem::Values renamed = f.canvas.stateItems.first()->values();
    renamed.label = QStringLiteral("Idle");
    applyValues(&f.canvas, f.canvas.stateItems.first(), renamed);
    f.place(Canvas::InsertState, QPointF(700, 700));
    QCOMPARE(f.canvas.stateItems.last()->getLabel(), QString("State_1"));
}

// Between two close states, each new transition's box keeps clear of the
// straight line between the states and of the other boxes, in either
// direction, so that every line and arrow head stays in sight.
void TestCanvasGestures::newTransitionsSitBesideTheirLine()
{
    Fixture f;
    StateItem* a = f.state("A", QPointF(100, 300));
    StateItem* b = f.state("B", QPointF(500, 300));
    const QList<TransitionItem*> joins {f.join(a, b), f.join(b, a), f.join(a, b), f.join(b, a)};
    const QLineF between(a->sceneBoundingRect().center(), b->sceneBoundingRect().center());
    QList<QLineF> lines;
    for (int i = 0; i < joins.size(); ++i) {
        const QRectF box = ItemShadow::sceneRectOf(joins.at(i));
        QPainterPath path;
        path.addRect(box);
        QPainterPath line(between.p1());
        line.lineTo(between.p2());
        QVERIFY2(!path.intersects(line), qPrintable(QString::number(i)));
        for (int j = 0; j < i; ++j)
            QVERIFY(!box.intersects(ItemShadow::sceneRectOf(joins.at(j))));
        lines << joins.at(i)->getStartLine()->line() << joins.at(i)->getEndLine()->line();
    }
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(lines.count(lines.at(i)), 1);

    // Self transitions of one state stack without overlapping.
    const QList<TransitionItem*> loops {f.join(a, a), f.join(a, a), f.join(a, a)};
    for (int i = 1; i < loops.size(); ++i)
        QVERIFY(!ItemShadow::sceneRectOf(loops.at(i)).intersects(ItemShadow::sceneRectOf(loops.at(i - 1))));
}

void TestCanvasGestures::aTransitionNeedsBothStates()
{
    Fixture f;
    StateItem* state = f.state("Start", QPointF(300, 300), true);
    QVERIFY(!f.canvas.addTransitionItem(TransitionElement(), state, nullptr));
    QVERIFY(!f.canvas.addTransitionItem(TransitionElement(), nullptr, state));
    QVERIFY(f.canvas.transitionItems.isEmpty());
    QVERIFY(state->getTransitions().isEmpty());
}

void TestCanvasGestures::linesJoinTheCentresAndStopAtTheOutline_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::newRow("left to right") << QPointF(100, 100) << QPointF(500, 100);
    QTest::newRow("right to left") << QPointF(900, 400) << QPointF(200, 400);
    QTest::newRow("downwards") << QPointF(300, 100) << QPointF(300, 700);
    QTest::newRow("diagonal") << QPointF(200, 150) << QPointF(1100, 800);
    QTest::newRow("steep") << QPointF(600, 900) << QPointF(700, 120);
}

void TestCanvasGestures::linesJoinTheCentresAndStopAtTheOutline()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    TestCanvas f;
    f.addState(from - QPointF(140, 75));
    StateItem* b = f.addState(to - QPointF(140, 75));
    TransitionItem* t = f.join(f.canvas.stateItems.first(), b);
    // The box sits half way between the centres.
    QCOMPARE(t->getMidPos(), (from + to) / 2);
    f.render();

    const QPointF boxCentre = t->pos() + QPointF(75, 37);
    const QLineF start = t->getStartLine()->line();
    const QLineF end = t->getEndLine()->line();
    // Start line: from the box outline back to the source centre.
    QCOMPARE(start.p2(), from);
    QVERIFY(onOutline(start.p1(), t));
    // End line: the tip on the target's outline, towards its centre, the tail at the box.
    QCOMPARE(end.p2(), boxCentre);
    QVERIFY(onOutline(end.p1(), b));
    QCOMPARE(t->getEndLine()->getArrowHead().at(0), end.p1());
    QVERIFY(qAbs(QLineF(boxCentre, to).angleTo(QLineF(boxCentre, end.p1()))) < 1e-6
            || qAbs(QLineF(boxCentre, to).angleTo(QLineF(boxCentre, end.p1())) - 360) < 1e-6);

    // Moved, the target still takes the tip on its outline.
    b->setPos(b->pos() + QPointF(130, 170));
    f.canvas.itemMoved(b);
    f.render();
    QVERIFY(onOutline(t->getEndLine()->line().p1(), b));
    QCOMPARE(t->getEndLine()->line().p2(), boxCentre);
}

void TestCanvasGestures::selfTransitionsStackAndFollow()
{
    TestCanvas f;
    StateItem* s = f.addState(QPointF(0, 0));
    TransitionItem* first = f.join(s, s);
    TransitionItem* second = f.join(s, s);
    QVERIFY(first->isSelfTransition());
    QCOMPARE(first->getMidPos(), QPointF(570, 75));
    QCOMPARE(second->getMidPos(), QPointF(570, 38));
    QVERIFY(s->getTransitions().isEmpty());
    f.render();
    QCOMPARE(first->getEndLine()->line(), QLineF(QPointF(280, 75), QPointF(570, 75)));
    QCOMPARE(first->getStartLine()->line(), QLineF(QPointF(495, 75), QPointF(140, 75)));
    // A box moved inside its state crosses no edge: the line ends at the centre.
    first->setPos(40, 30);
    f.canvas.itemMoved(first);
    f.render();
    QCOMPARE(first->getEndLine()->line().p1(), QPointF(140, 75));
}

void TestCanvasGestures::wheelZoom_data()
{
    QTest::addColumn<QPoint>("first");  // where the pointer was
    QTest::addColumn<QPoint>("second"); // where the wheel turns
    QTest::addColumn<QPoint>("angleDelta");
    QTest::addColumn<QPoint>("anchor"); // what stays under the pointer; none: the view scrolls
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("controlHeld");
    const QPoint p(300, 80);
    QTest::newRow("one notch in") << p << p << QPoint(0, 120) << p << true << false;
    QTest::newRow("one notch out") << p << p << QPoint(0, -120) << p << true << false;
    QTest::newRow("mostly vertical") << p << p << QPoint(40, 120) << p << true << false;
    // Small moves of the pointer keep the first anchor.
    const QPoint q(100, 100);
    QTest::newRow("5 px right") << q << QPoint(105, 100) << QPoint(0, 720) << q << true << false;
    QTest::newRow("6 px down") << q << QPoint(100, 106) << QPoint(0, 720) << QPoint(100, 106) << true << false;
    QTest::newRow("disabled") << p << p << QPoint(0, -120) << QPoint() << false << false;
    QTest::newRow("control held") << p << p << QPoint(0, -120) << QPoint() << true << true;
    QTest::newRow("horizontal wheel") << p << p << QPoint(-120, 0) << QPoint() << true << false;
}

void TestCanvasGestures::wheelZoom()
{
    QFETCH(QPoint, first);
    QFETCH(QPoint, second);
    QFETCH(QPoint, angleDelta);
    QFETCH(QPoint, anchor);
    QFETCH(bool, enabled);
    QFETCH(bool, controlHeld);
    QGraphicsScene scene(0, 0, 4000, 3000);
    QGraphicsView view(&scene);
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.centerOn(2000, 1500);
    auto* zoom = new GraphicsViewZoom(&view);
    zoom->setModifiers(Qt::NoModifier);
    zoom->setEnable(enabled);
    moveTo(view, first);
    moveTo(view, second);
    const QPointF anchored = view.mapToScene(anchor);
    QScrollBar* bar = angleDelta.y() ? view.verticalScrollBar() : view.horizontalScrollBar();
    const int scrolled = bar->value();
    QSignalSpy zoomed(zoom, &GraphicsViewZoom::zoomed);
    if (controlHeld)
        QTest::keyPress(view.viewport(), Qt::Key_Control, Qt::ControlModifier);
    turnWheel(view, second, angleDelta);
    if (controlHeld)
        QTest::keyRelease(view.viewport(), Qt::Key_Control, Qt::NoModifier);

    if (anchor.isNull()) {
        QCOMPARE(view.transform(), QTransform());
        QCOMPARE(zoomed.size(), 0);
        QVERIFY2(bar->value() != scrolled, "the view did not get the wheel to scroll");
        return;
    }
    const double factor = qPow(1.0015, angleDelta.y());
    QVERIFY(qAbs(view.transform().m11() - factor) < 1e-9);
    QVERIFY(qAbs(view.transform().m22() - factor) < 1e-9);
    QCOMPARE(zoomed.size(), 1);
    const QPointF now = view.mapFromScene(anchored);
    QVERIFY2(qAbs(now.x() - anchor.x()) <= 1 && qAbs(now.y() - anchor.y()) <= 1,
             qPrintable(QString("%1,%2").arg(now.x()).arg(now.y())));
}

QTEST_MAIN(TestCanvasGestures)
#include "tst_canvasgestures.moc"
