#ifndef PROJECTFILEOPENER_H
#define PROJECTFILEOPENER_H

#include <QString>

class QFile;

// Opens a project file for reading, but only one that can be read in bounded
// time and memory: a regular file (a named pipe would block the reader until
// something writes to it, a device might never end) of at most largestSize
// bytes. The open itself never blocks, and the checks are made on the opened
// descriptor, so nothing can be put in the file's place in between.
class ProjectFileOpener
{
public:
    enum Result { Opened, Missing, NotRegular, TooLarge, Unreadable };
    static constexpr qint64 largestSize = qint64(2) << 30;

    // Opens path read-only into file, which must not be open; Opened, or why
    // not. For Unreadable, systemReason (when given) gets the system's words.
    static Result open(const QString& path, QFile* file, QString* systemReason = nullptr);
    // What open() would answer, from the file's status alone (Opened for a
    // file that only lacks permission: open() finds that).
    static Result check(const QString& path);
    // Why a file is refused, to end a sentence: "it is not a regular file".
    // Empty for Opened and Unreadable, whose reasons lie elsewhere.
    static QString reason(Result result);
};

#endif // PROJECTFILEOPENER_H
