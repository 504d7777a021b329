#include "xmlio.h"

#include <QColor>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>

#include <fcntl.h>
#include <unistd.h>

#include "dataflowitem.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "projectfilelayout.h"
#include "projectfileopener.h"
#include "projectfilereader.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
#include "xmltextwriter.h"

using namespace ProjectFileLayout;

namespace {

bool isValidXmlChar(uint code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF)
        || (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

QString joinedLabels(const QList<TransitionItem*>& transitions)
{
    QString text;
    for (int i = 0; i < transitions.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        if (transitions.at(i))
            text += transitions.at(i)->getLabel();
    }
    return text;
}

} // namespace

XmlIO::XmlIO() = default;

XmlIO::~XmlIO()
{
    // An unfinished save must not replace the file.
    discardFile();
}

// ---- Value encodings --------------------------------------------------------

QString XmlIO::formatReal(double value)
{
    // Whole numbers below a million come out of 'g' as plain integers; those
    // are nearly all of a file, and far cheaper to write as such.
    if (value == std::trunc(value) && std::abs(value) < 999999.5 && !(value == 0.0 && std::signbit(value)))
        return QString::number(qint64(value));
    return QString::number(value, 'g', 6);
}

QString XmlIO::formatPointList(const QPolygonF& polygon)
{
    const auto format = [](double value) {
        QString text = formatReal(value);
        if (text.contains(QLatin1Char('e')))
            text = QString::number(value, 'f', 0);
        return text;
    };
    QString text;
    text.reserve(polygon.size() * 10);
    for (int i = 0; i < polygon.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(',');
        text += format(polygon.at(i).x());
        text += QLatin1Char(',');
        text += format(polygon.at(i).y());
    }
    return text;
}

QString XmlIO::formatColour(const QColor& colour, const QColor& shownAs)
{
    // An item not painted yet, or read with a colour that did not parse, has
    // none; writing the colour it is drawn in keeps the reloaded item as the
    // window showed it. With nothing to fall back to this is "#000000".
    return (colour.isValid() ? colour : shownAs).name();
}

QString XmlIO::xmlSafe(const QString& text)
{
    const int size = text.size();
    int i = 0;
    // Most text is plain: no controls, no surrogates, nothing near U+FFFE.
    const ushort* units = text.utf16();
    while (i < size && (units[i] >= 0x20 || units[i] == 0x9 || units[i] == 0xA || units[i] == 0xD)
           && units[i] < 0xD800)
        ++i;
    for (; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate() || !isValidXmlChar(c.unicode()))
            break;
    }
    if (i == size)
        return text;

    QString clean;
    clean.reserve(size);
    clean.append(text.constData(), i);
    for (; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            clean.append(c);
            clean.append(text.at(++i));
            continue;
        }
        if (!c.isSurrogate() && isValidXmlChar(c.unicode()))
            clean.append(c);
    }
    return clean;
}

QVector<QPoint> XmlIO::parsePointList(QStringView text)
{
    return ProjectFileReader::parsePointList(text);
}

// ---- Writing ----------------------------------------------------------------

bool XmlIO::eraseFile()
{
    discardFile();
    auto file = std::make_unique<QSaveFile>(filePath);
    // A folder that cannot take a temporary file still lets the file itself
    // be written; the caller checks everything it can before this point.
    file->setDirectWriteFallback(true);
    if (filePath.isEmpty() || !file->open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    saveFile = std::move(file);
    writeFailed = false;
    // The document is built as text and goes to the file in large UTF-8
    // pieces.
    pending.resize(0);
    pending.reserve(flushSize + flushSize / 4);
    pending += QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    writer = std::make_unique<XmlTextWriter>(&pending);
    return true;
}

void XmlIO::flushPending()
{
    if (pending.isEmpty() || !saveFile)
        return;
    const QByteArray bytes = pending.toUtf8();
    if (saveFile->write(bytes) != bytes.size())
        writeFailed = true;
    pending.resize(0);
}

void XmlIO::writeStartElement(const QString& name)
{
    if (writer)
        writer->writeStartElement(name);
}

void XmlIO::writeTextElement(const QString& name, const QString& text)
{
    if (writer)
        writer->writeTextElement(name, xmlSafe(text));
}

void XmlIO::writeAttribute(const QString& name, const QString& value)
{
    if (writer)
        writer->writeAttribute(name, xmlSafe(value));
}

void XmlIO::writeStartElement(QLatin1String name)
{
    if (writer)
        writer->writeStartElement(name);
}

void XmlIO::writeTextElement(QLatin1String name, const QString& text)
{
    if (writer)
        writer->writeTextElement(name, xmlSafe(text));
}

void XmlIO::writeAttribute(QLatin1String name, const QString& value)
{
    if (writer)
        writer->writeAttribute(name, xmlSafe(value));
}

void XmlIO::writeEndElement()
{
    if (!writer)
        return;
    writer->writeEndElement();
    // Only after a whole element, so that no character is cut in two.
    if (pending.size() >= flushSize)
        flushPending();
}

bool XmlIO::closeFile()
{
    if (!writer || !saveFile)
        return false;
    flushPending();
    const bool written = !writeFailed;
    writer.reset();
    pending = QString();
    if (!written)
        saveFile->cancelWriting();
    const bool committed = commitSaveFile(saveFile.get());
    saveFile.reset();
    return committed;
}

bool XmlIO::commitSaveFile(QSaveFile* file)
{
    if (!file || !file->isOpen())
        return false;
    // QSaveFile::commit() does not notice a failure of its own final flush
    // (a full disk); it would then put a truncated file in place. So flush
    // and sync here, where a failure can still be seen.
    bool sound = file->error() == QFileDevice::NoError && file->flush();
    if (sound && file->handle() >= 0)
        sound = ::fsync(file->handle()) == 0;
    if (!sound) {
        file->cancelWriting();
        file->commit(); // removes the temporary file
        return false;
    }
    if (!file->commit())
        return false;
    // The rename lives in the folder: sync it too, or a power cut right after
    // the save can bring back the old file. The new file is in place either
    // way, so a folder that refuses the sync does not fail the save.
    const QByteArray folder = QFile::encodeName(QFileInfo(file->fileName()).absolutePath());
    const int folderHandle = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderHandle >= 0) {
        ::fsync(folderHandle);
        ::close(folderHandle);
    }
    return true;
}

