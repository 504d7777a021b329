#ifndef MACHINETESTRUNNER_H
#define MACHINETESTRUNNER_H

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <memory>

#include "machinetestfile.h"

class ProjectNode;

// Runs the test cases of one machine on the C that Generate writes: the
// cases become one program with the machine's source, compiled once; each
// case runs in a process of its own, so that it starts from a freshly
// initialised machine (its memory items and the text items' variables
// included) and a crash or a loop ends that case alone.
class MachineTestRunner
{
public:
    struct Result
    {
        enum Outcome { Passed, Failed, Broken };
        Outcome outcome = Broken;
        // Where the case failed: "FILE:LINE", the step, the tick, what was found.
        QString location;
        QString expectation;
        long tick = 0;
        QString actual;
        // The last ticks before the end of the case, "tick N: State".
        QStringList trace;
        // Why a broken case did not finish.
        QString problem;
    };

    // What the cases run so far reached: entries per state (in the
    // machine's order) and firings per transition (in the machine's order),
    // the initial transition apart.
    struct Coverage
    {
        QVector<int> states;
        QVector<int> transitions;
        int initial = 0;
    };

    // The machine's document must outlive the runner.
    explicit MachineTestRunner(const ProjectNode* machine);
    ~MachineTestRunner();

    // A program on the PATH or a path; "cc" when empty.
    void setCompiler(const QString& program) { compiler = program; }
    // The project's other machines: their C is linked in, as the firmware
    // links it, so that a machine may call the functions of another.
    void setCompanions(const QVector<const ProjectNode*>& machines) { companions = machines; }
    // Writes and compiles the program of the cases, each with the file it
    // comes from. False, with why, for a step naming a state or memory
    // item the machine does not have (usage), design errors, no compiler or
    // a compile failure.
    enum Preparation { Ready, BadStep, CannotBuild };
    Preparation prepare(const QVector<QPair<QString, const MachineTestFile::Case*>>& cases, QString* why);
    Result run(int index);
    const Coverage& coverage() const { return reached; }
    // One line for each function or variable the project does not define
    // that the tests use through a stand-in.
    const QStringList& standInNotes() const { return standIns; }

private:
    QString caseFunction(int index, const QString& file, const MachineTestFile::Case& test, QString* why) const;
    bool build(const QString& compilerPath, const QStringList& sources, QString* output) const;
    void note(const QVector<int>& states);

    const ProjectNode* machine;
    QString compiler;
    QVector<const ProjectNode*> companions;
    QString program;
    QStringList standIns;
    std::unique_ptr<QTemporaryDir> folder;
    QVector<QPair<QString, const MachineTestFile::Case*>> prepared;
    Coverage reached;
};

#endif // MACHINETESTRUNNER_H
