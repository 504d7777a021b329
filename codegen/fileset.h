#ifndef FILESET_H
#define FILESET_H

#include <QString>
#include <QVector>

#include <functional>

// Files that belong together, such as a machine's header and source: each
// is written aside, next to where it goes, and all are renamed into place
// once every one is complete. Whatever ends the work early, a failed write
// or an exception while a text is being made, the files written aside go
// and the previous files stay as they were.
class FileSet
{
public:
    using Put = std::function<void(const QString&)>;
    // Gives a file's text to put, piece by piece.
    using TextSource = std::function<void(const Put& put)>;

    FileSet() = default;
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;
    ~FileSet();

    // Writes the text aside for target, a path that is no folder and no
    // link; false when it cannot, with the reason in errorString().
    bool write(const QString& target, const TextSource& text);
    // Puts every file written into place, in the order written. Gives -1,
    // or the index of the file that could not be put in place, with the
    // files before it in place and the rest removed.
    int commit();
    QString errorString() const { return error; }

private:
    QVector<QString> targets;
    QVector<QString> aside;
    QString error;
};

#endif // FILESET_H
