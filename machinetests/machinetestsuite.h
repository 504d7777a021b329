#ifndef MACHINETESTSUITE_H
#define MACHINETESTSUITE_H

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "machinetestfile.h"
#include "machinetestreport.h"
#include "machinetestrunner.h"

class ProjectNode;

// The cases of some test files run on a project's machines: each case on
// the machine it names, each machine's cases built into one program. The
// command-line tool and the window share it; it needs no GUI, and once
// planned may run on any thread.
class MachineTestSuite
{
public:
    // The machines' documents must outlive the suite.
    explicit MachineTestSuite(const QVector<const ProjectNode*>& machines);
    ~MachineTestSuite();

    void setCompiler(const QString& program) { compiler = program; }
    // Takes the cases of the files, in order; false, with "FILE:LINE: ..."
    // in why, for a case naming a machine the project does not have.
    bool plan(const std::vector<MachineTestFile>& files, QString* why);
    // Builds the program of each machine; false, with why, for a step the
    // machine cannot take (usage), design errors, no compiler or a compile
    // failure. notes() then names the stand-ins used.
    bool build(QString* why);
    // Runs every case, in order, reporting each as it ends.
    void run(const std::function<void(const MachineTestReport::CaseOutcome&)>& ended = {});

    const QVector<MachineTestReport::CaseOutcome>& outcomes() const { return results; }
    QVector<MachineTestReport::MachineCoverage> coverage() const;
    const QStringList& notes() const { return standInNotes; }
    int failures() const;
    // A case that crashed or ran out of time.
    bool anyBroken() const;

private:
    QVector<const ProjectNode*> machines;
    QString compiler;
    QVector<int> order;
    QHash<int, QVector<QPair<QString, const MachineTestFile::Case*>>> cases;
    // Per outcome: its machine and its place among that machine's cases.
    QVector<QPair<int, int>> places;
    QVector<MachineTestReport::CaseOutcome> results;
    std::map<int, std::unique_ptr<MachineTestRunner>> runners;
    QStringList standInNotes;
};

#endif // MACHINETESTSUITE_H
