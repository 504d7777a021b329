#include "machinetestjob.h"

#include <QFile>
#include <QFileInfo>

#include <vector>

#include "backgroundjob.h"
#include "machineset.h"
#include "machinetestsuite.h"
#include "projectsnapshot.h"

namespace {

void runTests(const QStringList& paths, MachineTestJob::Outcome* outcome)
{
    std::vector<MachineTestFile> files(paths.size());
    for (int i = 0; i < paths.size(); ++i) {
        QFile file(paths.at(i));
        if (!file.open(QIODevice::ReadOnly)) {
            outcome->problem = QStringLiteral("%1: cannot be read: %2").arg(paths.at(i), file.errorString());
            return;
        }
        if (!files[i].parse(QFileInfo(paths.at(i)).fileName(), QString::fromUtf8(file.readAll()), &outcome->problem))
            return;
    }
    MachineTestSuite suite(outcome->machines->machines());
    if (!suite.plan(files, &outcome->problem) || !suite.build(&outcome->problem))
        return;
    suite.run();
    outcome->notes = suite.notes();
    outcome->cases = suite.outcomes();
    outcome->coverage = suite.coverage();
}

} // namespace

MachineTestJob::MachineTestJob(QObject* parent)
    : QObject(parent)
    , job(new BackgroundJob(this))
{
}

void MachineTestJob::start(const ProjectCanvases& project, const QStringList& files, Done done)
{
    job->cancel();
    auto next = std::make_shared<Outcome>();
    next->machines = std::make_shared<MachineSet>();
    ProjectSnapshot::takeMachines(project, next->machines.get());
    // The thread works on what was taken alone; the window reads it once
    // the thread has ended.
    job->start([next, files] { runTests(files, next.get()); }, [next, done] { done(*next); });
}

void MachineTestJob::finish()
{
    job->finish();
}

void MachineTestJob::cancel()
{
    job->cancel();
}
