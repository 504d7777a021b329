#ifndef BACKGROUNDJOB_H
#define BACKGROUNDJOB_H

#include <QObject>
#include <QVector>

#include <functional>
#include <memory>

class QThread;

// Work on a thread of its own whose outcome the window takes in on its own
// thread, for checks and runs that may be replaced before they end. The
// work must touch only data it owns. A new job drops the outcome of the one
// running, which ends in its own time without holding the window up.
class BackgroundJob : public QObject
{
    Q_OBJECT

public:
    explicit BackgroundJob(QObject* parent = nullptr);
    // Waits for every thread, the dropped ones too.
    ~BackgroundJob() override;

    // handOver runs on this object's thread once work has ended, or when
    // finish() waited for it.
    void start(std::function<void()> work, std::function<void()> handOver);
    bool isRunning() const { return thread != nullptr; }
    // Waits for the running job, if any, and hands its outcome over.
    void finish();
    // Drops the running job's outcome without waiting for it.
    void cancel();

private:
    std::unique_ptr<QThread> thread;
    // Threads whose outcome was dropped, released once they end.
    QVector<QThread*> retired;
    std::function<void()> handOver;
};

#endif // BACKGROUNDJOB_H
