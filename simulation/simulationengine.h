#ifndef SIMULATIONENGINE_H
#define SIMULATIONENGINE_H

#include <QString>
#include <QStringList>
#include <QVector>

#include "projectcanvases.h"
#include "simulationscenario.h"

class Canvas;
class ProcessItem;

// Runs one state machine as the C that Generate writes: the machine's files
// go to a temporary folder, a harness that includes the source (so that its
// static memory items are reachable) initialises the machine, applies the
// scheduled values and calls the machine function once per tick, and reports
// the state and the memory items after each tick. The harness is compiled
// with the system C compiler and run with a time limit.
class SimulationEngine
{
public:
    enum Outcome { Finished, DesignErrors, BadAssignment, NoCompiler, CompileFailed, RunFailed };

    struct Step
    {
        int tick = 0;
        // Position in the machine's states; the count of states stands for
        // the moment before the initial state is entered.
        int state = 0;
        QString stateLabel;
        // What leads from the previous state to this one; more than one when
        // the diagram cannot tell them apart.
        QStringList transitions;
        // One per memory item, as the harness printed it.
        QStringList values;
    };

    SimulationEngine(Canvas* machine, ProcessItem* process);

    // The machine called NAME, by label or by the base name of its files;
    // -1 when there is none.
    static int findMachine(const QVector<ProjectCanvases::StateMachine>& machines, const QString& name);
    // The name of the generated files, as Generate derives it.
    static QString baseName(const ProcessItem* process);

    void setTicks(int count) { ticks = count; }
    void setAssignments(const QVector<SimulationScenario::Assignment>& list) { assignments = list; }
    // A program name looked up on the PATH, or a path; "cc" when empty.
    void setCompiler(const QString& program) { compiler = program; }
    void setTimeLimit(int milliseconds) { timeLimit = milliseconds; }

    // The C names of the machine's memory items, in the order of the values.
    QStringList memoryNames() const;
    // Empty when every assignment names a memory item at a tick that is run.
    QString assignmentProblem() const;

    QString stateLabel(int state) const;
    QStringList transitionsBetween(int from, int to) const;

    Outcome run();
    const QVector<Step>& steps() const { return trace; }
    // The design errors, or what went wrong, one line each.
    const QStringList& messages() const { return problems; }

    // Label of the moment before the initial state is entered.
    static QString startLabel();
    // Label of the transition into the initial state.
    static QString initialTransitionLabel();

private:
    QString harnessText(const QString& machineName) const;
    QString compilerPath() const;
    bool compile(const QString& folder, const QString& program);
    Outcome execute(const QString& folder, const QString& program);
    void readTrace(const QByteArray& bytes);

    Canvas* canvas = nullptr;
    ProcessItem* processItem = nullptr;
    int ticks = 20;
    int timeLimit = 10000;
    QString compiler;
    QVector<SimulationScenario::Assignment> assignments;
    QVector<Step> trace;
    QStringList problems;
};

#endif // SIMULATIONENGINE_H
