#include "unprivileged.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

uid_t nobodyUser()
{
    const passwd* entry = getpwnam("nobody");
    return entry ? entry->pw_uid : 65534;
}

gid_t nobodyGroup()
{
    const group* entry = getgrnam("nogroup");
    return entry ? entry->gr_gid : 65534;
}

} // namespace

bool Unprivileged::isSuperuser()
{
    return geteuid() == 0;
}

QStringList Unprivileged::prefix()
{
    if (!isSuperuser())
        return {};
    return {QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
            QStringLiteral("--clear-groups")};
}

bool Unprivileged::handOver(const QString& path)
{
    if (!isSuperuser())
        return true;
    return ::lchown(QFile::encodeName(path).constData(), nobodyUser(), nobodyGroup()) == 0;
}

QString Unprivileged::ownFolder()
{
    QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/korvel-user-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return QString();
    const QString folder = QFile::decodeName(pattern);
    handOver(folder);
    return folder;
}

QString Unprivileged::blockedOnTheWay(const QString& path)
{
    QString folder = QFileInfo(path).absolutePath();
    for (;;) {
        struct stat info;
        if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || !(info.st_mode & S_IXOTH))
            return folder;
        const QString up = QFileInfo(folder).absolutePath();
        if (up == folder)
            return QString();
        folder = up;
    }
}

bool Unprivileged::rerunCurrentTest(QString* log)
{
    const QString blocked = blockedOnTheWay(QCoreApplication::applicationFilePath());
    if (!blocked.isEmpty()) {
        *log = QStringLiteral("other users cannot reach the test program: %1 is closed to them").arg(blocked);
        return false;
    }
    const QString home = ownFolder();
    const QString runtime = home + QStringLiteral("/runtime");
    QDir().mkdir(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    handOver(runtime);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    QString row = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        row += QLatin1Char(':') + QString::fromLatin1(QTest::currentDataTag());

    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.setWorkingDirectory(home);
    QStringList arguments = prefix();
    arguments << QCoreApplication::applicationFilePath() << row;
    child.start(arguments.takeFirst(), arguments);
    const bool passed = child.waitForFinished(120000) && child.exitStatus() == QProcess::NormalExit
        && child.exitCode() == 0;
    *log = QString::fromLocal8Bit(child.readAll());
    if (!passed && log->isEmpty())
        *log = child.errorString();
    QDir(home).removeRecursively();
    return passed;
}

QStringList Unprivileged::secondUserCommand(const QString& program, const QStringList& arguments)
{
    if (isSuperuser())
        return prefix() + QStringList(program) + arguments;
    return QStringList {QStringLiteral("unshare"), QStringLiteral("--user"), QStringLiteral("--map-root-user"),
                        program}
        + arguments;
}

uint Unprivileged::secondUserId()
{
    return isSuperuser() ? uint(nobodyUser()) : 0u;
}

bool Unprivileged::makeShared(const QString& folder)
{
    return ::chmod(QFile::encodeName(folder).constData(), 01777) == 0;
}
