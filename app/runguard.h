#ifndef RUNGUARD_H
#define RUNGUARD_H

#include <QSharedMemory>
#include <QString>
#include <QSystemSemaphore>

// Lets one instance of the program run at a time. The running instance holds
// a small shared-memory segment; a named semaphore serialises every attach,
// create and detach of that segment across processes.
class RunGuard
{
public:
    explicit RunGuard(const QString& key);
    ~RunGuard();

    bool isAnotherRunning();
    bool tryToRun();
    void release();

    QString lockName() const { return m_lockName; }
    QString segmentName() const { return m_segmentName; }

    static QString generateKeyHash(const QString& key, const QString& salt);

private:
    const QString key;
    const QString m_lockName;
    const QString m_segmentName;
    QSharedMemory sharedMem;
    QSystemSemaphore memLock;

    Q_DISABLE_COPY(RunGuard)
};

#endif // RUNGUARD_H
