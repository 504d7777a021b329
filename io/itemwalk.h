#ifndef ITEMWALK_H
#define ITEMWALK_H

#include <QXmlStreamReader>

#include "itemvalues.h"
#include "nameindex.h"
#include "projectfilelayout.h"
#include "projectfilereader.h"

// The walk over a project file's items, shared by both tokenizers.
namespace ItemWalking {

using namespace ProjectFileLayout;

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
    void keepStateKey(const QString* texts);
    void keepTransitionKey(const QString* texts);

    Tokens& tokens;
    ProjectFileReader::Records* records;
    // What is kept of states and transitions.
    ProjectFileReader::Fields fields;
    // The state labels read, by their place in the keys, whose text the
    // ends of the transition keys share.
    NameIndex stateLabels;
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
    r.level = ItemValues::toInt(value(pLevel));
    r.Nos = ItemValues::toInt(value(pNos));
    r.id = ItemValues::toInt(value(pId));
    r.label = value(pLabel);
    r.parentId = ItemValues::toInt(value(pParentId));
    r.grandParentId = ItemValues::toInt(value(pGrandParentId));
    r.xCoord = ItemValues::toReal(value(pX));
    r.yCoord = ItemValues::toReal(value(pY));
    r.width = ItemValues::toSize(value(pWidth));
    r.height = ItemValues::toSize(value(pHeight));
    r.shape = ItemValues::toInt(value(pShape));
    r.code = value(pCode);
    r.description = value(pDescription);
    r.backgroundColour = ItemValues::toColour(value(pColour));
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
    r.level = ItemValues::toInt(value(lLevel));
    r.parentId = ItemValues::toInt(value(lParentId));
    r.grandParentId = ItemValues::toInt(value(lGrandParentId));
    r.xCoord = ItemValues::toReal(value(lX));
    r.yCoord = ItemValues::toReal(value(lY));
    r.label = value(lLabel);
    r.description = value(lDescription);
    r.datatype = value(lDatatype);
    r.startItem = value(lStart);
    r.endItem = value(lEnd);
    r.backgroundColour = ItemValues::toColour(value(lColour));
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
    r.level = ItemValues::toInt(value(mLevel));
    r.parentId = ItemValues::toInt(value(mParentId));
    r.grandParentId = ItemValues::toInt(value(mGrandParentId));
    r.xCoord = ItemValues::toReal(value(mX));
    r.yCoord = ItemValues::toReal(value(mY));
    r.label = value(mLabel);
    r.description = value(mDescription);
    r.datatype = value(mDatatype);
    r.backgroundColour = ItemValues::toColour(value(mColour));
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
    r.level = ItemValues::toInt(value(dLevel));
    r.parentId = ItemValues::toInt(value(dParentId));
    r.grandParentId = ItemValues::toInt(value(dGrandParentId));
    r.lineType = ItemValues::toInt(value(dLineType));
    r.xCoord = ItemValues::toReal(value(dX));
    r.yCoord = ItemValues::toReal(value(dY));
    r.label = value(dLabel);
    r.description = value(dDescription);
    r.datatype = value(dDatatype);
    r.startItem = value(dStart);
    r.endItem = value(dEnd);
    r.backgroundColour = ItemValues::toColour(value(dColour));
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
    return ItemValues::toInt(texts[sInitial]) <= 1;
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
    if (strict ? present != stateChildCount || ItemValues::toInt(texts[sInitial]) > 1
               : present < stateRequiredForRead)
        return false;
    if (fields == Fields::Placement) {
        keepStateKey(texts);
        return true;
    }
    t_stateItemReadFromXML r;
    r.level = ItemValues::toInt(texts[sLevel]);
    r.parentId = ItemValues::toInt(texts[sParentId]);
    r.grandParentId = ItemValues::toInt(texts[sGrandParentId]);
    r.label = texts[sLabel];
    r.ifInitialState = ItemValues::toInt(texts[sInitial]) != 0;
    r.initialCondition = texts[sInitCondition];
    r.initialDescription = texts[sInitDescription];
    r.xCoord = ItemValues::toReal(texts[sX]);
    r.yCoord = ItemValues::toReal(texts[sY]);
    r.width = ItemValues::toSize(texts[sWidth]);
    r.height = ItemValues::toSize(texts[sHeight]);
    r.backgroundColour = ItemValues::toColour(texts[sColour]);
    r.polygon = ProjectFileReader::parsePointList(texts[sPolygon]);
    // Older files may end a state early; what is there is kept.
    if (present > sAction)
        r.action = texts[sAction];
    if (present > sDescription)
        r.description = texts[sDescription];
    if (present > sNumberOfTI)
        r.numberOfTI = ItemValues::toInt(texts[sNumberOfTI]);
    if (present > sTransitions)
        r.transitions = ItemValues::transitionNames(texts[sTransitions], r.numberOfTI);
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
    if (fields == Fields::Placement) {
        keepTransitionKey(texts);
        return true;
    }
    t_transitionItemReadFromXML r;
    r.foreign = std::move(foreign);
    r.level = ItemValues::toInt(texts[tLevel]);
    r.parentId = ItemValues::toInt(texts[tParentId]);
    r.grandParentId = ItemValues::toInt(texts[tGrandParentId]);
    r.label = texts[tLabel];
    r.condition = texts[tCondition];
    r.backgroundColour = ItemValues::toColour(texts[tColour]);
    r.xCoord = ItemValues::toReal(texts[tX]);
    r.yCoord = ItemValues::toReal(texts[tY]);
    r.width = ItemValues::toSize(texts[tWidth]);
    r.height = ItemValues::toSize(texts[tHeight]);
    r.polygon = ProjectFileReader::parsePointList(texts[tPolygon]);
    r.startItem = texts[tStart];
    r.endItem = texts[tEnd];
    r.description = texts[tDescription];
    r.action = texts[tAction];
    records->transitions.append(std::move(r));
    return true;
}

