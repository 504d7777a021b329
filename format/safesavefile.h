#ifndef SAFESAVEFILE_H
#define SAFESAVEFILE_H

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <memory>

// Writes a file so that a failure never costs the previous version.
//
// Normally the new text goes to a temporary file beside the target, which
// replaces it only when complete and synced. A folder that cannot take a
// temporary file (one the user cannot write, holding a file the user can)
// gets the file written in place instead, but only after a complete, synced
// backup of the old file lies in the application's data folder: any failure
// puts the old bytes back from it, and a process killed half way has them put
// back by the next start of Korvel (restoreInterrupted()). When not even the
// backup can be made, open() refuses and the file is left untouched.
class SafeSaveFile
{
public:
    explicit SafeSaveFile(const QString& path);
    ~SafeSaveFile();
    SafeSaveFile(const SafeSaveFile&) = delete;
    SafeSaveFile& operator=(const SafeSaveFile&) = delete;

    // False when nothing can be written; errorString() says why and the
    // file is as it was.
    bool open();
    QFileDevice* device();
    // Puts the written text in place. False when anything failed since
    // open(); errorString() says what happened, previousIntact() whether the
    // file still holds its previous bytes.
    bool commit();
    // Drops what was written; the file keeps its previous bytes.
    void cancel();

    QString errorString() const { return error; }
    bool previousIntact() const { return intact; }

    static QString backupFolder();
    static bool sameContent(const QString& first, const QString& second);
    // Why a file could not be written at the path: a missing folder, missing
    // permission, a folder in the way or, failing those, a full disk.
    static QString describeWriteFailure(const QString& path);
    // Puts back the files whose in-place write was cut off (the process was
    // killed or the machine stopped) and returns one message for each file
    // it restored or could not restore. Backups another process is still
    // writing with are left alone.
    static QStringList restoreInterrupted();

private:
    bool openInPlace(const QString& target);
    bool makeBackup(const QString& target);
    bool putBackupBack(const QString& why);
    void dropBackup();
    static bool syncFolderOf(const QString& path);
    // Puts back the one file whose journal this is; false, with a message,
    // when it could not (or another process still writes with it).
    static bool restoreOne(const QString& journal, QString* message);

    QString path;
    QString target;
    QString error;
    bool intact = true;
    std::unique_ptr<QSaveFile> aside;
    std::unique_ptr<QFile> inPlace;
    QString backupPath;
    int backupLock = -1;
};

#endif // SAFESAVEFILE_H
