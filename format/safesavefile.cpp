#include "safesavefile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String backupSuffix(".bak");
const QLatin1String journalSuffix(".json");

QString tr(const char* text)
{
    return QCoreApplication::translate("SafeSaveFile", text);
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QString journalFor(const QString& backup)
{
    return backup.left(backup.size() - backupSuffix.size()) + journalSuffix;
}

bool fullWrite(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size_t(size));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        size -= done;
    }
    return true;
}

// Writes the backup's bytes over the target from its start and cuts it to
// their length. Without truncating first, so that a full disk cannot take
// the blocks the old text occupied.
bool copyBack(const QString& backup, const QString& target, QString* why)
{
    const int from = ::open(QFile::encodeName(backup).constData(), O_RDONLY | O_CLOEXEC);
    const int to = ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CLOEXEC);
    bool sound = from >= 0 && to >= 0;
    int failure = errno;
    qint64 total = 0;
    char buffer[1 << 16];
    while (sound) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            sound = got == 0;
            break;
        }
        sound = fullWrite(to, buffer, got);
        total += got;
    }
    sound = sound && ::ftruncate(to, total) == 0 && ::fsync(to) == 0;
    if (!sound)
        failure = errno;
    if (from >= 0)
        ::close(from);
    if (to >= 0)
        ::close(to);
    if (!sound && why)
        *why = systemError(failure);
    return sound;
}

// Flushes, syncs and renames into place; a failure drops the temporary file.
bool commitAside(QSaveFile* file)
{
    // QSaveFile::commit() does not notice a failure of its own final flush
    // (a full disk); it would then put a truncated file in place.
    bool sound = file->error() == QFileDevice::NoError && file->flush();
    if (sound && file->handle() >= 0)
        sound = ::fsync(file->handle()) == 0;
    if (!sound) {
        file->cancelWriting();
        file->commit(); // removes the temporary file
        return false;
    }
    return file->commit();
}

} // namespace

SafeSaveFile::SafeSaveFile(const QString& path)
    : path(path)
{
}

SafeSaveFile::~SafeSaveFile()
{
    cancel();
}

QString SafeSaveFile::backupFolder()
{
    // Beside the recovery copies, and the same for the window and the
    // command-line tool, so that either puts back what the other left.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Pelmora/Korvel/backups");
}

bool SafeSaveFile::open()
{
    cancel();
    error.clear();
    intact = true;
    if (path.isEmpty()) {
        error = tr("No file name was given.");
        return false;
    }
    target = QFileInfo(path).absoluteFilePath();
    const QByteArray encoded = QFile::encodeName(path);
    struct stat link;
    if (::lstat(encoded.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(encoded.constData(), resolved)) {
            target = QFile::decodeName(resolved);
        } else if (errno == ELOOP) {
            // A loop would otherwise be replaced by a plain file.
            error = tr("The file %1 cannot be written: %2.").arg(native(path), systemError(ELOOP));
            return false;
        }
    }
    const QFileInfo info(target);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (info.isFile() && ::access(folder.constData(), W_OK) != 0 && errno == EACCES
        && ::access(QFile::encodeName(target).constData(), W_OK) == 0)
        return openInPlace(target);

    aside = std::make_unique<QSaveFile>(target);
    if (!aside->open(QIODevice::WriteOnly)) {
        aside.reset();
        error = describeWriteFailure(target);
        return false;
    }
    return true;
}

bool SafeSaveFile::openInPlace(const QString& file)
{
    if (!makeBackup(file))
        return false;
    auto opened = std::make_unique<QFile>(file);
    // Read-write keeps the old bytes until they are written over; unbuffered,
    // so that nothing is left to flush once a failure has been seen.
    if (!opened->open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        error = tr("The file %1 could not be opened: %2.").arg(native(file), opened->errorString());
        dropBackup();
        return false;
    }
    inPlace = std::move(opened);
    return true;
}

bool SafeSaveFile::makeBackup(const QString& file)
{
    const QString folder = backupFolder();
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(file.toUtf8(), QCryptographicHash::Sha1).toHex());
    const QString backup = folder + QLatin1Char('/') + hash + backupSuffix;
    const QString refusal =
        tr("Korvel cannot create files in the folder %1, and could not keep a backup of the file in %2 "
           "(%3), so the file was not touched. Use Save As to save it in a folder you can write.")
            .arg(native(QFileInfo(file).absolutePath()), native(folder));
    // A backup left by a save that was cut off holds the last good version:
    // it goes back first, and is never overwritten by the damaged file.
    QString earlier;
    if (QFileInfo::exists(journalFor(backup)) && !restoreOne(journalFor(backup), &earlier)) {
        error = refusal.arg(earlier.isEmpty() ? tr("another save of this file has not finished") : earlier);
        return false;
    }
    QFile source(file);
    QSaveFile copy(backup);
    bool sound = QDir().mkpath(folder) && source.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly);
    while (sound && !source.atEnd()) {
        const QByteArray piece = source.read(1 << 16);
        sound = source.error() == QFileDevice::NoError && copy.write(piece) == piece.size();
    }
    if (!sound || !commitAside(&copy)) {
        const QString why = source.error() != QFileDevice::NoError ? source.errorString()
            : copy.error() != QFileDevice::NoError                 ? copy.errorString()
                                                                   : describeWriteFailure(backup);
        error = refusal.arg(why);
        return false;
    }
    backupPath = backup;
    // Held until the backup goes: another start must not put it back while
    // this one writes.
    backupLock = ::open(QFile::encodeName(backup).constData(), O_RDONLY | O_CLOEXEC);
    if (backupLock >= 0)
        ::flock(backupLock, LOCK_EX | LOCK_NB);

    QJsonObject journal;
    journal.insert(QStringLiteral("target"), file);
    journal.insert(QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    QSaveFile note(journalFor(backup));
    if (!note.open(QIODevice::WriteOnly) || note.write(QJsonDocument(journal).toJson()) < 0 || !commitAside(&note)) {
        error = refusal.arg(describeWriteFailure(note.fileName()));
        dropBackup();
        return false;
    }
    syncFolderOf(backup);
    return true;
}