QString XmlIO::describeWriteFailure(const QString& path)
{
    const auto tr = [](const char* text) { return QCoreApplication::translate("XmlIO", text); };
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    const QString folderName = QDir::toNativeSeparators(folder.absoluteFilePath());
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

void XmlIO::discardFile()
{
    writer.reset();
    pending = QString();
    if (saveFile) {
        saveFile->cancelWriting();
        saveFile.reset();
    }
}

void XmlIO::writeLevel1ProcessItem(const QString& label, bool emptyContainers)
{
    writeStartElement(tagProcess);
    writeAttribute(processAttributes[pLevel], QStringLiteral("1"));
    writeAttribute(processAttributes[pNos], QStringLiteral("1"));
    writeAttribute(processAttributes[pId], QStringLiteral("1"));
    writeAttribute(processAttributes[pLabel], label);
    writeAttribute(processAttributes[pParentId], QStringLiteral("1"));
    writeAttribute(processAttributes[pGrandParentId], QStringLiteral("1"));
    writeAttribute(processAttributes[pX], QStringLiteral("300"));
    writeAttribute(processAttributes[pY], QStringLiteral("300"));
    writeAttribute(processAttributes[pWidth], QStringLiteral("300"));
    writeAttribute(processAttributes[pHeight], QStringLiteral("1000"));
    writeAttribute(processAttributes[pShape], QStringLiteral("1"));
    writeAttribute(processAttributes[pCode], QString());
    writeAttribute(processAttributes[pDescription], QString());
    writeAttribute(processAttributes[pColour], QStringLiteral("#ff3244"));
    writeAttribute(processAttributes[pPolygon], QStringLiteral("0,0,300,0,300,1000,0,1000,0,0"));
    writeEndElement();
    if (!emptyContainers)
        return;
    for (const char* container : {"LinkItems", "MemoryItems", "DataflowItems"}) {
        writeStartElement(QLatin1String(container));
        writeAttribute(QStringLiteral("number"), QStringLiteral("0"));
        writeEndElement();
    }
}

void XmlIO::writeProcessItem(ProcessItem* item)
{
    if (!item)
        return;
    const QPointF at = item->scenePos();
    writeStartElement(tagProcess);
    writeAttribute(processAttributes[pLevel], QString::number(item->getLevel()));
    writeAttribute(processAttributes[pNos], QString::number(item->getNos()));
    writeAttribute(processAttributes[pId], QString::number(item->getId()));
    writeAttribute(processAttributes[pLabel], item->getLabel());
    writeAttribute(processAttributes[pParentId], QString::number(item->getParentId()));
    writeAttribute(processAttributes[pGrandParentId], QString::number(item->getGrandParentId()));
    writeAttribute(processAttributes[pX], formatReal(at.x()));
    writeAttribute(processAttributes[pY], formatReal(at.y()));
    writeAttribute(processAttributes[pWidth], QString::number(item->getWidth()));
    writeAttribute(processAttributes[pHeight], QString::number(item->getHeight()));
    writeAttribute(processAttributes[pShape], QString::number(item->getShape()));
    writeAttribute(processAttributes[pCode], item->getCode());
    writeAttribute(processAttributes[pDescription], item->getDescription());
    writeAttribute(processAttributes[pColour], formatColour(item->getBackgroundColor(), ProcessItem::defaultBackgroundColour()));
    writeAttribute(processAttributes[pPolygon], formatPointList(item->myPolygon()));
    writeEndElement();
}

void XmlIO::writeLinkItem(LinkItem* item)
{
    if (!item)
        return;
    const QPointF at = item->scenePos();
    writeStartElement(tagLink);
    writeAttribute(linkAttributes[lLevel], QString::number(item->getLevel()));
    writeAttribute(linkAttributes[lParentId], QString::number(item->getParentId()));
    writeAttribute(linkAttributes[lGrandParentId], QString::number(item->getGrandParentId()));
    writeAttribute(linkAttributes[lX], formatReal(at.x()));
    writeAttribute(linkAttributes[lY], formatReal(at.y()));
    writeAttribute(linkAttributes[lLabel], item->getLabel());
    writeAttribute(linkAttributes[lDescription], item->getDescription());
    writeAttribute(linkAttributes[lDatatype], item->getDatatype());
    writeAttribute(linkAttributes[lStart], item->startItem() ? item->startItem()->getLabel() : QString());
    writeAttribute(linkAttributes[lEnd], item->endItem() ? item->endItem()->getLabel() : QString());
    writeAttribute(linkAttributes[lColour], formatColour(item->getBackgroundColor(), LinkItem::defaultBackgroundColour()));
    writeAttribute(linkAttributes[lPolygon], formatPointList(item->myPolygon()));
    writeEndElement();
}

void XmlIO::writeMemoryItem(MemoryItem* item)
{
    if (!item)
        return;
    const QPointF at = item->scenePos();
    writeStartElement(tagMemory);
    writeAttribute(memoryAttributes[mLevel], QString::number(item->getLevel()));
    writeAttribute(memoryAttributes[mParentId], QString::number(item->getParentId()));
    writeAttribute(memoryAttributes[mGrandParentId], QString::number(item->getGrandParentId()));
    writeAttribute(memoryAttributes[mX], formatReal(at.x()));
    writeAttribute(memoryAttributes[mY], formatReal(at.y()));
    writeAttribute(memoryAttributes[mLabel], item->getLabel());
    writeAttribute(memoryAttributes[mDescription], item->getDescription());
    writeAttribute(memoryAttributes[mDatatype], item->getDatatype());
    writeAttribute(memoryAttributes[mColour], formatColour(item->getBackgroundColor(), MemoryItem::defaultBackgroundColour()));
    writeAttribute(memoryAttributes[mPolygon], formatPointList(item->myPolygon()));
    writeEndElement();
}

void XmlIO::writeDataflowItem(DataflowItem* item)
{
    if (!item)
        return;
    const QPointF at = item->scenePos();
    const int lineType = item->getLineType();
    writeStartElement(tagDataflow);
    writeAttribute(dataflowAttributes[dLevel], QString::number(item->getLevel()));
    writeAttribute(dataflowAttributes[dParentId], QString::number(item->getParentId()));
    writeAttribute(dataflowAttributes[dGrandParentId], QString::number(item->getGrandParentId()));
    writeAttribute(dataflowAttributes[dLineType], QString::number(lineType));
    writeAttribute(dataflowAttributes[dX], formatReal(at.x()));
    writeAttribute(dataflowAttributes[dY], formatReal(at.y()));
    writeAttribute(dataflowAttributes[dLabel], item->getLabel());
    writeAttribute(dataflowAttributes[dDescription], item->getDescription());
    writeAttribute(dataflowAttributes[dDatatype], item->getDatatype());
    if (lineType == 1 || lineType == 2) {
        const QString process = item->getProcess() ? item->getProcess()->getLabel() : QString();
        const QString memory = item->getMemory() ? item->getMemory()->getLabel() : QString();
        writeAttribute(dataflowAttributes[dStart], lineType == 1 ? process : memory);
        writeAttribute(dataflowAttributes[dEnd], lineType == 1 ? memory : process);
    }
    writeAttribute(dataflowAttributes[dColour], formatColour(item->getBackgroundColor(), DataflowItem::defaultBackgroundColour()));
    writeAttribute(dataflowAttributes[dPolygon], formatPointList(item->myPolygon()));
    writeEndElement();
}

void XmlIO::writeStateItem(StateItem* item)
{
    if (!item)
        return;
    const QPointF at = item->scenePos();
    const QList<TransitionItem*> transitions = item->getTransitions();
    writeStartElement(tagStateItem);
    writeTextElement(stateChildren[sLevel], QString::number(item->getLevel()));
    writeTextElement(stateChildren[sParentId], QString::number(item->getParentId()));
    writeTextElement(stateChildren[sGrandParentId], QString::number(item->getGrandParentId()));
    writeTextElement(stateChildren[sLabel], item->getLabel());
    writeTextElement(stateChildren[sInitial], item->initialStatus() ? QStringLiteral("1") : QStringLiteral("0"));
    writeTextElement(stateChildren[sInitCondition], item->getInitCondition());
    writeTextElement(stateChildren[sInitDescription], item->getInitDescription());
    writeTextElement(stateChildren[sX], formatReal(at.x()));
    writeTextElement(stateChildren[sY], formatReal(at.y()));
    writeTextElement(stateChildren[sWidth], QString::number(item->getWidth()));
    writeTextElement(stateChildren[sHeight], QString::number(item->getHeight()));
    writeTextElement(stateChildren[sColour], formatColour(item->getBackgroundColour(), StateItem::defaultBackgroundColour()));
    writeTextElement(stateChildren[sPolygon], formatPointList(item->myPolygon()));
    writeTextElement(stateChildren[sAction], item->getAction());
    writeTextElement(stateChildren[sDescription], item->getDescription());
    writeTextElement(stateChildren[sNumberOfTI], QString::number(transitions.size()));
    writeTextElement(stateChildren[sTransitions], joinedLabels(transitions));
    writeEndElement();
}

void XmlIO::writeTransitionItem(TransitionItem* item)
{
    if (!item)
        return;
    const QPointF at = item->scenePos();
    const QPointF mid = item->getMidPos();
    writeStartElement(tagTransitionItem);
    writeTextElement(transitionChildren[tLevel], QString::number(item->getLevel()));
    writeTextElement(transitionChildren[tParentId], QString::number(item->getParentId()));
    writeTextElement(transitionChildren[tGrandParentId], QString::number(item->getGrandParentId()));
    writeTextElement(transitionChildren[tLabel], item->getLabel());
    writeTextElement(transitionChildren[tCondition], item->getCondition());
    writeTextElement(transitionChildren[tColour], formatColour(item->getBackgroundColour(), TransitionItem::defaultBackgroundColour()));
    writeTextElement(transitionChildren[tX], formatReal(at.x()));
    writeTextElement(transitionChildren[tY], formatReal(at.y()));
    writeTextElement(transitionChildren[tMidPos], formatReal(mid.x()) + QLatin1Char(',') + formatReal(mid.y()));
    writeTextElement(transitionChildren[tWidth], QString::number(item->getTransitionItemWidth()));
    writeTextElement(transitionChildren[tHeight], QString::number(item->getTransitionItemHeight()));
    writeTextElement(transitionChildren[tPolygon], formatPointList(item->myPolygon()));
    writeTextElement(transitionChildren[tStart], item->startItem() ? item->startItem()->getLabel() : QString());
    writeTextElement(transitionChildren[tEnd], item->endItem() ? item->endItem()->getLabel() : QString());
    writeTextElement(transitionChildren[tDescription], item->getDescription());
    writeTextElement(transitionChildren[tAction], item->getAction());
    writeEndElement();
}

void XmlIO::writeTextItem(TextItem* item)
{
    if (!item)
        return;
    const QPointF at = item->scenePos();
    writeStartElement(tagTextItem);
    writeTextElement(textChildren[xLevel], QString::number(item->getLevel()));
    writeTextElement(textChildren[xParentId], QString::number(item->getParentId()));
    writeTextElement(textChildren[xGrandParentId], QString::number(item->getGrandParentId()));
    writeTextElement(textChildren[xX], formatReal(at.x()));
    writeTextElement(textChildren[xY], formatReal(at.y()));
    writeTextElement(textChildren[xWidth], QString::number(item->getWidth()));
    writeTextElement(textChildren[xHeight], QString::number(item->getHeight()));
    writeTextElement(textChildren[xType], QString::number(item->getItemType()));
    writeTextElement(textChildren[xColour], formatColour(item->getBackgroundColor(), TextItem::defaultBackgroundColour()));
    writeTextElement(textChildren[xTextColour], formatColour(item->getTextColor()));
    writeTextElement(textChildren[xPolygon], formatPointList(item->myPolygon()));
    writeTextElement(textChildren[xAction], item->getAction());
    writeEndElement();
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
    const bool sound = ProjectFileReader::run(&file, ProjectFileReader::Pass::CheckAndRead, &own);
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

void XmlIO::clearRecords()
{
    processItemRecords.clear();
    stateItemRecords.clear();
    transitionItemRecords.clear();
    textItemRecords.clear();
    linkItemRecords.clear();
    memoryItemRecords.clear();
    dataflowItemRecords.clear();
}
