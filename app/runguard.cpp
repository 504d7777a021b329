#include "runguard.h"

#include <QCryptographicHash>

QString RunGuard::generateKeyHash(const QString& key, const QString& salt)
{
    QByteArray data = key.toUtf8();
    data.append(salt.toUtf8());
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex());
}

QString RunGuard::userKey(const QString& key, uint uid)
{
    return key + QStringLiteral("_uid") + QString::number(uid);
}

RunGuard::RunGuard(const QString& guardKey)
    : key(guardKey)
    , m_lockName(generateKeyHash(guardKey, QStringLiteral("_semTagName")))
    , m_segmentName(generateKeyHash(guardKey, QStringLiteral("_segmentLabel")))
    , sharedMem(m_segmentName)
    , memLock(m_lockName, 1, QSystemSemaphore::Open)
{
    // Attaching and detaching once clears a segment left behind by an
    // instance that crashed while it held it.
    memLock.acquire();
    {
        QSharedMemory fix(m_segmentName);
        fix.attach();
    }
    memLock.release();
}

RunGuard::~RunGuard()
{
    release();
}

bool RunGuard::isAnotherRunning()
{
    if (sharedMem.isAttached())
        return false;

    memLock.acquire();
    const bool attached = sharedMem.attach();
    if (attached)
        sharedMem.detach();
    memLock.release();
    return attached;
}

bool RunGuard::tryToRun()
{
    if (isAnotherRunning())
        return false;

    memLock.acquire();
    const bool created = sharedMem.create(8);
    memLock.release();
    if (!created) {
        release();
        return false;
    }
    return true;
}

void RunGuard::release()
{
    memLock.acquire();
    if (sharedMem.isAttached())
        sharedMem.detach();
    memLock.release();
}