template <typename Tokens>
void ItemWalk<Tokens>::keepStateKey(const QString* texts)
{
    const QVector<PlacementKeys::State>& states = records->keys.states();
    const int known = stateLabels.insertNew(texts[sLabel], states.size());
    const QString label = known < 0 ? texts[sLabel] : states.at(known).label;
    records->keys.addState(ItemValues::toInt(texts[sLevel]), ItemValues::toInt(texts[sParentId]),
                           ItemValues::toInt(texts[sGrandParentId]), label);
}

template <typename Tokens>
void ItemWalk<Tokens>::keepTransitionKey(const QString* texts)
{
    // Most ends name a state already read: they share its label's text.
    const auto shared = [this](const QString& text) {
        const int known = stateLabels.value(text);
        return known < 0 ? text : records->keys.states().at(known).label;
    };
    records->keys.addTransition(ItemValues::toInt(texts[tLevel]), ItemValues::toInt(texts[tParentId]),
                                ItemValues::toInt(texts[tGrandParentId]), texts[tLabel], shared(texts[tStart]),
                                shared(texts[tEnd]));
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
    r.level = ItemValues::toInt(texts[xLevel]);
    r.parentId = ItemValues::toInt(texts[xParentId]);
    r.grandParentId = ItemValues::toInt(texts[xGrandParentId]);
    r.xCoord = ItemValues::toReal(texts[xX]);
    r.yCoord = ItemValues::toReal(texts[xY]);
    r.width = ItemValues::toSize(texts[xWidth]);
    r.height = ItemValues::toSize(texts[xHeight]);
    r.type = ItemValues::toInt(texts[xType]);
    r.backgroundColour = ItemValues::toColour(texts[xColour]);
    r.textColour = ItemValues::toColour(texts[xTextColour]);
    r.polygon = ProjectFileReader::parsePointList(texts[xPolygon]);
    r.action = texts[xAction];
    records->texts.append(std::move(r));
    return true;
}

} // namespace ItemWalking

#endif // ITEMWALK_H
