#include "projectfileopener.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

ProjectFileOpener::Result judge(const struct stat& status)
{
    if (!S_ISREG(status.st_mode))
        return ProjectFileOpener::NotRegular;
    if (qint64(status.st_size) > ProjectFileOpener::largestSize)
        return ProjectFileOpener::TooLarge;
    return ProjectFileOpener::Opened;
}

} // namespace

ProjectFileOpener::Result ProjectFileOpener::open(const QString& path, QFile* file, QString* systemReason)
{
    if (path.isEmpty())
        return Missing;
    const auto unreadable = [systemReason](int error) {
        if (systemReason)
            *systemReason = qt_error_string(error);
        return Unreadable;
    };
    // Without O_NONBLOCK, opening a pipe would wait for a writer.
    const int handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return errno == ENOENT ? Missing : unreadable(errno);
    struct stat status;
    Result result = ::fstat(handle, &status) == 0 ? judge(status) : unreadable(errno);
    const int flags = result == Opened ? ::fcntl(handle, F_GETFL) : -1;
    if (result == Opened && (flags < 0 || ::fcntl(handle, F_SETFL, flags & ~O_NONBLOCK) < 0))
        result = unreadable(errno);
    if (result == Opened && !file->open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        result = unreadable(EBADF);
    if (result != Opened)
        ::close(handle);
    return result;
}

ProjectFileOpener::Result ProjectFileOpener::check(const QString& path)
{
    struct stat status;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return path.isEmpty() || errno == ENOENT ? Missing : Unreadable;
    return judge(status);
}

QString ProjectFileOpener::reason(Result result)
{
    switch (result) {
    case Missing:
        return QCoreApplication::translate("ProjectFileOpener", "it does not exist");
    case NotRegular:
        return QCoreApplication::translate("ProjectFileOpener", "it is not a regular file");
    case TooLarge:
        return QCoreApplication::translate("ProjectFileOpener", "it is larger than 2 GiB");
    case Opened:
    case Unreadable:
        break;
    }
    return QString();
}
