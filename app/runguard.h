#ifndef RUNGUARD_H
#define RUNGUARD_H

#include <QSharedMemory>
#include <QString>
#include <QSystemSemaphore>

// Lets one instance of the program run at a time for a key. The running
// instance holds a small shared-memory segment; a named semaphore serialises
// every attach, create and detach of that segment across processes.
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
    // The key of one user's guard. Segments and semaphores are the user's
    // own and live beside other users' in a shared temporary folder, so one
    // user's Korvel must not keep another's from starting.
    static QString userKey(const QString& key, uint uid);

private:
    const QString key;
    const QString m_lockName;
    const QString m_segmentName;
    QSharedMemory sharedMem;
    QSystemSemaphore memLock;

    Q_DISABLE_COPY(RunGuard)
};

#endif // RUNGUARD_H
