#include "machinetestsuite.h"

#include "simulationengine.h"

MachineTestSuite::MachineTestSuite(const QVector<const ProjectNode*>& list)
    : machines(list)
{
}

MachineTestSuite::~MachineTestSuite() = default;

bool MachineTestSuite::plan(const std::vector<MachineTestFile>& files, QString* why)
{
    for (const MachineTestFile& file : files) {
        for (const MachineTestFile::Case& test : file.cases()) {
            const int found = SimulationEngine::findMachine(machines, test.machine);
            if (found < 0) {
                *why = QStringLiteral("%1:%2: the project has no state machine \"%3\"")
                           .arg(file.fileName())
                           .arg(test.line)
                           .arg(test.machine);
                return false;
            }
            if (!order.contains(found))
                order << found;
            places.append({found, cases[found].size()});
            cases[found].append({file.fileName(), &test});
            results.append({file.fileName(), test.name, SimulationEngine::baseName(machines.at(found)), test.line,
                            {}});
        }
    }
    return true;
}

bool MachineTestSuite::build(QString* why)
{
    for (int machine : qAsConst(order)) {
        auto runner = std::make_unique<MachineTestRunner>(machines.at(machine));
        runner->setCompiler(compiler);
        runner->setCompanions(machines);
        if (runner->prepare(cases.value(machine), why) != MachineTestRunner::Ready)
            return false;
        for (const QString& note : runner->standInNotes())
            standInNotes << SimulationEngine::baseName(machines.at(machine)) + QStringLiteral(": ") + note;
        runners.emplace(machine, std::move(runner));
    }
    return true;
}

void MachineTestSuite::run(const std::function<void(const MachineTestReport::CaseOutcome&)>& ended)
{
    for (int i = 0; i < results.size(); ++i) {
        const auto runner = runners.find(places.at(i).first);
        if (runner == runners.end())
            continue;
        results[i].result = runner->second->run(places.at(i).second);
        if (ended)
            ended(results.at(i));
    }
}

QVector<MachineTestReport::MachineCoverage> MachineTestSuite::coverage() const
{
    QVector<MachineTestReport::MachineCoverage> list;
    for (int machine : order) {
        const auto runner = runners.find(machine);
        if (runner != runners.end())
            list.append({machines.at(machine), runner->second->coverage()});
    }
    return list;
}

int MachineTestSuite::failures() const
{
    int failed = 0;
    for (const MachineTestReport::CaseOutcome& outcome : results)
        failed += outcome.result.outcome == MachineTestRunner::Result::Passed ? 0 : 1;
    return failed;
}

bool MachineTestSuite::anyBroken() const
{
    for (const MachineTestReport::CaseOutcome& outcome : results)
        if (outcome.result.outcome == MachineTestRunner::Result::Broken)
            return true;
    return false;
}
