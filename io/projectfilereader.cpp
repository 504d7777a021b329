#include "projectfilereader.h"

#include <QBuffer>
#include <QFile>
#include <QIODevice>
#include <QXmlStreamReader>

#include <cmath>
#include <utility>

#include "projectfilelayout.h"
#include "projectfilescanner.h"

using namespace ProjectFileLayout;

namespace {

// Plain decimal integers, the writer's usual numbers, without Qt's locale
// aware conversion; false for anything else (a sign other than one minus,
// blanks, more than nine digits, "-0") so that Qt converts it as before.
bool plainInteger(QStringView text, int* value)
{
    const int size = text.size();
    const bool negative = size > 0 && text.at(0) == QLatin1Char('-');
    const int first = negative ? 1 : 0;
    if (size == first || size - first > 9)
        return false;
    int number = 0;
    for (int i = first; i < size; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return false;
        number = number * 10 + int(c - u'0');
    }
    if (negative && number == 0)
        return false;
    *value = negative ? -number : number;
    return true;
}

// Conversions never fail: what does not parse becomes 0 or an invalid colour.
int toInt(QStringView text)
{
    int plain = 0;
    if (plainInteger(text, &plain))
        return plain;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

double toReal(QStringView text)
{
    int plain = 0;
    if (plainInteger(text, &plain))
        return qBound(-ProjectFileReader::coordinateLimit, double(plain), ProjectFileReader::coordinateLimit);
    bool ok = false;
    const double value = text.toDouble(&ok);
    // "inf" and "nan" parse, but no scene can hold such a position; a huge
    // one would overflow the int conversions of the items.
    if (!ok || !std::isfinite(value))
        return 0.0;
    return qBound(-ProjectFileReader::coordinateLimit, value, ProjectFileReader::coordinateLimit);
}

int toSize(QStringView text)
{
    const int limit = int(ProjectFileReader::coordinateLimit);
    return qBound(-limit, toInt(text), limit);
}

// A coordinate as an int within the limit, also from a real such as
// "12.5" or "1e+06".
int toCoordinate(QStringView text)
{
    return int(toReal(text));
}

ColourSpec toColour(QStringView text)
{
    return ColourSpec::fromText(text);
}

// The names of a state's transitions, as many as it says it has.
QStringList transitionNames(const QString& text, int keep)
{
    QStringList names;
    if (text.isEmpty())
        return names;
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
    return names;
}

// One pass over the items, on QXmlStreamReader or on ProjectFileScanner.
template <typename Tokens>
class ItemWalk
{
public:
    ItemWalk(Tokens& source, ProjectFileReader::Records* itemRecords,
             ProjectFileReader::Fields wanted = ProjectFileReader::Fields::All)
        : tokens(source)
        , records(itemRecords)
        , fields(wanted)
    {
    }

    bool run(ProjectFileReader::Pass pass);
    bool readHeader();
    void skip(int count);
    bool nextIsStartTag(QLatin1String name);

private:
    bool hasAttributes(const QLatin1String* names, int count) const;
    // kept: the children whose text is wanted, one bit each; the others are
    // checked alone.
    int readChildTexts(const QLatin1String* names, int count, QString* texts, ForeignContent* foreign = nullptr,
                       quint32 kept = ~0u);
    bool readForeign(ForeignElement* element);
    ForeignContent foreignAttributes(const QLatin1String* names, int count) const;
    bool checkProcessItem();
    bool checkLinkItem();
    bool checkMemoryItem();
    bool checkDataflowItem();
    bool checkStateItem();
    bool checkTransitionItem();
    bool checkTextItem();
    bool readProcessItem();
    bool readLinkItem();
    bool readMemoryItem();
    bool readDataflowItem();
    // Strict: only what the check accepts.
    bool readStateItem(bool strict);
    bool readTransitionItem();
    bool readTextItem();

    Tokens& tokens;
    ProjectFileReader::Records* records;
    // What is kept of states and transitions.
    ProjectFileReader::Fields fields;
};

// QXmlStreamReader with the few calls the walk makes.
class StreamTokens
{
public:
    explicit StreamTokens(QIODevice* device)
        : reader(device)
    {
    }
    QXmlStreamReader::TokenType readNext() { return reader.readNext(); }
    bool atEnd() const { return reader.atEnd(); }
    bool hasError() const { return reader.hasError(); }
    bool nameIs(QLatin1String name) const { return reader.name() == name; }
    bool hasAttribute(QLatin1String name) const { return reader.attributes().hasAttribute(name); }
    QString attribute(QLatin1String name) const { return reader.attributes().value(name).toString(); }
    QString readElementText(bool keep = true)
    {
        const QString text = reader.readElementText();
        return keep ? text : QString();
    }
    QString elementName() const { return reader.name().toString(); }
    QVector<QPair<QString, QString>> attributeList() const
    {
        QVector<QPair<QString, QString>> list;
        for (const QXmlStreamAttribute& attribute : reader.attributes())
            list.append({attribute.qualifiedName().toString(), attribute.value().toString()});
        return list;
    }
    QString characters() const { return reader.text().toString(); }

    QXmlStreamReader reader;
};

template <typename Tokens>
bool ItemWalk<Tokens>::run(ProjectFileReader::Pass pass)
{
    using Pass = ProjectFileReader::Pass;
    bool ok = readHeader();
    while (ok) {
        const QXmlStreamReader::TokenType token = tokens.readNext();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument) {
            ok = false;
            break;
        }
        if (token == QXmlStreamReader::EndElement && tokens.nameIs(tagGraphicsItemList))
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;

        // Reading an item checks what the check needs, except that a state
        // read alone may end early.
        const bool check = pass == Pass::Check;
        if (tokens.nameIs(tagStateItem) && pass == Pass::CheckAndRead)
            ok = readStateItem(true);
        else if (tokens.nameIs(tagProcess))
            ok = check ? checkProcessItem() : readProcessItem();
        else if (tokens.nameIs(tagLink))
            ok = check ? checkLinkItem() : readLinkItem();
        else if (tokens.nameIs(tagMemory))
            ok = check ? checkMemoryItem() : readMemoryItem();
        else if (tokens.nameIs(tagDataflow))
            ok = check ? checkDataflowItem() : readDataflowItem();
        else if (tokens.nameIs(tagStateItem))
            ok = check ? checkStateItem() : readStateItem(false);
        else if (tokens.nameIs(tagTransitionItem))
            ok = check ? checkTransitionItem() : readTransitionItem();
        else if (tokens.nameIs(tagTextItem))
            ok = check ? checkTextItem() : readTextItem();
    }
    return ok;
}

} // namespace

