#ifndef SIMULATIONDOCK_H
#define SIMULATIONDOCK_H

#include <QDockWidget>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <functional>

#include "canvas.h"
#include "simulationsession.h"

class MachineSet;
class QGraphicsRectItem;
class QGraphicsItem;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTableWidgetItem;
class ProcessItem;
class StateItem;
class TransitionItem;

// Steps one state machine through its compiled C and shows the walk: the
// current state and the transition that fired are marked on the canvas, the
// memory items are listed with their values (an edited value is set just
// before the next tick) and every tick adds a line to the trace.
//
// A simulation runs from the first Step or Run (or start()) until Reset,
// until the dock is closed or until it fails; meanwhile the machine must not
// change, which simulatingChanged() tells the window. The marks are scene
// items of their own, outside every registry, so they never reach the
// project file, the undo stack or the modified state.
class SimulationDock : public QDockWidget
{
    Q_OBJECT

public:
    explicit SimulationDock(QWidget* parent = nullptr);
    ~SimulationDock() override;

    // Ends a simulation under way and shows the given machine.
    void setMachine(Canvas* machine, ProcessItem* process);
    // Takes the project's machines, which are linked in with the one
    // simulated, as the firmware links them.
    void setCompanionSource(std::function<void(MachineSet*)> source) { companionSource = std::move(source); }
    Canvas* machineCanvas() const { return canvas; }
    void setCompiler(const QString& program) { session.setCompiler(program); }
    bool isSimulating() const { return session.isActive(); }
    SimulationSession::Phase phase() const { return session.phase(); }

    // Compiles the machine and enters its initial state (tick 0).
    void start();
    // Ends the simulation: the marks go, the canvas may be edited again.
    void reset();
    // One tick; starts the simulation first when none runs.
    void step();
    // Run: a tick at every beat of the chosen rate; Pause stops it.
    void setRunning(bool on);
    bool isRunning() const { return beat.isActive(); }
    void setTicksPerSecond(int rate);

    QTableWidget* memoryTable() const { return memory; }
    QListWidget* traceList() const { return trace; }
    QPushButton* resetButton() const { return resetControl; }
    QPushButton* stepButton() const { return stepControl; }
    QPushButton* runButton() const { return runControl; }
    QPushButton* recordButton() const { return recordControl; }
    QSpinBox* rateBox() const { return rate; }
    QLabel* statusLabel() const { return status; }
    QProgressBar* progressBar() const { return progress; }
    StateItem* markedState() const;
    QVector<TransitionItem*> markedTransitions() const;

    // The trace line of one tick.
    static QString traceLine(const SimulationEngine::Step& step);
    // Record as Test: the values set and the ticks run since the start, as
    // a case of a test file named name, ending with the state now.
    QString recordedTest(const QString& name) const;
    // Adds that case to the end of a test file; false with why.
    bool appendRecordedTest(const QString& path, const QString& name, QString* why) const;

signals:
    void simulatingChanged(bool on);
    // Design errors, compiler errors and failed runs, one line each.
    void problemsFound(const QStringList& messages);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildForm();
    void machineGone();
    void fillMemoryNames(const QStringList& names);
    void showStep(const SimulationEngine::Step& step);
    void sessionStarted();
    void sessionFailed();
    void valueRefused(int index, const QString& text);
    void valueEdited(QTableWidgetItem* item);
    void beatElapsed();
    void updateControls();
    void recordAsTest();
    void noteTicks(int tick);
    void setSimulating(bool on);
    void clearMarks();
    QGraphicsRectItem* markItem(QGraphicsItem* item, const QColor& colour, qreal margin);

    SimulationSession session;
    QPointer<Canvas> canvas;
    QPointer<ProcessItem> process;
    QTimer beat;
    bool simulating = false;
    bool filling = false;
    QString refusal;
    std::function<void(MachineSet*)> companionSource;
    // The steps of a test that replays the simulation so far.
    QStringList recording;
    QGraphicsRectItem* stateMark = nullptr;
    QVector<QGraphicsRectItem*> transitionMarks;
    QPointer<StateItem> stateMarked;
    QVector<QPointer<TransitionItem>> transitionsMarked;

    QPushButton* resetControl = nullptr;
    QPushButton* stepControl = nullptr;
    QPushButton* runControl = nullptr;
    QPushButton* recordControl = nullptr;
    QSpinBox* rate = nullptr;
    QLabel* status = nullptr;
    QProgressBar* progress = nullptr;
    QTableWidget* memory = nullptr;
    QListWidget* trace = nullptr;
};

#endif // SIMULATIONDOCK_H
