#ifndef SIMULATIONENGINE_H
#define SIMULATIONENGINE_H

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QVector>

#include "linkedsources.h"
#include "simulationscenario.h"

class ProjectNode;

// Runs one state machine as the C that Generate writes: the machine's files
// go to a temporary folder, a harness that includes the source (so that its
// static memory items are reachable) initialises the machine, applies the
// scheduled values and calls the machine function once per tick, and reports
// the state and the memory items after each tick. The harness is compiled
// with the system C compiler and run with a time limit.
class SimulationEngine
{
public:
    enum Outcome { Finished, DesignErrors, BadAssignment, NoCompiler, CompileFailed, RunFailed, Prepared };
    // A batch harness runs the ticks and the scheduled values given here and
    // writes its trace to a file. An interactive one waits for commands on
    // its standard input and answers on its standard error, each answer line
    // starting with interactiveMarker() (the machine's own prints to
    // standard output are not read):
    //   init          initialises the machine; answers with tick 0
    //   step          runs one tick; answers with the next tick
    //   set I TEXT    sets memory item I (in memoryNames() order) to the
    //                 number TEXT; answers "set<TAB>I<TAB>1" or "...0" when
    //                 TEXT is not a number or the item is not arithmetic
    //   quit          ends the harness (so does the end of its input)
    // A tick's answer has the fields of a batch trace line.
    enum Mode { Batch, Interactive };

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

    // The machine's document must outlive the engine.
    explicit SimulationEngine(const ProjectNode* machine);

    // The machine called NAME, by label or by the base name of its files;
    // -1 when there is none.
    static int findMachine(const QVector<const ProjectNode*>& machines, const QString& name);
    // The name of the generated files, as Generate derives it.
    static QString baseName(const ProjectNode* machine);

    void setTicks(int count) { ticks = count; }
    void setAssignments(const QVector<SimulationScenario::Assignment>& list) { assignments = list; }
    // A program name looked up on the PATH, or a path; "cc" when empty.
    void setCompiler(const QString& program) { compiler = program; }
    void setTimeLimit(int milliseconds) { timeLimit = milliseconds; }
    // The project's machines: the others are linked in, as the firmware links
    // them, so that the machine may call their functions. Their documents
    // must outlive the engine.
    void setCompanions(const QVector<const ProjectNode*>& machines) { linked.setCompanions(machine, machines); }

    // The C names of the machine's memory items, in the order of the values.
    QStringList memoryNames() const;
    // Empty when every assignment names a memory item at a tick that is run.
    QString assignmentProblem() const;

    QString stateLabel(int state) const;
    QStringList transitionsBetween(int from, int to) const;

    Outcome run();
    // The first half of run(), for callers that compile and run the harness
    // themselves: writes the machine's files (into a "machine" subfolder)
    // and the harness into the folder. Prepared when both were written;
    // otherwise the outcome run() would give, with messages().
    Outcome prepare(const QString& folder, Mode mode);
    // The compiler found for setCompiler(); empty when there is none.
    QString compilerPath() const;
    // Why the compiler is missing, as run() says it.
    QString noCompilerMessage() const;
    // What to run in the prepared folder, and the program it writes there.
    QStringList compileArguments() const;
    static QString programFileName();
    // After a failed link in the prepared folder: true when the other
    // machines or stand-ins for what it names are linked from now on, so
    // that another link may succeed.
    bool linkMore(const QString& folder, const QByteArray& output);
    // The arguments for the other machines and the stand-ins linked so far,
    // relative to the prepared folder.
    QStringList linkedArguments() const { return linked.arguments(); }
    // The compiler's environment: its messages are read, so they are not translated.
    static QProcessEnvironment compilerEnvironment();
    // One line for each stand-in of what the machine uses from outside the
    // project (a function returning 0, a variable holding 0), saying that who
    // ("the simulation", "the tests") uses it.
    QStringList standInNotes(const QString& who) const;
    // Adds the messages of a failed compile, from the compiler's merged
    // output, and returns the outcome to report.
    Outcome noteCompileFailure(const QString& program, const QByteArray& output, int exitCode);
    // One line of a trace, after previousState; false when it is not one.
    bool readStep(const QString& line, int previousState, Step* step) const;
    static QString interactiveMarker();
    const QVector<Step>& steps() const { return trace; }
    // The design errors, or what went wrong, one line each.
    const QStringList& messages() const { return problems; }

    // Label of the moment before the initial state is entered.
    static QString startLabel();
    // Label of the transition into the initial state.
    static QString initialTransitionLabel();

private:
    QString harnessText(const QString& machineName, Mode mode) const;
    bool compile(const QString& folder, const QString& program);
    Outcome execute(const QString& folder, const QString& program);
    void readTrace(const QByteArray& bytes);

    const ProjectNode* machine = nullptr;
    int ticks = 20;
    int timeLimit = 10000;
    QString compiler;
    QVector<SimulationScenario::Assignment> assignments;
    LinkedSources linked;
    QVector<Step> trace;
    QStringList problems;
};

#endif // SIMULATIONENGINE_H
