// Run > Simulate in the window, offscreen: the example's traffic lights are
// compiled in the background, stepped, marked on the canvas and steered by an
// edited memory value, while the canvas takes no edits and the project stays
// unmodified; a machine runs linked with the project's other machines.

#include <QtTest>

#include <QAction>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsView>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QProgressBar>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>

#include "canvas.h"
#include "mainwindow.h"
#include "projectfixture.h"
#include "scenemouse.h"
#include "simulationdock.h"
#include "simulationsession.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "transitionitem.h"

namespace {

const QString cli = QStringLiteral(KORVEL_BINARY_DIR "/korvel-cli");
// Compiling on a loaded machine can take long; nothing here depends on it.
const int compileWait = 60000;

// The pixels the window shows now, in the view's viewport.
QImage shownPixels(QGraphicsView* view)
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const QPoint at = view->viewport()->mapTo(view->window(), QPoint());
    return view->screen()->grabWindow(view->window()->winId(), at.x(), at.y(), view->viewport()->width(),
                                      view->viewport()->height()).toImage();
}

bool shownMatchesRepaint(QGraphicsView* view)
{
    const QImage shown = shownPixels(view);
    view->viewport()->repaint();
    return !shown.isNull() && shown == shownPixels(view);
}

struct Session
{
    ProjectFixture fixture;
    MainWindow window;
    SimulationDock* dock = nullptr;

    // Opens the example, shows the machine and starts Run > Simulate.
    explicit Session(const QString& machine = QStringLiteral("Light_Sequencer"),
                     const QString& example = QStringLiteral("Example_1.vorn"))
    {
        window.openFile(fixture.copyExample(example));
        ProjectFixture::showCanvas(window, machine);
        window.findChild<QAction*>("actionSimulate")->trigger();
        dock = window.simulationView();
    }
    bool ready() const { return dock && dock->phase() == SimulationSession::Ready; }
    QString lastLine() const { return dock->traceList()->item(dock->traceList()->count() - 1)->text(); }
    int row(const QString& memory) const
    {
        const auto found = dock->memoryTable()->findItems(memory, Qt::MatchExactly);
        return found.isEmpty() ? -1 : found.first()->row();
    }
    QString value(const QString& memory) const { return dock->memoryTable()->item(row(memory), 1)->text(); }
    void edit(const QString& memory, const QString& text) { dock->memoryTable()->item(row(memory), 1)->setText(text); }
    // Presses Step and waits for the tick's line.
    bool step()
    {
        const int lines = dock->traceList()->count();
        dock->stepButton()->click();
        return QTest::qWaitFor([&] { return dock->traceList()->count() == lines + 1 && ready(); }, compileWait);
    }
};

} // namespace

class TestSimulationDock : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dockStepsAndMarksTheWalk();
    void dockEditedValueChangesTheWalk();
    void machinesRunLinked_data();
    void machinesRunLinked();
    void canvasRefusesEditsWhileRunning();

private:
    QTemporaryDir dir;
};

void TestSimulationDock::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
    QVERIFY(dir.isValid());
}

void TestSimulationDock::dockStepsAndMarksTheWalk()
{
    Session s;
    QVERIFY(s.dock);
    QVERIFY(!s.dock->isHidden());
    QVERIFY(s.window.isSimulationRunning());
    QTRY_VERIFY_WITH_TIMEOUT(s.ready(), compileWait);
    QVERIFY(!s.dock->progressBar()->isVisible());

    QCOMPARE(s.dock->traceList()->count(), 1);
    QCOMPARE(s.lastLine(), QString("0: Red  \u2190 (initial)"));
    QCOMPARE(s.dock->markedState()->getLabel(), QString("Red"));
    QVERIFY(s.dock->markedTransitions().isEmpty());
    QCOMPARE(s.dock->memoryTable()->rowCount(), 5);

    QVERIFY(s.step());
    QCOMPARE(s.lastLine(), QString("1: Red"));
    QCOMPARE(s.value("ticks"), QString("1"));

    // The walk leaves Red when its time is up: the transition is marked for
    // that tick only.
    s.edit("ticks", "40");
    QVERIFY(s.step());
    QCOMPARE(s.lastLine(), QString("2: Green  \u2190 T_go"));
    QCOMPARE(s.dock->markedState()->getLabel(), QString("Green"));
    QCOMPARE(s.dock->markedTransitions().size(), 1);
    QCOMPARE(s.dock->markedTransitions().first()->getLabel(), QString("T_go"));
    QCOMPARE(s.value("ticks"), QString("0"));
    QVERIFY(s.step());
    QCOMPARE(s.lastLine(), QString("3: Green"));
    QVERIFY(s.dock->markedTransitions().isEmpty());

    QVERIFY(!s.window.isProjectModified());
    // What the window shows must be what a full repaint draws: a scroll
    // before a Step or a Reset leaves no piece of a mark behind.
    s.window.resize(2400, 1400);
    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    QGraphicsView* view = s.window.graphicsView();
    for (int press = 0; press < 2; ++press) {
        shownPixels(view);
        view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->value() + 37);
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->value() + 23);
        shownPixels(view);
        if (press == 0)
            QVERIFY(s.step());
        else
            s.dock->resetButton()->click();
        QVERIFY(shownMatchesRepaint(view));
    }
    QVERIFY(!s.window.isSimulationRunning());
    QVERIFY(!s.dock->markedState());
    QCOMPARE(s.dock->traceList()->count(), 0);
    QVERIFY(!s.window.isProjectModified());
}

