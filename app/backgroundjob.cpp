#include "backgroundjob.h"

#include <QThread>

#include <utility>

BackgroundJob::BackgroundJob(QObject* parent)
    : QObject(parent)
{
}

BackgroundJob::~BackgroundJob()
{
    handOver = nullptr;
    finish();
    for (QThread* running : qAsConst(retired)) {
        running->wait();
        delete running;
    }
}

void BackgroundJob::start(std::function<void()> work, std::function<void()> whenDone)
{
    cancel();
    handOver = std::move(whenDone);
    thread.reset(QThread::create(std::move(work)));
    // Only the current thread's end hands an outcome over.
    QThread* started = thread.get();
    connect(started, &QThread::finished, this, [this, started] {
        if (thread.get() == started)
            finish();
    }, Qt::QueuedConnection);
    thread->start();
}

void BackgroundJob::finish()
{
    if (!thread)
        return;
    thread->wait();
    thread.reset();
    const std::function<void()> done = std::exchange(handOver, nullptr);
    if (done)
        done();
}

void BackgroundJob::cancel()
{
    handOver = nullptr;
    if (!thread)
        return;
    QThread* running = thread.release();
    retired.append(running);
    connect(running, &QThread::finished, this, [this, running] {
        retired.removeOne(running);
        running->deleteLater();
    });
}
