#ifndef XMLIO_H
#define XMLIO_H

#include <QPoint>
#include <QPolygonF>
#include <QString>
#include <QStringView>
#include <QVector>

#include <memory>

#include "itemrecords.h"
#include "projectfilereader.h"

class QIODevice;
class QSaveFile;
class XmlTextWriter;
class ProcessItem;
class LinkItem;
class MemoryItem;
class DataflowItem;
class StateItem;
class TransitionItem;
class TextItem;

// Reads and writes project files. The records read from a file (by
// ProjectFileReader) are kept in one vector per item kind, in document order,
// until the main window places them on their canvases.
//
// The writer goes through a temporary file that replaces the project file
// only when closeFile() succeeds, so a failed save never harms the old file.
class XmlIO
{
public:
    XmlIO();
    ~XmlIO();
    XmlIO(const XmlIO&) = delete;
    XmlIO& operator=(const XmlIO&) = delete;

    QString getFilePath() const { return filePath; }
    void setFilePath(const QString& path) { filePath = path; }

    // ---- Writing ----------------------------------------------------------
    // Starts a new document for the file path; false if it cannot be written.
    bool eraseFile();
    void writeStartElement(const QString& name);
    void writeTextElement(const QString& name, const QString& text);
    void writeAttribute(const QString& name, const QString& value);
    void writeStartElement(QLatin1String name);
    void writeTextElement(QLatin1String name, const QString& text);
    void writeAttribute(QLatin1String name, const QString& value);
    void writeEndElement();
    // The root descriptor; the three empty containers after it unless the
    // caller writes the project node's items itself.
    void writeLevel1ProcessItem(const QString& label, bool emptyContainers = true);
    void writeProcessItem(ProcessItem* item);
    void writeLinkItem(LinkItem* item);
    void writeMemoryItem(MemoryItem* item);
    void writeDataflowItem(DataflowItem* item);
    void writeStateItem(StateItem* item);
    void writeTransitionItem(TransitionItem* item);
    void writeTextItem(TextItem* item);
    // Puts the written document in place of the file. False when anything
    // failed since eraseFile(); the previous file is then left as it was.
    bool closeFile();
    // Drops the document being written; the previous file stays as it was.
    void discardFile();
    // Flushes, syncs and puts the file in place; on any failure drops it and
    // leaves the previous file untouched. Shared with the new-project writer.
    static bool commitSaveFile(QSaveFile* file);
    // Why a file could not be written at the path: a missing folder, missing
    // permission, a folder in the way or, failing those, a full disk.
    static QString describeWriteFailure(const QString& path);
    bool isWriting() const { return writer != nullptr; }

    // Value encodings shared with the new-project writer and the tests.
    static QString formatReal(double value);
    // Like formatReal, but never in exponent form, which the integer
    // point reader could not take back.
    static QString formatPointList(const QPolygonF& polygon);
    static QString formatColour(const QColor& colour, const QColor& shownAs = QColor());
    // Removes the characters that XML 1.0 cannot carry at all.
    static QString xmlSafe(const QString& text);
    // Coordinates and sizes read from a file are kept within this range.
    static constexpr double coordinateLimit = ProjectFileReader::coordinateLimit;
    // At most five integer points, each coordinate clamped to the range;
    // never loops, whatever the text.
    static QVector<QPoint> parsePointList(QStringView text);

    // ---- Reading ----------------------------------------------------------
    // True when the file is sound (the name notwithstanding). The file is
    // read in the same pass; a following readProjectFile() of the unchanged
    // file takes those records instead of parsing it again. Only a regular
    // file of bounded size is read (ProjectFileOpener).
    bool checkProjectFileCorrupt();
    bool readProjectFileNames(QString* names);
    bool readProjectFile();
    // The same passes over an open device, e.g. a buffer.
    bool checkProjectFileCorrupt(QIODevice* device);
    bool readProjectFileNames(QIODevice* device, QString* names);
    bool readProjectFile(QIODevice* device);

    // The reader only appends; a new project starts from empty vectors.
    void clearRecords();

    QVector<t_processItemReadFromXML> processItemRecords;
    QVector<t_stateItemReadFromXML> stateItemRecords;
    QVector<t_transitionItemReadFromXML> transitionItemRecords;
    QVector<t_textItemReadFromXML> textItemRecords;
    QVector<t_linkItemReadFromXML> linkItemRecords;
    QVector<t_memoryItemReadFromXML> memoryItemRecords;
    QVector<t_dataflowItemReadFromXML> dataflowItemRecords;

private:
    using Records = ProjectFileReader::Records;
    // The file a check read, as far as can be told without reading it again.
    struct FileStamp
    {
        QString path;
        qint64 size = -1;
        qint64 modified = 0;
        bool operator==(const FileStamp& other) const;
    };
    static FileStamp stampOf(const QString& path);
    void swapRecords(Records& other);
    void flushPending();

    QString filePath;
    std::unique_ptr<QSaveFile> saveFile;
    std::unique_ptr<XmlTextWriter> writer;
    // What the writer produced and the file has not received yet.
    QString pending;
    static constexpr int flushSize = 1 << 16;
    bool writeFailed = false;

    // What the last successful check read, until readProjectFile() takes it.
    Records checkedRecords;
    FileStamp checkedFile;
};

#endif // XMLIO_H