QVector<QPoint> ProjectFileReader::parsePointList(QStringView text)
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

// ---- The walk ----------------------------------------------------------------

template <typename Tokens>
bool ItemWalk<Tokens>::readHeader()
{
    if (tokens.readNext() != QXmlStreamReader::StartDocument)
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

template <typename Tokens>
void ItemWalk<Tokens>::skip(int count)
{
    for (int i = 0; i < count && !tokens.atEnd(); ++i)
        tokens.readNext();
}

template <typename Tokens>
bool ItemWalk<Tokens>::nextIsStartTag(QLatin1String name)
{
    return tokens.readNext() == QXmlStreamReader::StartElement && tokens.nameIs(name);
}

template <typename Tokens>
bool ItemWalk<Tokens>::hasAttributes(const QLatin1String* names, int count) const
{
    for (int i = 0; i < count; ++i) {
        if (!tokens.hasAttribute(names[i]))
            return false;
    }
    return true;
}

// Reads the item's children by name, in any order, into texts, up to the
// item's end tag; a child of another name (from a newer Korvel) is passed
// over whole. Returns how many of the names, in their order, are present
// before the first missing one, as an older file may end an item early;
// -1 when a child comes twice or the XML is broken.
template <typename Tokens>
int ItemWalk<Tokens>::readChildTexts(const QLatin1String* names, int count, QString* texts,
                                     ForeignContent* foreign, quint32 kept)
{
    quint32 seen = 0;
    // Children nearly always come in the writer's order: that name is
    // tried first.
    int expected = 0;
    for (;;) {
        const QXmlStreamReader::TokenType token = tokens.readNext();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument)
            return -1;
        if (token == QXmlStreamReader::EndElement)
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        int i = expected < count && tokens.nameIs(names[expected]) ? expected : 0;
        while (i < count && !tokens.nameIs(names[i]))
            ++i;
        expected = i + 1;
        if (i == count) {
            ForeignElement element;
            if (!readForeign(&element))
                return -1;
            if (foreign)
                foreign->children.append(element);
            continue;
        }
        if (seen & (1u << i))
            return -1;
        seen |= 1u << i;
        texts[i] = tokens.readElementText(kept & (1u << i));
        if (tokens.hasError())
            return -1;
    }
    int present = 0;
    while (present < count && (seen & (1u << present)))
        ++present;
    return present;
}