void TestSimulationDock::dockEditedValueChangesTheWalk()
{
    Session s;
    QTRY_VERIFY_WITH_TIMEOUT(s.ready(), compileWait);
    s.edit("ticks", "40");
    QVERIFY(s.step());
    QCOMPARE(s.dock->markedState()->getLabel(), QString("Green"));
    QVERIFY(s.step());
    QCOMPARE(s.dock->markedState()->getLabel(), QString("Green"));

    // A walk request cuts Green short; a value that is no number is refused
    // and changes nothing.
    s.edit("lamp_red", "not a number");
    s.edit("walk_requested", "1");
    QVERIFY(s.step());
    QCOMPARE(s.lastLine(), QString("3: Yellow  \u2190 T_slow"));
    QCOMPARE(s.value("walk_requested"), QString("0"));
    QVERIFY(s.dock->statusLabel()->text().contains("lamp_red was not set"));
    QCOMPARE(s.value("lamp_red"), QString("0"));

    // Record as Test writes what was done, which korvel-cli test replays.
    QCOMPARE(s.dock->recordedTest("replay"), QString("\nmachine Light_Sequencer\ntest replay\nset ticks = 40\n"
                                                     "tick 2\nset walk_requested = 1\ntick\nexpect state Yellow\n"));
    QString why;
    QVERIFY(s.dock->appendRecordedTest(dir.filePath("recorded.kvtest"), "replay", &why));
    QProcess replay;
    replay.start(cli, {"test", s.window.projectIO().getFilePath(), dir.filePath("recorded.kvtest")});
    QVERIFY(replay.waitForFinished(120000));
    QCOMPARE(replay.exitCode(), 0);
    QVERIFY(replay.readAllStandardOutput().endsWith("1 passed, 0 failed\n"));
}

// A machine is linked with the project's other machines, and what comes from
// outside the project gets stand-ins, on the command line and in the window.
// The machine is linked with the project's other machines, and what comes
// from outside the project is named with the first tick.
void TestSimulationDock::machinesRunLinked_data()
{
    QTest::addColumn<QString>("example");
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QString>("status");
    QTest::newRow("calls another machine") << "Example_1.vorn" << "Button_Debounce" << "Tick 0: Released";
    QTest::newRow("calls the board") << "Example_2.vorn" << "Sampler"
                                     << "Tick 0: Sampling\nadc_read_mv() is defined outside the project: the "
                                        "simulation calls a stand-in that returns 0.";
}

void TestSimulationDock::machinesRunLinked()
{
    QFETCH(QString, example);
    QFETCH(QString, machine);
    QFETCH(QString, status);
    Session s(machine, example);
    QTRY_VERIFY_WITH_TIMEOUT(s.ready(), compileWait);
    QCOMPARE(s.lastLine(), status.section('\n', 0, 0).replace("Tick ", "") + "  \u2190 (initial)");
    QCOMPARE(s.dock->statusLabel()->text(), status);
}

void TestSimulationDock::canvasRefusesEditsWhileRunning()
{
    Session s;
    QTRY_VERIFY_WITH_TIMEOUT(s.ready(), compileWait);
    Canvas* canvas = s.window.getCurrentCanvas();
    QVERIFY(canvas->isReadOnly());
    StateItem* red = canvas->stateItems.first();
    const QPointF before = red->pos();
    const QPointF inside = red->sceneBoundingRect().center();

    // A drag, a double click (which would open a dialog) and a right click
    // do nothing; the editing commands are off.
    SceneMouse::drag(canvas, inside, inside + QPointF(120, 80));
    SceneMouse::doubleClick(canvas, inside);
    QGraphicsSceneContextMenuEvent menu(QEvent::GraphicsSceneContextMenu);
    menu.setScenePos(inside);
    QApplication::sendEvent(canvas, &menu);
    QCOMPARE(red->pos(), before);
    QVERIFY(!canvas->displayStateProperties());
    for (const char* name : {"actionDelete", "actionState", "actiontransition", "actionUndo", "actionText"})
        QVERIFY2(!s.window.findChild<QAction*>(name)->isEnabled(), name);
    QVERIFY(!s.window.isProjectModified());

    // Closing the dock ends the simulation and gives the canvas back.
    s.dock->close();
    QVERIFY(!canvas->isReadOnly());
    QVERIFY(s.window.findChild<QAction*>("actionDelete")->isEnabled());
    QVERIFY(!s.window.isProjectModified());
}

QTEST_MAIN(TestSimulationDock)
#include "tst_simulationdock.moc"
