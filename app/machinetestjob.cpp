#include "machinetestjob.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <utility>
#include <vector>

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
{
}

MachineTestJob::~MachineTestJob()
{
    done = Done();
    waitForAll();
}

void MachineTestJob::start(const ProjectCanvases& project, const QStringList& files, Done whenDone)
{
    cancel();
    auto next = std::make_shared<Outcome>();
    next->machines = std::make_shared<MachineSet>();
    ProjectSnapshot::takeMachines(project, next->machines.get());
    outcome = next;
    done = std::move(whenDone);
    // The thread works on what was taken alone; the window reads it once
    // the thread has ended.
    thread.reset(QThread::create([next, files] { runTests(files, next.get()); }));
    // Only the current thread's end hands an outcome over.
    QThread* started = thread.get();
    connect(started, &QThread::finished, this, [this, started] {
        if (thread.get() == started)
            finish();
    }, Qt::QueuedConnection);
    thread->start();
}

void MachineTestJob::finish()
{
    if (!thread)
        return;
    thread->wait();
    thread.reset();
    const std::shared_ptr<Outcome> ended = std::exchange(outcome, nullptr);
    const Done handOver = std::exchange(done, Done());
    if (handOver && ended)
        handOver(*ended);
}

void MachineTestJob::cancel()
{
    done = Done();
    if (!thread)
        return;
    // The thread works on data of its own: it may end in its own time,
    // without holding the window up; it is released when it has.
    QThread* running = thread.release();
    retired.append(running);
    connect(running, &QThread::finished, this, [this, running] {
        retired.removeOne(running);
        running->deleteLater();
    });
    outcome.reset();
}

void MachineTestJob::waitForAll()
{
    finish();
    for (QThread* running : qAsConst(retired)) {
        running->wait();
        delete running;
    }
    retired.clear();
}