QFileDevice* SafeSaveFile::device()
{
    if (aside)
        return aside.get();
    return inPlace.get();
}

bool SafeSaveFile::commit()
{
    if (aside) {
        const bool committed = commitAside(aside.get());
        aside.reset();
        if (!committed) {
            error = describeWriteFailure(target);
            return false;
        }
        // The rename lives in the folder: sync it too, or a power cut right
        // after the save can bring back the old file. The new file is in
        // place either way, so a folder that refuses the sync does not fail
        // the save.
        syncFolderOf(target);
        return true;
    }
    if (!inPlace)
        return false;
    const int handle = inPlace->handle();
    QString why;
    if (inPlace->error() != QFileDevice::NoError)
        why = inPlace->errorString();
    else if (::ftruncate(handle, inPlace->pos()) != 0 || ::fsync(handle) != 0)
        why = systemError(errno);
    if (!why.isEmpty())
        return putBackupBack(why);
    inPlace.reset();
    dropBackup();
    return true;
}

bool SafeSaveFile::putBackupBack(const QString& why)
{
    inPlace.reset();
    QString restoreFailure;
    if (copyBack(backupPath, target, &restoreFailure)) {
        error = tr("The file could not be written completely (%1); its previous version was put back.").arg(why);
        dropBackup();
        intact = true;
        return false;
    }
    error = tr("The file could not be written completely (%1), and its previous version could not be put "
               "back (%2). That version is kept in %3.")
                .arg(why, restoreFailure, native(backupPath));
    // The journal stays, so that the next start tries again.
    if (backupLock >= 0)
        ::close(backupLock);
    backupLock = -1;
    backupPath.clear();
    intact = false;
    return false;
}

void SafeSaveFile::cancel()
{
    if (aside) {
        aside->cancelWriting();
        aside.reset();
    }
    if (inPlace) {
        putBackupBack(tr("the save was cancelled"));
        error.clear();
    }
}

void SafeSaveFile::dropBackup()
{
    if (backupPath.isEmpty())
        return;
    QFile::remove(journalFor(backupPath));
    QFile::remove(backupPath);
    if (backupLock >= 0)
        ::close(backupLock);
    backupLock = -1;
    backupPath.clear();
}

bool SafeSaveFile::syncFolderOf(const QString& file)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
    const int handle = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        return false;
    const bool synced = ::fsync(handle) == 0;
    ::close(handle);
    return synced;
}

QStringList SafeSaveFile::restoreInterrupted()
{
    QStringList messages;
    const QDir folder(backupFolder());
    for (const QString& name : folder.entryList({QStringLiteral("*") + journalSuffix}, QDir::Files)) {
        QString message;
        restoreOne(folder.filePath(name), &message);
        if (!message.isEmpty())
            messages << message;
    }
    return messages;
}

bool SafeSaveFile::restoreOne(const QString& journal, QString* message)
{
    const QString backup = journal.left(journal.size() - journalSuffix.size()) + backupSuffix;
    const int lock = ::open(QFile::encodeName(backup).constData(), O_RDONLY | O_CLOEXEC);
    if (lock < 0) {
        // Nothing was written in place without a backup.
        QFile::remove(journal);
        return true;
    }
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock); // still being written with
        return false;
    }
    QFile file(journal);
    const QString target = file.open(QIODevice::ReadOnly)
        ? QJsonDocument::fromJson(file.read(64 * 1024)).object().value(QStringLiteral("target")).toString()
        : QString();
    QString why;
    bool restored = false;
    if (target.isEmpty() || !QFileInfo(target).isFile())
        why = tr("the file is gone");
    else if (!sameContent(backup, target))
        restored = copyBack(backup, target, &why);
    if (why.isEmpty()) {
        QFile::remove(journal);
        QFile::remove(backup);
        if (restored)
            *message = tr("A save of %1 was cut off; the file was put back as it was before that save.")
                           .arg(native(target));
    } else {
        *message = tr("A save of %1 was cut off, and its previous version could not be put back (%2). "
                      "That version is kept in %3.")
                       .arg(native(target.isEmpty() ? journal : target), why, native(backup));
    }
    ::close(lock);
    return why.isEmpty();
}

bool SafeSaveFile::sameContent(const QString& first, const QString& second)
{
    QFile a(first);
    QFile b(second);
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly) || a.size() != b.size())
        return false;
    while (!a.atEnd()) {
        if (a.read(1 << 16) != b.read(1 << 16))
            return false;
    }
    return true;
}

QString SafeSaveFile::describeWriteFailure(const QString& path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    const QString folderName = native(folder.absoluteFilePath());
    if (path.isEmpty())
        return tr("No file name was given.");
    if (!folder.exists())
        return tr("The folder %1 does not exist.").arg(folderName);
    if (!folder.isDir())
        return tr("%1 is not a folder.").arg(folderName);
    if (file.isDir())
        return tr("A folder of that name is in the way.");
    if (file.exists() && !file.isWritable())
        return tr("You do not have permission to write the file; it is read-only.");
    if (!file.exists() && !folder.isWritable())
        return tr("You do not have permission to create files in the folder %1.").arg(folderName);
    return tr("The file could not be written completely; the disk may be full.");
}
