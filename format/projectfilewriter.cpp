#include "projectfilewriter.h"

#include <QBuffer>
#include <QCoreApplication>

#include <cmath>

#include "document.h"
#include "projectfilelayout.h"
#include "safesavefile.h"
#include "xmltextwriter.h"

using namespace ProjectFileLayout;

namespace {

constexpr int flushSize = 1 << 16;

bool isValidXmlChar(uint code)
{
    return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF)
        || (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

QString number(int value)
{
    return QString::number(value);
}

// A whole number that formatReal() writes as an integer.
bool isPlainWhole(double value)
{
    return value == std::trunc(value) && std::abs(value) < 999999.5 && !(value == 0.0 && std::signbit(value));
}

// The digits QString::number() gives, appended without a string of their own.
void appendWhole(QString* out, qint64 value)
{
    QChar digits[24];
    int at = 24;
    quint64 rest = value < 0 ? 0 - quint64(value) : quint64(value);
    do {
        digits[--at] = QLatin1Char(char('0' + rest % 10));
        rest /= 10;
    } while (rest != 0);
    if (value < 0)
        digits[--at] = QLatin1Char('-');
    out->append(digits + at, 24 - at);
}

// A point list's coordinate: as formatReal() gives it, but never in
// exponent form.
void appendPointCoordinate(QString* out, double value)
{
    if (isPlainWhole(value)) {
        appendWhole(out, qint64(value));
        return;
    }
    QString text = ProjectFileWriter::formatReal(value);
    if (text.contains(QLatin1Char('e')))
        text = QString::number(value, 'f', 0);
    out->append(text);
}

void appendPointList(QString* out, const QVector<QPointF>& polygon)
{
    for (int i = 0; i < polygon.size(); ++i) {
        if (i > 0)
            *out += QLatin1Char(',');
        appendPointCoordinate(out, polygon.at(i).x());
        *out += QLatin1Char(',');
        appendPointCoordinate(out, polygon.at(i).y());
    }
}

// A coordinate as formatReal() gives it, appended.
void appendReal(QString* out, double value)
{
    if (isPlainWhole(value))
        appendWhole(out, qint64(value));
    else
        out->append(ProjectFileWriter::formatReal(value));
}

bool appendOutline(QString* out, const ProjectNode& node)
{
    const auto& children = node.children();
    for (int number = 1; number <= int(children.size()); ++number) {
        const ProjectNode* child = nullptr;
        for (const auto& candidate : children) {
            if (candidate->process.number == number) {
                child = candidate.get();
                break;
            }
        }
        if (!child)
            return false;
        out->append(QString((child->level() - 1) * 4, QLatin1Char(' ')));
        out->append(child->process.label);
        out->append(QLatin1String("\r\n"));
        if (child->level() < 5 && !appendOutline(out, *child))
            return false;
    }
    return true;
}

} // namespace

ProjectFileWriter::ProjectFileWriter() = default;

ProjectFileWriter::~ProjectFileWriter() = default;

// ---- Value encodings --------------------------------------------------------

QString ProjectFileWriter::formatReal(double value)
{
    // Whole numbers below a million come out of 'g' as plain integers; those
    // are nearly all of a file, and far cheaper to write as such.
    if (isPlainWhole(value))
        return QString::number(qint64(value));
    return QString::number(value, 'g', 6);
}

QString ProjectFileWriter::formatPointList(const QVector<QPointF>& polygon)
{
    QString text;
    text.reserve(polygon.size() * 10);
    appendPointList(&text, polygon);
    return text;
}

QString ProjectFileWriter::xmlSafe(const QString& text)
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

QString ProjectFileWriter::outline(const Document& document)
{
    QString text = QStringLiteral("\r\n") + document.root().process.label + QStringLiteral("\r\n");
    return appendOutline(&text, document.root()) ? text : QString();
}

// ---- The document -----------------------------------------------------------

bool ProjectFileWriter::write(const Document& document, const QString& path)
{
    error.clear();
    kept = true;
    failed = false;
    const QString names = outline(document);
    if (names.isEmpty()) {
        error = QCoreApplication::translate("ProjectFileWriter",
                                            "The project's structure is damaged: its nodes are not numbered "
                                            "in order.");
        return false;
    }
    file = std::make_unique<SafeSaveFile>(path);
    if (!file->open()) {
        error = file->errorString();
        file.reset();
        return false;
    }
    writeDocument(document, names, file->device());

    // A failed write leaves its error on the device, which the commit sees:
    // it then keeps or puts back the previous file.
    bool committed = false;
    if (failed && file->device()->error() == QFileDevice::NoError)
        file->cancel();
    else
        committed = file->commit();
    if (!committed) {
        error = file->errorString();
        if (error.isEmpty())
            error = SafeSaveFile::describeWriteFailure(path);
    }
    kept = committed || file->previousIntact();
    file.reset();
    return committed;
}

void ProjectFileWriter::index(const ProjectNode& node)
{
    nodeLabels.add(node.id(), node.process.label);
    for (const MemoryElement& memory : node.diagram.memories)
        memoryLabels.add(memory.id, memory.label);
    for (const StateElement& state : node.diagram.states)
        stateLabels.add(state.id, state.label);
    for (const TransitionElement& transition : node.diagram.transitions)
        transitionLabels.add(transition.id, transition.label);
    for (const auto& child : node.children())
        index(*child);
}

void ProjectFileWriter::writeNode(const ProjectNode& node)
{
    writeProcess(node);
    writeHierarchy(node);
    if (node.level() == 5)
        writeStateMachine(node);
    else
        for (const auto& child : node.children())
            writeNode(*child);
}

// ---- Elements ---------------------------------------------------------------

void ProjectFileWriter::attribute(QLatin1String name, const QString& value)
{
    xml->writeAttribute(name, xmlSafe(value));
}

void ProjectFileWriter::child(QLatin1String name, const QString& text)
{
    xml->writeTextElement(name, xmlSafe(text));
}

void ProjectFileWriter::childNumber(QLatin1String name, qint64 value)
{
    scratch.resize(0);
    appendWhole(&scratch, value);
    xml->writeTextElement(name, QStringView(scratch));
}

void ProjectFileWriter::childReal(QLatin1String name, double value)
{
    scratch.resize(0);
    appendReal(&scratch, value);
    xml->writeTextElement(name, QStringView(scratch));
}

void ProjectFileWriter::childColour(QLatin1String name, Colour colour)
{
    // As Colour::name() gives it.
    scratch.resize(0);
    scratch += QLatin1Char('#');
    for (int shift = 20; shift >= 0; shift -= 4)
        scratch += QLatin1Char("0123456789abcdef"[(colour.rgb() >> shift) & 0xf]);
    xml->writeTextElement(name, QStringView(scratch));
}

void ProjectFileWriter::childPoint(QLatin1String name, QPointF point)
{
    scratch.resize(0);
    appendReal(&scratch, point.x());
    scratch += QLatin1Char(',');
    appendReal(&scratch, point.y());
    xml->writeTextElement(name, QStringView(scratch));
}

void ProjectFileWriter::childPoints(QLatin1String name, const QVector<QPointF>& polygon)
{
    scratch.resize(0);
    appendPointList(&scratch, polygon);
    xml->writeTextElement(name, QStringView(scratch));
}

void ProjectFileWriter::endElement()
{
    xml->writeEndElement();
    if (pending.size() >= flushSize)
        flush();
}

// What a newer version wrote into the element: its attributes after the
// known ones, its elements after the known children.
void ProjectFileWriter::writeForeign(const ForeignContent& foreign)
{
    for (const QPair<QString, QString>& pair : foreign.attributes)
        xml->writeAttribute(pair.first, xmlSafe(pair.second));
    for (const ForeignElement& element : foreign.children)
        writeForeignElement(element);
}

void ProjectFileWriter::writeForeignElement(const ForeignElement& element)
{
    xml->writeStartElement(element.name);
    for (const QPair<QString, QString>& pair : element.attributes)
        xml->writeAttribute(pair.first, xmlSafe(pair.second));
    for (const ForeignElement& child : element.children)
        writeForeignElement(child);
    if (element.children.isEmpty() && !element.text.isEmpty())
        xml->writeCharacters(xmlSafe(element.text));
    xml->writeEndElement();
}

void ProjectFileWriter::startContainer(QLatin1String name, int count)
{
    xml->writeStartElement(name);
    xml->writeAttribute(QLatin1String("number"), number(count));
}

void ProjectFileWriter::writeDocument(const Document& document, const QString& names, QIODevice* device)
{
    target = device;
    // The labels point into the document: none is kept beyond this write.
    nodeLabels = memoryLabels = stateLabels = transitionLabels = IdLabels();
    index(document.root());
    for (IdLabels* labels : {&nodeLabels, &memoryLabels, &stateLabels, &transitionLabels})
        labels->finish();

    // The document is built as text and goes to the file in large UTF-8
    // pieces, each after a whole element so that no character is cut in two.
    pending.resize(0);
    pending.reserve(flushSize + flushSize / 4);
    pending += QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    xml = std::make_unique<XmlTextWriter>(&pending);
    xml->writeStartElement(tagVornProject);
    xml->writeTextElement(tagProjectFiles, xmlSafe(names));
    xml->writeStartElement(tagSceneData);
    xml->writeAttribute(QLatin1String("version"), QStringLiteral("v1.0"));
    xml->writeStartElement(tagGraphicsItemList);
    writeRootProcess(document.root());
    writeHierarchy(document.root());
    for (const auto& child : document.root().children())
        writeNode(*child);
    endElement();
    endElement();
    endElement();
    flush();
    xml.reset();
    pending = QString();
    target = nullptr;
    nodeLabels = memoryLabels = stateLabels = transitionLabels = IdLabels();
}

QByteArray ProjectFileWriter::bytes(const Document& document)
{
    const QString names = outline(document);
    if (names.isEmpty())
        return QByteArray();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    failed = false;
    writeDocument(document, names, &buffer);
    return failed ? QByteArray() : buffer.data();
}

void ProjectFileWriter::flush()
{
    if (pending.isEmpty() || failed)
        return;
    const QByteArray bytes = pending.toUtf8();
    pending.resize(0);
    // A short write says nothing of its cause; the next one fails with it
    // (a full disk, a size limit), which the commit then reports.
    const char* data = bytes.constData();
    for (qint64 left = bytes.size(); left > 0 && !failed;) {
        const qint64 done = target->write(data, left);
        failed = done <= 0;
        data += qMax<qint64>(done, 0);
        left -= done;
    }
}

void ProjectFileWriter::writeRootProcess(const ProjectNode& root)
{
    xml->writeStartElement(tagProcess);
    const QString one = QStringLiteral("1");
    attribute(processAttributes[pLevel], one);
    attribute(processAttributes[pNos], one);
    attribute(processAttributes[pId], one);
    attribute(processAttributes[pLabel], root.process.label);
    attribute(processAttributes[pParentId], one);
    attribute(processAttributes[pGrandParentId], one);
    attribute(processAttributes[pX], QStringLiteral("300"));
    attribute(processAttributes[pY], QStringLiteral("300"));
    attribute(processAttributes[pWidth], QStringLiteral("300"));
    attribute(processAttributes[pHeight], QStringLiteral("1000"));
    attribute(processAttributes[pShape], one);
    attribute(processAttributes[pCode], QString());
    attribute(processAttributes[pDescription], QString());
    attribute(processAttributes[pColour], QStringLiteral("#ff3244"));
    attribute(processAttributes[pPolygon], QStringLiteral("0,0,300,0,300,1000,0,1000,0,0"));
    endElement();
}

void ProjectFileWriter::writeProcess(const ProjectNode& node)
{
    const ProcessElement& process = node.process;
    xml->writeStartElement(tagProcess);
    attribute(processAttributes[pLevel], number(node.level()));
    attribute(processAttributes[pNos], number(process.countNumber));
    attribute(processAttributes[pId], number(node.fileId()));
    attribute(processAttributes[pLabel], process.label);
    attribute(processAttributes[pParentId], number(node.fileParentId()));
    attribute(processAttributes[pGrandParentId], number(node.fileGrandParentId()));
    attribute(processAttributes[pX], formatReal(process.position.x()));
    attribute(processAttributes[pY], formatReal(process.position.y()));
    attribute(processAttributes[pWidth], number(process.width));
    attribute(processAttributes[pHeight], number(process.height));
    attribute(processAttributes[pShape], number(process.shape));
    attribute(processAttributes[pCode], process.code);
    attribute(processAttributes[pDescription], process.description);
    attribute(processAttributes[pColour], process.colour.name());
    attribute(processAttributes[pPolygon], formatPointList(process.polygon));
    writeForeign(process.foreign);
    endElement();
}

// The identity of an element drawn on the node's canvas.
void ProjectFileWriter::writeIdentity(const ProjectNode& node, bool asChildren)
{
    const int values[] = {node.level() + 1, node.fileId(), node.fileParentId()};
    const QLatin1String names[] = {QLatin1String("level"), QLatin1String("parentId"),
                                   QLatin1String("grandParentId")};
    for (int i = 0; i < 3; ++i) {
        if (asChildren)
            childNumber(names[i], values[i]);
        else
            attribute(names[i], number(values[i]));
    }
}

void ProjectFileWriter::writeHierarchy(const ProjectNode& node)
{
    const Diagram& diagram = node.diagram;
    startContainer(QLatin1String("LinkItems"), diagram.links.size());
    for (const LinkElement& link : diagram.links) {
        xml->writeStartElement(tagLink);
        writeIdentity(node, false);
        attribute(linkAttributes[lX], formatReal(link.position.x()));
        attribute(linkAttributes[lY], formatReal(link.position.y()));
        attribute(linkAttributes[lLabel], link.label);
        attribute(linkAttributes[lDescription], link.description);
        attribute(linkAttributes[lDatatype], link.datatype);
        attribute(linkAttributes[lStart], nodeLabels.of(link.startProcess));
        attribute(linkAttributes[lEnd], nodeLabels.of(link.endProcess));
        attribute(linkAttributes[lColour], link.colour.name());
        attribute(linkAttributes[lPolygon], formatPointList(link.polygon));
        writeForeign(link.foreign);
        endElement();
    }
    endElement();

    startContainer(QLatin1String("MemoryItems"), diagram.memories.size());
    for (const MemoryElement& memory : diagram.memories) {
        xml->writeStartElement(tagMemory);
        writeIdentity(node, false);
        attribute(memoryAttributes[mX], formatReal(memory.position.x()));
        attribute(memoryAttributes[mY], formatReal(memory.position.y()));
        attribute(memoryAttributes[mLabel], memory.label);
        attribute(memoryAttributes[mDescription], memory.description);
        attribute(memoryAttributes[mDatatype], memory.datatype);
        attribute(memoryAttributes[mColour], memory.colour.name());
        attribute(memoryAttributes[mPolygon], formatPointList(memory.polygon));
        writeForeign(memory.foreign);
        endElement();
    }
    endElement();

    startContainer(QLatin1String("DataflowItems"), diagram.dataflows.size());
    for (const DataflowElement& dataflow : diagram.dataflows) {
        xml->writeStartElement(tagDataflow);
        writeIdentity(node, false);
        attribute(dataflowAttributes[dLineType], number(dataflow.lineType));
        attribute(dataflowAttributes[dX], formatReal(dataflow.position.x()));
        attribute(dataflowAttributes[dY], formatReal(dataflow.position.y()));
        attribute(dataflowAttributes[dLabel], dataflow.label);
        attribute(dataflowAttributes[dDescription], dataflow.description);
        attribute(dataflowAttributes[dDatatype], dataflow.datatype);
        if (dataflow.lineType == 1 || dataflow.lineType == 2) {
            const QString process = nodeLabels.of(dataflow.process);
            const QString memory = memoryLabels.of(dataflow.memory);
            attribute(dataflowAttributes[dStart], dataflow.lineType == 1 ? process : memory);
            attribute(dataflowAttributes[dEnd], dataflow.lineType == 1 ? memory : process);
        }
        attribute(dataflowAttributes[dColour], dataflow.colour.name());
        attribute(dataflowAttributes[dPolygon], formatPointList(dataflow.polygon));
        writeForeign(dataflow.foreign);
        endElement();
    }
    endElement();
}

void ProjectFileWriter::writeStateMachine(const ProjectNode& node)
{
    writeStates(node, node.diagram);
    writeTransitions(node, node.diagram);
    writeTexts(node, node.diagram);
}

void ProjectFileWriter::writeStates(const ProjectNode& node, const Diagram& diagram)
{
    startContainer(QLatin1String("StateItems"), diagram.states.size());
    for (const StateElement& state : diagram.states) {
        QString transitions;
        for (int i = 0; i < state.transitions.size(); ++i) {
            if (i > 0)
                transitions += QLatin1Char(',');
            transitions += transitionLabels.of(state.transitions.at(i));
        }
        xml->writeStartElement(tagStateItem);
        writeIdentity(node, true);
        child(stateChildren[sLabel], state.label);
        child(stateChildren[sInitial], state.initial ? QStringLiteral("1") : QStringLiteral("0"));
        child(stateChildren[sInitCondition], state.initialCondition);
        child(stateChildren[sInitDescription], state.initialDescription);
        childReal(stateChildren[sX], state.position.x());
        childReal(stateChildren[sY], state.position.y());
        childNumber(stateChildren[sWidth], state.width);
        childNumber(stateChildren[sHeight], state.height);
        childColour(stateChildren[sColour], state.colour);
        childPoints(stateChildren[sPolygon], state.polygon);
        child(stateChildren[sAction], state.action);
        child(stateChildren[sDescription], state.description);
        childNumber(stateChildren[sNumberOfTI], state.transitions.size());
        child(stateChildren[sTransitions], transitions);
        writeForeign(state.foreign);
        endElement();
    }
    endElement();
}

void ProjectFileWriter::writeTransitions(const ProjectNode& node, const Diagram& diagram)
{
    startContainer(QLatin1String("TransitionItems"), diagram.transitions.size());
    for (const TransitionElement& transition : diagram.transitions) {
        xml->writeStartElement(tagTransitionItem);
        writeIdentity(node, true);
        child(transitionChildren[tLabel], transition.label);
        child(transitionChildren[tCondition], transition.condition);
        childColour(transitionChildren[tColour], transition.colour);
        childReal(transitionChildren[tX], transition.position.x());
        childReal(transitionChildren[tY], transition.position.y());
        childPoint(transitionChildren[tMidPos], transition.midPosition);
        childNumber(transitionChildren[tWidth], transition.width);
        childNumber(transitionChildren[tHeight], transition.height);
        childPoints(transitionChildren[tPolygon], transition.polygon);
        child(transitionChildren[tStart], stateLabels.of(transition.startState));
        child(transitionChildren[tEnd], stateLabels.of(transition.endState));
        child(transitionChildren[tDescription], transition.description);
        child(transitionChildren[tAction], transition.action);
        writeForeign(transition.foreign);
        endElement();
    }
    endElement();
}

void ProjectFileWriter::writeTexts(const ProjectNode& node, const Diagram& diagram)
{
    startContainer(QLatin1String("TextItems"), diagram.texts.size());
    for (const TextElement& text : diagram.texts) {
        xml->writeStartElement(tagTextItem);
        writeIdentity(node, true);
        childReal(textChildren[xX], text.position.x());
        childReal(textChildren[xY], text.position.y());
        childNumber(textChildren[xWidth], text.width);
        childNumber(textChildren[xHeight], text.height);
        childNumber(textChildren[xType], text.type);
        childColour(textChildren[xColour], text.colour);
        childColour(textChildren[xTextColour], text.textColour);
        childPoints(textChildren[xPolygon], text.polygon);
        child(textChildren[xAction], text.text);
        writeForeign(text.foreign);
        endElement();
    }
    endElement();
}