// Reads the element just started, whatever it holds; blanks between its
// elements are layout, not text.
template <typename Tokens>
bool ItemWalk<Tokens>::readForeign(ForeignElement* element)
{
    element->name = tokens.elementName();
    element->attributes = tokens.attributeList();
    for (;;) {
        const QXmlStreamReader::TokenType token = tokens.readNext();
        if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument)
            return false;
        if (token == QXmlStreamReader::EndElement)
            break;
        if (token == QXmlStreamReader::Characters) {
            element->text += tokens.characters();
        } else if (token == QXmlStreamReader::StartElement) {
            element->children.append(ForeignElement());
            if (!readForeign(&element->children.last()))
                return false;
        }
    }
    if (!element->children.isEmpty())
        element->text.clear();
    return true;
}

// The attributes of the element just started that are not among the names.
template <typename Tokens>
ForeignContent ItemWalk<Tokens>::foreignAttributes(const QLatin1String* names, int count) const
{
    ForeignContent foreign;
    for (const QPair<QString, QString>& attribute : tokens.attributeList()) {
        int i = 0;
        while (i < count && attribute.first != names[i])
            ++i;
        if (i == count)
            foreign.attributes.append(attribute);
    }
    return foreign;
}

// ---- Attribute items --------------------------------------------------------

template <typename Tokens>
bool ItemWalk<Tokens>::checkProcessItem()
{
    return hasAttributes(processAttributes, processAttributeCount);
}

template <typename Tokens>
bool ItemWalk<Tokens>::checkLinkItem()
{
    return hasAttributes(linkAttributes, linkAttributeCount);
}

template <typename Tokens>
bool ItemWalk<Tokens>::checkMemoryItem()
{
    return hasAttributes(memoryAttributes, memoryAttributeCount);
}

template <typename Tokens>
bool ItemWalk<Tokens>::checkDataflowItem()
{
    return hasAttributes(dataflowAttributes, dataflowAttributeCount);
}

template <typename Tokens>
bool ItemWalk<Tokens>::readProcessItem()
{
    if (!checkProcessItem())
        return false;
    const auto value = [this](int field) { return tokens.attribute(processAttributes[field]); };
    t_processItemReadFromXML r;
    r.level = toInt(value(pLevel));
    r.Nos = toInt(value(pNos));
    r.id = toInt(value(pId));
    r.label = value(pLabel);
    r.parentId = toInt(value(pParentId));
    r.grandParentId = toInt(value(pGrandParentId));
    r.xCoord = toReal(value(pX));
    r.yCoord = toReal(value(pY));
    r.width = toSize(value(pWidth));
    r.height = toSize(value(pHeight));
    r.shape = toInt(value(pShape));
    r.code = value(pCode);
    r.description = value(pDescription);
    r.backgroundColour = toColour(value(pColour));
    r.polygon = ProjectFileReader::parsePointList(value(pPolygon));
    r.foreign = foreignAttributes(processAttributes, processAttributeCount);
    records->processes.append(std::move(r));
    return true;
}

template <typename Tokens>
bool ItemWalk<Tokens>::readLinkItem()
{
    if (!checkLinkItem())
        return false;
    const auto value = [this](int field) { return tokens.attribute(linkAttributes[field]); };
    t_linkItemReadFromXML r;
    r.level = toInt(value(lLevel));
    r.parentId = toInt(value(lParentId));
    r.grandParentId = toInt(value(lGrandParentId));
    r.xCoord = toReal(value(lX));
    r.yCoord = toReal(value(lY));
    r.label = value(lLabel);
    r.description = value(lDescription);
    r.datatype = value(lDatatype);
    r.startItem = value(lStart);
    r.endItem = value(lEnd);
    r.backgroundColour = toColour(value(lColour));
    r.polygon = ProjectFileReader::parsePointList(value(lPolygon));
    r.foreign = foreignAttributes(linkAttributes, linkAttributeCount);
    records->links.append(std::move(r));
    return true;
}

template <typename Tokens>
bool ItemWalk<Tokens>::readMemoryItem()
{
    if (!checkMemoryItem())
        return false;
    const auto value = [this](int field) { return tokens.attribute(memoryAttributes[field]); };
    t_memoryItemReadFromXML r;
    r.level = toInt(value(mLevel));
    r.parentId = toInt(value(mParentId));
    r.grandParentId = toInt(value(mGrandParentId));
    r.xCoord = toReal(value(mX));
    r.yCoord = toReal(value(mY));
    r.label = value(mLabel);
    r.description = value(mDescription);
    r.datatype = value(mDatatype);
    r.backgroundColour = toColour(value(mColour));
    r.polygon = ProjectFileReader::parsePointList(value(mPolygon));
    r.foreign = foreignAttributes(memoryAttributes, memoryAttributeCount);
    records->memories.append(std::move(r));
    return true;
}

