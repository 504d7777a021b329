#include "otheruser.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

QStringList OtherUser::command(const QString& program, const QStringList& arguments)
{
    if (::geteuid() == 0) {
        return QStringList {QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                            QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups"), program}
            + arguments;
    }
    return QStringList {QStringLiteral("unshare"), QStringLiteral("--user"), QStringLiteral("--map-root-user"), program}
        + arguments;
}

uint OtherUser::uid()
{
    return ::geteuid() == 0 ? 65534u : 0u;
}

bool OtherUser::makeShared(const QString& folder)
{
    return ::chmod(QFile::encodeName(folder).constData(), 01777) == 0;
}
