#include "xmlio.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <utility>

#include "projectfileopener.h"
#include "projectfilereader.h"

XmlIO::XmlIO() = default;

XmlIO::~XmlIO() = default;

// ---- Value encodings --------------------------------------------------------

QVector<QPoint> XmlIO::parsePointList(QStringView text)
{
    return ProjectFileReader::parsePointList(text);
}

// ---- Reading: the document passes -------------------------------------------

bool XmlIO::FileStamp::operator==(const FileStamp& other) const
{
    return size >= 0 && path == other.path && size == other.size && modified == other.modified;
}

XmlIO::FileStamp XmlIO::stampOf(const QString& path)
{
    const QFileInfo info(path);
    FileStamp stamp;
    stamp.path = info.absoluteFilePath();
    if (info.isFile()) {
        stamp.size = info.size();
        stamp.modified = info.lastModified().toMSecsSinceEpoch();
    }
    return stamp;
}

void XmlIO::swapRecords(Records& other)
{
    processItemRecords.swap(other.processes);
    stateItemRecords.swap(other.states);
    transitionItemRecords.swap(other.transitions);
    textItemRecords.swap(other.texts);
    linkItemRecords.swap(other.links);
    memoryItemRecords.swap(other.memories);
    dataflowItemRecords.swap(other.dataflows);
    std::swap(keys, other.keys);
}

bool XmlIO::checkProjectFileCorrupt()
{
    // Opening a file checks it and then reads it: one pass does both, the
    // records waiting here for the read.
    checkedRecords = Records();
    checkedFile = FileStamp();
    const FileStamp before = stampOf(filePath);
    QFile file;
    if (ProjectFileOpener::open(filePath, &file) != ProjectFileOpener::Opened)
        return false;
    Records own;
    const bool sound = ProjectFileReader::run(&file, ProjectFileReader::Pass::CheckAndRead, &own, nullptr, fields);
    if (sound && stampOf(filePath) == before) {
        checkedRecords = std::move(own);
        checkedFile = before;
    }
    return sound;
}

bool XmlIO::readProjectFileNames(QString* names)
{
    QFile file;
    if (ProjectFileOpener::open(filePath, &file) != ProjectFileOpener::Opened)
        return false;
    return readProjectFileNames(&file, names);
}

bool XmlIO::readProjectFile()
{
    if (checkedFile == stampOf(filePath)) {
        Records checked = std::move(checkedRecords);
        checkedRecords = Records();
        checkedFile = FileStamp();
        processItemRecords += checked.processes;
        stateItemRecords += checked.states;
        transitionItemRecords += checked.transitions;
        textItemRecords += checked.texts;
        linkItemRecords += checked.links;
        memoryItemRecords += checked.memories;
        dataflowItemRecords += checked.dataflows;
        keys.append(checked.keys);
        return true;
    }
    QFile file;
    if (ProjectFileOpener::open(filePath, &file) != ProjectFileOpener::Opened)
        return false;
    return readProjectFile(&file);
}

bool XmlIO::checkProjectFileCorrupt(QIODevice* device)
{
    return ProjectFileReader::run(device, ProjectFileReader::Pass::Check, nullptr);
}

bool XmlIO::readProjectFile(QIODevice* device)
{
    // The records are appended to those already here, also when the file
    // turns out broken halfway.
    Records own;
    swapRecords(own);
    const bool ok = ProjectFileReader::run(device, ProjectFileReader::Pass::Read, &own);
    swapRecords(own);
    return ok;
}

bool XmlIO::readProjectFileNames(QIODevice* device, QString* names)
{
    return ProjectFileReader::readNames(device, names);
}

ProjectFileReader::Records XmlIO::records() const
{
    return {processItemRecords, stateItemRecords,  transitionItemRecords, textItemRecords,
            linkItemRecords,    memoryItemRecords, dataflowItemRecords,   keys};
}

void XmlIO::clearRecords()
{
    processItemRecords.clear();
    stateItemRecords.clear();
    transitionItemRecords.clear();
    textItemRecords.clear();
    linkItemRecords.clear();
    memoryItemRecords.clear();
    dataflowItemRecords.clear();
    keys.clear();
}
