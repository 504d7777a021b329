// Run > Simulate in the window, offscreen: the example's traffic lights are
// compiled in the background, stepped, marked on the canvas and steered by
// an edited memory value, while the canvas takes no edits and the project
// stays unmodified.
#include <QtTest>

#include <QAction>
#include <QGraphicsSceneContextMenuEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>

#include "canvas.h"
#include "codegenerrorlog.h"
#include "mainwindow.h"
#include "memoryitem.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "scenemouse.h"
#include "simulationdock.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "transitionitem.h"

namespace {

// Compiling on a loaded machine can take long; nothing here depends on it.
const int compileWait = 60000;

struct Session
{
    ProjectFixture fixture;
    MainWindow window;
    SimulationDock* dock = nullptr;

    // Opens the example, shows the machine and starts Run > Simulate.
    explicit Session(const QString& machine = QStringLiteral("Light_Sequencer"))
    {
        window.openFile(fixture.copyExample("Example_1.vorn"));
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
    void stepsAndMarksTheWalk();
    void editedValueChangesTheWalk();
    void canvasRefusesEditsWhileRunning();
};

void TestSimulationDock::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
    if (QStandardPaths::findExecutable(QStringLiteral("cc")).isEmpty())
        QSKIP("no C compiler (cc) on the PATH");
}

void TestSimulationDock::stepsAndMarksTheWalk()
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
    s.dock->resetButton()->click();
    QVERIFY(!s.window.isSimulationRunning());
    QVERIFY(!s.dock->markedState());
    QCOMPARE(s.dock->traceList()->count(), 0);
    QVERIFY(!s.window.isProjectModified());
}

void TestSimulationDock::editedValueChangesTheWalk()
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
