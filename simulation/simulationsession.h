#ifndef SIMULATIONSESSION_H
#define SIMULATIONSESSION_H

#include <QObject>
#include <QPair>
#include <QPointer>
#include <QProcess>
#include <QScopedPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <memory>

#include "groupprocess.h"
#include "machineset.h"
#include "simulationengine.h"

class Document;
class ProjectNode;
class QTemporaryDir;

// One machine run tick by tick on demand, as the C that Generate writes:
// the engine prepares an interactive harness, which is compiled and then
// driven over its standard input without ever waiting on the GUI thread.
// Values set between ticks are sent just before the next tick runs.
class SimulationSession : public QObject
{
    Q_OBJECT

public:
    enum Phase { Idle, Compiling, Ready, Busy };

    explicit SimulationSession(QObject* parent = nullptr);
    ~SimulationSession() override;

    void setCompiler(const QString& program) { compiler = program; }
    // How long one tick (or the initialisation) may take.
    void setStepTimeLimit(int milliseconds) { stepTimeLimit = milliseconds; }

    // Generates the machine's files and starts compiling them; the session
    // keeps the machine's document. A session whose drawing (when given)
    // goes away stops. False, with the outcome and messages(), when nothing
    // could be started (design errors, no compiler); true when started() or
    // failed() will follow.
    // The project's machines, when given, are linked in as the firmware
    // links them; the session keeps them too.
    bool start(std::unique_ptr<Document> document, const ProjectNode* machine, QObject* drawing = nullptr,
               std::unique_ptr<MachineSet> machines = nullptr);
    // Ends the harness and forgets the trace; nothing is reported.
    void stop();

    Phase phase() const { return current; }
    bool isActive() const { return current != Idle; }
    SimulationEngine::Outcome outcome() const { return lastOutcome; }
    const QStringList& messages() const { return problems; }
    QStringList memoryNames() const;
    // One line for each function or variable from outside the project that
    // the machine uses through a stand-in.
    QStringList standInNotes() const;
    // The base name of the machine's files.
    QString machineName() const { return processName; }
    const QVector<SimulationEngine::Step>& steps() const { return trace; }

    // Runs one tick once the harness is Ready; false otherwise.
    bool step();
    // Sets memory item index to the number text before the next tick (or
    // before the initialisation, while compiling). A value the harness
    // refuses is reported through valueRefused().
    void setValue(int index, const QString& text);
    // True while a value set for the memory item waits for the next tick.
    bool hasPendingValue(int index) const;

signals:
    // The harness is running and tick 0 is in steps().
    void started();
    void stepped(const SimulationEngine::Step& step);
    void valueRefused(int index, const QString& text);
    // The session ended on its own; outcome() and messages() say why.
    void failed();

private:
    void compileFinished(int exitCode, QProcess::ExitStatus status);
    void compileError(QProcess::ProcessError error);
    void launchHarness();
    void readAnswers();
    void harnessEnded();
    void stepTimedOut();
    void send(const QString& command);
    void sendPendingValues();
    void endProcesses();
    void fail(SimulationEngine::Outcome outcome, const QString& message);
    QString where() const;

    // The machine as it was when the session started, and its engine.
    std::unique_ptr<Document> snapshot;
    std::unique_ptr<MachineSet> companions;
    QScopedPointer<SimulationEngine> engine;
    QScopedPointer<QTemporaryDir> folder;
    // Each in a process group of its own, which ends with the session.
    QPointer<GroupProcess> compilerProcess;
    QPointer<GroupProcess> harness;
    QPointer<QObject> drawing;
    bool watchesDrawing = false;
    int stateCount = 0;
    QString compiler;
    QString compilerProgram;
    QString processName;
    QTimer watchdog;
    int stepTimeLimit = 5000;
    Phase current = Idle;
    SimulationEngine::Outcome lastOutcome = SimulationEngine::Finished;
    QStringList problems;
    QVector<SimulationEngine::Step> trace;
    // Values waiting for the next tick, in the order they were set.
    QVector<QPair<int, QString>> pending;
    QVector<QPair<int, QString>> sentValues;
    QByteArray unread;
};

#endif // SIMULATIONSESSION_H
