#ifndef MACHINETESTREPORT_H
#define MACHINETESTREPORT_H

#include <QString>
#include <QVector>

#include "machinetestrunner.h"

class ProjectNode;

// What a run of state-machine tests found, written for people and for CI
// servers: the JUnit XML that common CI servers read, and the coverage of
// each machine as JSON.
namespace MachineTestReport {

struct CaseOutcome
{
    QString file;
    QString name;
    QString machine;
    int line = 0;
    MachineTestRunner::Result result;
};

struct MachineCoverage
{
    const ProjectNode* machine = nullptr;
    MachineTestRunner::Coverage coverage;
};

// "FILE:LINE: STEP: at tick N ACTUAL", or for a case that did not finish,
// its problem.
QString failureLine(const CaseOutcome& outcome);

// One testsuite per test file, one testcase per case; failures with their
// message and the last ticks. False with why when the file cannot be written.
bool writeJUnit(const QString& path, const QVector<CaseOutcome>& outcomes, QString* why);

// States entered and transitions fired (the initial transition included)
// over all cases, as counts, percentages and the lists of those never
// reached, one line each.
QStringList coverageLines(const MachineCoverage& machine);
QString coverageJson(const QVector<MachineCoverage>& machines);

} // namespace MachineTestReport

#endif // MACHINETESTREPORT_H
