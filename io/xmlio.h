#ifndef XMLIO_H
#define XMLIO_H

#include <QPoint>
#include <QString>
#include <QStringView>
#include <QVector>

#include "itemrecords.h"
#include "projectfilereader.h"

class QIODevice;

// Reads project files. The records read from a file (by ProjectFileReader)
// are kept in one vector per item kind, in document order, until
// ProjectPlacement decides where they go. It also names the project's file,
// which ProjectFileWriter writes.
class XmlIO
{
public:
    XmlIO();
    ~XmlIO();
    XmlIO(const XmlIO&) = delete;
    XmlIO& operator=(const XmlIO&) = delete;

    QString getFilePath() const { return filePath; }
    void setFilePath(const QString& path) { filePath = path; }

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
    // What the records the check reads keep of states and transitions, for a
    // caller that needs no more.
    void setFieldsNeeded(ProjectFileReader::Fields needed) { fields = needed; }
    bool readProjectFileNames(QString* names);
    bool readProjectFile();
    // The same passes over an open device, e.g. a buffer.
    bool checkProjectFileCorrupt(QIODevice* device);
    bool readProjectFileNames(QIODevice* device, QString* names);
    bool readProjectFile(QIODevice* device);

    // The reader only appends; a new project starts from empty vectors.
    void clearRecords();
    // The records read, sharing their data with these vectors.
    ProjectFileReader::Records records() const;

    QVector<t_processItemReadFromXML> processItemRecords;
    QVector<t_stateItemReadFromXML> stateItemRecords;
    QVector<t_transitionItemReadFromXML> transitionItemRecords;
    QVector<t_textItemReadFromXML> textItemRecords;
    QVector<t_linkItemReadFromXML> linkItemRecords;
    QVector<t_memoryItemReadFromXML> memoryItemRecords;
    QVector<t_dataflowItemReadFromXML> dataflowItemRecords;

private:
    // Read with Fields::Placement instead of the state and transition records.
    PlacementKeys keys;

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

    QString filePath;
    ProjectFileReader::Fields fields = ProjectFileReader::Fields::All;
    // What the last successful check read, until readProjectFile() takes it.
    Records checkedRecords;
    FileStamp checkedFile;
};

#endif // XMLIO_H