template <typename Tokens>
bool ItemWalk<Tokens>::readDataflowItem()
{
    if (!checkDataflowItem())
        return false;
    const auto value = [this](int field) { return tokens.attribute(dataflowAttributes[field]); };
    t_dataflowItemReadFromXML r;
    r.level = toInt(value(dLevel));
    r.parentId = toInt(value(dParentId));
    r.grandParentId = toInt(value(dGrandParentId));
    r.lineType = toInt(value(dLineType));
    r.xCoord = toReal(value(dX));
    r.yCoord = toReal(value(dY));
    r.label = value(dLabel);
    r.description = value(dDescription);
    r.datatype = value(dDatatype);
    r.startItem = value(dStart);
    r.endItem = value(dEnd);
    r.backgroundColour = toColour(value(dColour));
    r.polygon = ProjectFileReader::parsePointList(value(dPolygon));
    r.foreign = foreignAttributes(dataflowAttributes, dataflowAttributeCount);
    records->dataflows.append(std::move(r));
    return true;
}

// ---- Text-element items -----------------------------------------------------

template <typename Tokens>
bool ItemWalk<Tokens>::checkStateItem()
{
    QString texts[stateChildCount];
    if (readChildTexts(stateChildren, stateChildCount, texts) != stateChildCount)
        return false;
    // Only 0 and 1 mean anything; larger values come from a foreign writer.
    return toInt(texts[sInitial]) <= 1;
}

template <typename Tokens>
bool ItemWalk<Tokens>::checkTransitionItem()
{
    QString texts[transitionChildCount];
    return readChildTexts(transitionChildren, transitionChildCount, texts) == transitionChildCount;
}

template <typename Tokens>
bool ItemWalk<Tokens>::checkTextItem()
{
    QString texts[textChildCount];
    return readChildTexts(textChildren, textChildCount, texts) == textChildCount;
}

// Strict: every field present and the initial flag 0 or 1.
template <typename Tokens>
bool ItemWalk<Tokens>::readStateItem(bool strict)
{
    QString texts[stateChildCount];
    ForeignContent foreign;
    using Fields = ProjectFileReader::Fields;
    const quint32 placed = 1u << sLevel | 1u << sParentId | 1u << sGrandParentId | 1u << sLabel | 1u << sInitial;
    const quint32 generated = placed | 1u << sInitCondition | 1u << sInitDescription | 1u << sAction
        | 1u << sDescription;
    const quint32 kept = fields == Fields::All ? ~0u : fields == Fields::Placement ? placed : generated;
    const int present =
        readChildTexts(stateChildren, stateChildCount, texts, fields == Fields::All ? &foreign : nullptr, kept);
    if (strict ? present != stateChildCount || toInt(texts[sInitial]) > 1
               : present < stateRequiredForRead)
        return false;
    t_stateItemReadFromXML r;
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
    r.polygon = ProjectFileReader::parsePointList(texts[sPolygon]);
    // Older files may end a state early; what is there is kept.
    if (present > sAction)
        r.action = texts[sAction];
    if (present > sDescription)
        r.description = texts[sDescription];
    if (present > sNumberOfTI)
        r.numberOfTI = toInt(texts[sNumberOfTI]);
    if (present > sTransitions)
        r.transitions = transitionNames(texts[sTransitions], r.numberOfTI);
    r.foreign = std::move(foreign);
    records->states.append(std::move(r));
    return true;
}

template <typename Tokens>
bool ItemWalk<Tokens>::readTransitionItem()
{
    QString texts[transitionChildCount];
    ForeignContent foreign;
    using Fields = ProjectFileReader::Fields;
    const quint32 placed = 1u << tLevel | 1u << tParentId | 1u << tGrandParentId | 1u << tLabel | 1u << tStart
        | 1u << tEnd;
    const quint32 generated = placed | 1u << tCondition | 1u << tAction;
    const quint32 kept = fields == Fields::All ? ~0u : fields == Fields::Placement ? placed : generated;
    if (readChildTexts(transitionChildren, transitionChildCount, texts, fields == Fields::All ? &foreign : nullptr,
                       kept)
        != transitionChildCount)
        return false;
    t_transitionItemReadFromXML r;
    r.foreign = std::move(foreign);
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
    r.polygon = ProjectFileReader::parsePointList(texts[tPolygon]);
    r.startItem = texts[tStart];
    r.endItem = texts[tEnd];
    r.description = texts[tDescription];
    r.action = texts[tAction];
    records->transitions.append(std::move(r));
    return true;
}

