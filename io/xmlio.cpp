#include "xmlio.h"

#include <QColor>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>

#include <fcntl.h>
#include <unistd.h>

#include "dataflowitem.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

namespace {

const QLatin1String tagVornProject("VornProject");
const QLatin1String tagProjectFiles("ProjectFiles");
const QLatin1String tagSceneData("SceneData");
const QLatin1String tagGraphicsItemList("GraphicsItemList");
const QLatin1String tagProcess("Process");
const QLatin1String tagLink("Link");
const QLatin1String tagMemory("Memory");
const QLatin1String tagDataflow("Dataflow");
const QLatin1String tagStateItem("StateItem");
const QLatin1String tagTransitionItem("TransitionItem");
const QLatin1String tagTextItem("TextItem");

// Attributes and children in the order they are written; the reader needs
// all of them (a state only its first thirteen children).
const QLatin1String processAttributes[] = {
    QLatin1String("level"), QLatin1String("Nos"), QLatin1String("id"), QLatin1String("label"),
    QLatin1String("parentId"), QLatin1String("grandParentId"), QLatin1String("xCoord"),
    QLatin1String("yCoord"), QLatin1String("width"), QLatin1String("height"),
    QLatin1String("shape"), QLatin1String("code"), QLatin1String("description"),
    QLatin1String("backgroundColour"), QLatin1String("polygon")};
enum { pLevel, pNos, pId, pLabel, pParentId, pGrandParentId, pX, pY, pWidth, pHeight, pShape,
       pCode, pDescription, pColour, pPolygon, processAttributeCount };

const QLatin1String linkAttributes[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("xCoord"), QLatin1String("yCoord"), QLatin1String("label"),
    QLatin1String("description"), QLatin1String("datatype"), QLatin1String("startItem"),
    QLatin1String("endItem"), QLatin1String("backgroundColour"), QLatin1String("polygon")};
enum { lLevel, lParentId, lGrandParentId, lX, lY, lLabel, lDescription, lDatatype, lStart, lEnd,
       lColour, lPolygon, linkAttributeCount };

const QLatin1String memoryAttributes[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("xCoord"), QLatin1String("yCoord"), QLatin1String("label"),
    QLatin1String("description"), QLatin1String("datatype"), QLatin1String("backgroundColour"),
    QLatin1String("polygon")};
enum { mLevel, mParentId, mGrandParentId, mX, mY, mLabel, mDescription, mDatatype, mColour,
       mPolygon, memoryAttributeCount };

const QLatin1String dataflowAttributes[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("lineType"), QLatin1String("xCoord"), QLatin1String("yCoord"),
    QLatin1String("label"), QLatin1String("description"), QLatin1String("datatype"),
    QLatin1String("startItem"), QLatin1String("endItem"), QLatin1String("backgroundColour"),
    QLatin1String("polygon")};
enum { dLevel, dParentId, dGrandParentId, dLineType, dX, dY, dLabel, dDescription, dDatatype,
       dStart, dEnd, dColour, dPolygon, dataflowAttributeCount };

const QLatin1String stateChildren[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("label"), QLatin1String("ifInitialState"), QLatin1String("initialCondition"),
    QLatin1String("initialDescription"), QLatin1String("xCoord"), QLatin1String("yCoord"),
    QLatin1String("width"), QLatin1String("height"), QLatin1String("backgroundColour"),
    QLatin1String("polygon"), QLatin1String("action"), QLatin1String("description"),
    QLatin1String("numberOfTI"), QLatin1String("transitions")};
enum { sLevel, sParentId, sGrandParentId, sLabel, sInitial, sInitCondition, sInitDescription,
       sX, sY, sWidth, sHeight, sColour, sPolygon, sAction, sDescription, sNumberOfTI,
       sTransitions, stateChildCount, stateRequiredForRead = sPolygon + 1 };

const QLatin1String transitionChildren[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("label"), QLatin1String("condition"), QLatin1String("backgroundColour"),
    QLatin1String("xCoord"), QLatin1String("yCoord"), QLatin1String("midPos"),
    QLatin1String("width"), QLatin1String("height"), QLatin1String("polygon"),
    QLatin1String("startItem"), QLatin1String("endItem"), QLatin1String("description"),
    QLatin1String("action")};
enum { tLevel, tParentId, tGrandParentId, tLabel, tCondition, tColour, tX, tY, tMidPos, tWidth,
       tHeight, tPolygon, tStart, tEnd, tDescription, tAction, transitionChildCount };

const QLatin1String textChildren[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("xCoord"), QLatin1String("yCoord"), QLatin1String("width"),
    QLatin1String("height"), QLatin1String("type"), QLatin1String("backgroundColour"),
    QLatin1String("textColour"), QLatin1String("polygon"), QLatin1String("action")};
enum { xLevel, xParentId, xGrandParentId, xX, xY, xWidth, xHeight, xType, xColour, xTextColour,
       xPolygon, xAction, textChildCount };

static_assert(sizeof(processAttributes) / sizeof(processAttributes[0]) == processAttributeCount, "");
static_assert(sizeof(linkAttributes) / sizeof(linkAttributes[0]) == linkAttributeCount, "");
static_assert(sizeof(memoryAttributes) / sizeof(memoryAttributes[0]) == memoryAttributeCount, "");
static_assert(sizeof(dataflowAttributes) / sizeof(dataflowAttributes[0]) == dataflowAttributeCount, "");
static_assert(sizeof(stateChildren) / sizeof(stateChildren[0]) == stateChildCount, "");
static_assert(sizeof(transitionChildren) / sizeof(transitionChildren[0]) == transitionChildCount, "");
static_assert(sizeof(textChildren) / sizeof(textChildren[0]) == textChildCount, "");

// Conversions never fail: what does not parse becomes 0 or an invalid colour.
int toInt(QStringView text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

double toReal(QStringView text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    // "inf" and "nan" parse, but no scene can hold such a position; a huge
    // one would overflow the int conversions of the items.
    if (!ok || !std::isfinite(value))
        return 0.0;
    return qBound(-XmlIO::coordinateLimit, value, XmlIO::coordinateLimit);
}

int toSize(QStringView text)
{
    const int limit = int(XmlIO::coordinateLimit);
    return qBound(-limit, toInt(text), limit);
}

// A coordinate as an int within the limit, also from a real such as
// "12.5" or "1e+06".
int toCoordinate(QStringView text)
{
    return int(toReal(text));
}

QColor toColour(QStringView text)
{
    return QColor(text.toString());
}

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
    QVector<QPoint> points;
    QStringView rest = text;
    while (points.size() < 5 && !rest.isEmpty()) {
        const int xEnd = rest.indexOf(QLatin1Char(','));
        // A lone number cannot make a point; the list stops there.
        if (xEnd < 0)
            break;
        const int x = toCoordinate(rest.left(xEnd));
        rest = rest.mid(xEnd + 1);
        const int yEnd = rest.indexOf(QLatin1Char(','));
        int y = 0;
        if (yEnd >= 0) {
            y = toCoordinate(rest.left(yEnd));
            rest = rest.mid(yEnd + 1);
        } else {
            y = toCoordinate(rest);
            rest = QStringView();
        }
        points.append(QPoint(x, y));
    }
    return points;
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
    writer = std::make_unique<QXmlStreamWriter>(saveFile.get());
    writer->setAutoFormatting(true);
    writer->writeStartDocument();
    return true;
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

void XmlIO::writeEndElement()
{
    if (writer)
        writer->writeEndElement();
}

bool XmlIO::closeFile()
{
    if (!writer || !saveFile)
        return false;
    const bool written = !writer->hasError();
    writer.reset();
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
    if (filePath.isEmpty() || !QFile::exists(filePath))
        return false;
    const FileStamp before = stampOf(filePath);
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    Records own;
    swapRecords(own);
    const bool sound = runItemPass(&file, Pass::CheckAndRead);
    swapRecords(own);
    if (sound && stampOf(filePath) == before) {
        checkedRecords = std::move(own);
        checkedFile = before;
    }
    return sound;
}

bool XmlIO::readProjectFileNames(QString* names)
{
    QFile file(filePath);
    if (filePath.isEmpty() || !file.open(QIODevice::ReadOnly))
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
    QFile file(filePath);
    if (filePath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    return readProjectFile(&file);
}

bool XmlIO::checkProjectFileCorrupt(QIODevice* device)
{
    return runItemPass(device, Pass::Check);
}

bool XmlIO::readProjectFile(QIODevice* device)
{
    return runItemPass(device, Pass::Read);
}

bool XmlIO::readProjectFileNames(QIODevice* device, QString* names)
{
    if (!device)
        return false;
    QXmlStreamReader reader(device);
    xml = &reader;
    bool ok = reader.readNext() == QXmlStreamReader::StartDocument
        && nextIsStartTag(tagVornProject);
    if (ok) {
        skip(1);
        ok = nextIsStartTag(tagProjectFiles);
    }
    QString text;
    if (ok) {
        text = reader.readElementText();
        ok = !reader.hasError();
    }
    if (ok) {
        skip(2);
        if (names)
            *names = text;
    }
    xml = nullptr;
    return ok;
}

bool XmlIO::runItemPass(QIODevice* device, Pass pass)
{
    if (!device)
        return false;
    QXmlStreamReader reader(device);
    xml = &reader;
    bool ok = readHeader();
    while (ok) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument) {
            ok = false;
            break;
        }
        if (token == QXmlStreamReader::EndElement && reader.name() == tagGraphicsItemList)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;

        const QStringRef name = reader.name();
        // Reading an item checks what the check needs, except that a state
        // read alone may end early.
        const bool check = pass == Pass::Check;
        if (name == tagStateItem && pass == Pass::CheckAndRead)
            ok = readStateItem(true);
        else if (name == tagProcess)
            ok = check ? checkProcessItem() : readProcessItem();
        else if (name == tagLink)
            ok = check ? checkLinkItem() : readLinkItem();
        else if (name == tagMemory)
            ok = check ? checkMemoryItem() : readMemoryItem();
        else if (name == tagDataflow)
            ok = check ? checkDataflowItem() : readDataflowItem();
        else if (name == tagStateItem)
            ok = check ? checkStateItem() : readStateItem();
        else if (name == tagTransitionItem)
            ok = check ? checkTransitionItem() : readTransitionItem();
        else if (name == tagTextItem)
            ok = check ? checkTextItem() : readTextItem();
    }
    xml = nullptr;
    return ok;
}

bool XmlIO::readHeader()
{
    if (xml->readNext() != QXmlStreamReader::StartDocument)
        return false;
    if (!nextIsStartTag(tagVornProject))
        return false;
    skip(1);
    if (!nextIsStartTag(tagProjectFiles))
        return false;
    // The tree text, the end tag and the whitespace after it.
    skip(3);
    if (!nextIsStartTag(tagSceneData))
        return false;
    skip(1);
    return nextIsStartTag(tagGraphicsItemList);
}

void XmlIO::skip(int tokens)
{
    for (int i = 0; i < tokens && !xml->atEnd(); ++i)
        xml->readNext();
}

bool XmlIO::nextIsStartTag(QLatin1String name)
{
    return xml->readNext() == QXmlStreamReader::StartElement && xml->name() == name;
}

bool XmlIO::hasAttributes(const QLatin1String* names, int count) const
{
    const QXmlStreamAttributes attributes = xml->attributes();
    for (int i = 0; i < count; ++i) {
        if (!attributes.hasAttribute(names[i]))
            return false;
    }
    return true;
}

// Reads the children in the given order into texts; returns how many were
// present before the first missing one.
int XmlIO::readChildTexts(const QLatin1String* names, int count, QString* texts)
{
    for (int i = 0; i < count; ++i) {
        skip(1);
        if (!nextIsStartTag(names[i]))
            return i;
        texts[i] = xml->readElementText();
        if (xml->hasError())
            return i;
    }
    // The whitespace, the item's end tag and the whitespace after it.
    skip(3);
    return count;
}

// ---- Reading: attribute items -----------------------------------------------

bool XmlIO::checkProcessItem()
{
    return xml && hasAttributes(processAttributes, processAttributeCount);
}

bool XmlIO::checkLinkItem()
{
    return xml && hasAttributes(linkAttributes, linkAttributeCount);
}

bool XmlIO::checkMemoryItem()
{
    return xml && hasAttributes(memoryAttributes, memoryAttributeCount);
}

bool XmlIO::checkDataflowItem()
{
    return xml && hasAttributes(dataflowAttributes, dataflowAttributeCount);
}

bool XmlIO::readProcessItem()
{
    if (!checkProcessItem())
        return false;
    const QXmlStreamAttributes a = xml->attributes();
    const auto value = [&a](int field) { return a.value(processAttributes[field]); };
    clearProcessItemStruct();
    t_processItemReadFromXML& r = processItemRecord;
    r.level = toInt(value(pLevel));
    r.Nos = toInt(value(pNos));
    r.id = toInt(value(pId));
    r.label = value(pLabel).toString();
    r.parentId = toInt(value(pParentId));
    r.grandParentId = toInt(value(pGrandParentId));
    r.xCoord = toReal(value(pX));
    r.yCoord = toReal(value(pY));
    r.width = toSize(value(pWidth));
    r.height = toSize(value(pHeight));
    r.shape = toInt(value(pShape));
    r.code = value(pCode).toString();
    r.description = value(pDescription).toString();
    r.backgroundColour = toColour(value(pColour));
    readProcessItemPolygon(value(pPolygon).toString());
    processItemRecords.append(r);
    return true;
}

bool XmlIO::readLinkItem()
{
    if (!checkLinkItem())
        return false;
    const QXmlStreamAttributes a = xml->attributes();
    const auto value = [&a](int field) { return a.value(linkAttributes[field]); };
    clearLinkItemStruct();
    t_linkItemReadFromXML& r = linkItemRecord;
    r.level = toInt(value(lLevel));
    r.parentId = toInt(value(lParentId));
    r.grandParentId = toInt(value(lGrandParentId));
    r.xCoord = toReal(value(lX));
    r.yCoord = toReal(value(lY));
    r.label = value(lLabel).toString();
    r.description = value(lDescription).toString();
    r.datatype = value(lDatatype).toString();
    r.startItem = value(lStart).toString();
    r.endItem = value(lEnd).toString();
    r.backgroundColour = toColour(value(lColour));
    readLinkItemPolygon(value(lPolygon).toString());
    linkItemRecords.append(r);
    return true;
}

bool XmlIO::readMemoryItem()
{
    if (!checkMemoryItem())
        return false;
    const QXmlStreamAttributes a = xml->attributes();
    const auto value = [&a](int field) { return a.value(memoryAttributes[field]); };
    clearMemoryItemStruct();
    t_memoryItemReadFromXML& r = memoryItemRecord;
    r.level = toInt(value(mLevel));
    r.parentId = toInt(value(mParentId));
    r.grandParentId = toInt(value(mGrandParentId));
    r.xCoord = toReal(value(mX));
    r.yCoord = toReal(value(mY));
    r.label = value(mLabel).toString();
    r.description = value(mDescription).toString();
    r.datatype = value(mDatatype).toString();
    r.backgroundColour = toColour(value(mColour));
    readMemoryItemPolygon(value(mPolygon).toString());
    memoryItemRecords.append(r);
    return true;
}

bool XmlIO::readDataflowItem()
{
    if (!checkDataflowItem())
        return false;
    const QXmlStreamAttributes a = xml->attributes();
    const auto value = [&a](int field) { return a.value(dataflowAttributes[field]); };
    clearDataflowItemStruct();
    t_dataflowItemReadFromXML& r = dataflowItemRecord;
    r.level = toInt(value(dLevel));
    r.parentId = toInt(value(dParentId));
    r.grandParentId = toInt(value(dGrandParentId));
    r.lineType = toInt(value(dLineType));
    r.xCoord = toReal(value(dX));
    r.yCoord = toReal(value(dY));
    r.label = value(dLabel).toString();
    r.description = value(dDescription).toString();
    r.datatype = value(dDatatype).toString();
    r.startItem = value(dStart).toString();
    r.endItem = value(dEnd).toString();
    r.backgroundColour = toColour(value(dColour));
    readDataflowItemPolygon(value(dPolygon).toString());
    dataflowItemRecords.append(r);
    return true;
}

// ---- Reading: text-element items --------------------------------------------

bool XmlIO::checkStateItem()
{
    if (!xml)
        return false;
    QString texts[stateChildCount];
    if (readChildTexts(stateChildren, stateChildCount, texts) != stateChildCount)
        return false;
    // Only 0 and 1 mean anything; larger values come from a foreign writer.
    return toInt(texts[sInitial]) <= 1;
}

bool XmlIO::checkTransitionItem()
{
    if (!xml)
        return false;
    QString texts[transitionChildCount];
    return readChildTexts(transitionChildren, transitionChildCount, texts) == transitionChildCount;
}

bool XmlIO::checkTextItem()
{
    if (!xml)
        return false;
    QString texts[textChildCount];
    return readChildTexts(textChildren, textChildCount, texts) == textChildCount;
}

bool XmlIO::readStateItem()
{
    return readStateItem(false);
}

// Strict: only what the check accepts, every field present and the initial
// flag 0 or 1.
bool XmlIO::readStateItem(bool strict)
{
    if (!xml)
        return false;
    QString texts[stateChildCount];
    const int present = readChildTexts(stateChildren, stateChildCount, texts);
    if (strict ? present != stateChildCount || toInt(texts[sInitial]) > 1
               : present < stateRequiredForRead)
        return false;
    clearStateItemReadStruct();
    t_stateItemReadFromXML& r = stateItemRecord;
    r.level = toInt(texts[sLevel]);
    r.parentId = toInt(texts[sParentId]);
    r.grandParentId = toInt(texts[sGrandParentId]);
    r.label = texts[sLabel];
    r.ifInitialState = toInt(texts[sInitial]) != 0;
    r.initialCondition = texts[sInitCondition];
    r.initialDescription = texts[sInitDescription];
    r.xCoord = toReal(texts[sX]);
    r.yCoord = toReal(texts[sY]);
    r.width = toSize(texts[sWidth]);
    r.height = toSize(texts[sHeight]);
    r.backgroundColour = toColour(texts[sColour]);
    readStateItemPolygon(texts[sPolygon]);
    // Older files may end a state early; what is there is kept.
    if (present > sAction)
        r.action = texts[sAction];
    if (present > sDescription)
        r.description = texts[sDescription];
    if (present > sNumberOfTI)
        r.numberOfTI = toInt(texts[sNumberOfTI]);
    if (present > sTransitions)
        readStateItemTransitions(texts[sTransitions]);
    stateItemRecords.append(r);
    return true;
}

bool XmlIO::readTransitionItem()
{
    if (!xml)
        return false;
    QString texts[transitionChildCount];
    if (readChildTexts(transitionChildren, transitionChildCount, texts) != transitionChildCount)
        return false;
    clearTransitionItemStruct();
    t_transitionItemReadFromXML& r = transitionItemRecord;
    r.level = toInt(texts[tLevel]);
    r.parentId = toInt(texts[tParentId]);
    r.grandParentId = toInt(texts[tGrandParentId]);
    r.label = texts[tLabel];
    r.condition = texts[tCondition];
    r.backgroundColour = toColour(texts[tColour]);
    r.xCoord = toReal(texts[tX]);
    r.yCoord = toReal(texts[tY]);
    r.width = toSize(texts[tWidth]);
    r.height = toSize(texts[tHeight]);
    readTransitionItemPolygon(texts[tPolygon]);
    r.startItem = texts[tStart];
    r.endItem = texts[tEnd];
    r.description = texts[tDescription];
    r.action = texts[tAction];
    transitionItemRecords.append(r);
    return true;
}

bool XmlIO::readTextItem()
{
    if (!xml)
        return false;
    QString texts[textChildCount];
    if (readChildTexts(textChildren, textChildCount, texts) != textChildCount)
        return false;
    clearTextItemStruct();
    t_textItemReadFromXML& r = textItemRecord;
    r.level = toInt(texts[xLevel]);
    r.parentId = toInt(texts[xParentId]);
    r.grandParentId = toInt(texts[xGrandParentId]);
    r.xCoord = toReal(texts[xX]);
    r.yCoord = toReal(texts[xY]);
    r.width = toSize(texts[xWidth]);
    r.height = toSize(texts[xHeight]);
    r.type = toInt(texts[xType]);
    r.backgroundColour = toColour(texts[xColour]);
    r.textColour = toColour(texts[xTextColour]);
    readTextItemPolygon(texts[xPolygon]);
    r.action = texts[xAction];
    textItemRecords.append(r);
    return true;
}

// ---- Field parsers and record resets ----------------------------------------

void XmlIO::readStateItemPolygon(const QString& text)
{
    stateItemRecord.polygon = parsePointList(text);
}

void XmlIO::readTransitionItemPolygon(const QString& text)
{
    transitionItemRecord.polygon = parsePointList(text);
}

void XmlIO::readTextItemPolygon(const QString& text)
{
    textItemRecord.polygon = parsePointList(text);
}

void XmlIO::readProcessItemPolygon(const QString& text)
{
    processItemRecord.polygon = parsePointList(text);
}

void XmlIO::readLinkItemPolygon(const QString& text)
{
    linkItemRecord.polygon = parsePointList(text);
}

void XmlIO::readMemoryItemPolygon(const QString& text)
{
    memoryItemRecord.polygon = parsePointList(text);
}

void XmlIO::readDataflowItemPolygon(const QString& text)
{
    dataflowItemRecord.polygon = parsePointList(text);
}

void XmlIO::readStateItemTransitions(const QString& text)
{
    QStringList& names = stateItemRecord.transitions;
    names.clear();
    if (text.isEmpty())
        return;
    const int keep = stateItemRecord.numberOfTI;
    int from = 0;
    while (names.size() < keep) {
        const int comma = text.indexOf(QLatin1Char(','), from);
        if (comma < 0) {
            names.append(text.mid(from));
            break;
        }
        names.append(text.mid(from, comma - from));
        from = comma + 1;
    }
}

void XmlIO::clearStateItemReadStruct()
{
    stateItemRecord = t_stateItemReadFromXML();
}

void XmlIO::clearTransitionItemStruct()
{
    transitionItemRecord = t_transitionItemReadFromXML();
}

void XmlIO::clearTextItemStruct()
{
    textItemRecord = t_textItemReadFromXML();
}

void XmlIO::clearProcessItemStruct()
{
    processItemRecord = t_processItemReadFromXML();
}

void XmlIO::clearLinkItemStruct()
{
    linkItemRecord = t_linkItemReadFromXML();
}

void XmlIO::clearMemoryItemStruct()
{
    memoryItemRecord = t_memoryItemReadFromXML();
}

void XmlIO::clearDataflowItemStruct()
{
    dataflowItemRecord = t_dataflowItemReadFromXML();
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