template <typename Tokens>
bool ItemWalk<Tokens>::readTextItem()
{
    QString texts[textChildCount];
    ForeignContent foreign;
    if (readChildTexts(textChildren, textChildCount, texts, &foreign) != textChildCount)
        return false;
    t_textItemReadFromXML r;
    r.foreign = std::move(foreign);
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
    r.polygon = ProjectFileReader::parsePointList(texts[xPolygon]);
    r.action = texts[xAction];
    records->texts.append(std::move(r));
    return true;
}

// ---- The passes ----------------------------------------------------------------

bool ProjectFileReader::startsLikeProject(QIODevice* device)
{
    if (!device || !device->isReadable())
        return false;
    QXmlStreamReader reader(device->peek(startWindow));
    return reader.readNext() == QXmlStreamReader::StartDocument
        && reader.readNext() == QXmlStreamReader::StartElement && reader.name() == tagVornProject;
}

bool ProjectFileReader::readNames(QIODevice* device, QString* names)
{
    if (!startsLikeProject(device))
        return false;
    StreamTokens source(device);
    QXmlStreamReader& reader = source.reader;
    ItemWalk<StreamTokens> pass(source, nullptr);
    bool ok = reader.readNext() == QXmlStreamReader::StartDocument
        && pass.nextIsStartTag(tagVornProject);
    if (ok) {
        pass.skip(1);
        ok = pass.nextIsStartTag(tagProjectFiles);
    }
    QString text;
    if (ok) {
        text = reader.readElementText();
        ok = !reader.hasError();
    }
    if (ok) {
        pass.skip(2);
        if (names)
            *names = text;
    }
    return ok;
}

namespace {

void appendRecords(ProjectFileReader::Records* to, ProjectFileReader::Records& from)
{
    const auto append = [](auto& target, auto& source) {
        if (target.isEmpty())
            target.swap(source);
        else
            target += source;
    };
    append(to->processes, from.processes);
    append(to->states, from.states);
    append(to->transitions, from.transitions);
    append(to->texts, from.texts);
    append(to->links, from.links);
    append(to->memories, from.memories);
    append(to->dataflows, from.dataflows);
}

} // namespace

bool ProjectFileReader::run(QIODevice* device, Pass pass, Records* records, bool* scanned, Fields fields)
{
    if (scanned)
        *scanned = false;
    if (!startsLikeProject(device))
        return false;
    // The scanner reads the bytes at once: a buffer's own, or a whole file
    // (not mapped: a file cut short meanwhile must not crash the reader). It
    // is several times faster than the stream reader, and gives up, leaving
    // the file to it, on anything unusual.
    const qint64 from = device->pos();
    QByteArray whole;
    const char* data = nullptr;
    qint64 size = 0;
    auto* file = qobject_cast<QFile*>(device);
    if (auto* buffer = qobject_cast<QBuffer*>(device)) {
        data = buffer->data().constData() + from;
        size = buffer->data().size() - from;
    } else if (file && !file->isSequential()) {
        whole = file->readAll();
        if (!file->seek(from))
            return runWithStreamReader(device, pass, records, fields);
        data = whole.constData();
        size = whole.size();
    }
    if (data && size > 0) {
        Records read;
        ProjectFileScanner scanner(data, size);
        const bool sound = ItemWalk<ProjectFileScanner>(scanner, &read, fields).run(pass);
        if (!scanner.left()) {
            if (scanned)
                *scanned = true;
            if (records && (sound || pass == Pass::Read))
                appendRecords(records, read);
            return sound;
        }
        // A file cut short (or a valid start followed by a huge token) is
        // refused here; only the lenient read wants what comes before the cut.
        if (scanner.ranOut() && pass != Pass::Read)
            return false;
    }
    // The stream reader reads the file again, on its own.
    whole = QByteArray();
    return runWithStreamReader(device, pass, records, fields);
}

bool ProjectFileReader::runWithStreamReader(QIODevice* device, Pass pass, Records* records, Fields fields)
{
    if (!startsLikeProject(device))
        return false;
    Records read;
    StreamTokens source(device);
    const bool sound = ItemWalk<StreamTokens>(source, &read, fields).run(pass);
    if (records && (sound || pass == Pass::Read))
        appendRecords(records, read);
    return sound;
}
