#include "projectfilescanner.h"

#include <QIODevice>

#include <cstring>

namespace {

// Character classes of the bytes, looked up once per byte.
enum : unsigned char {
    Other = 0,      // ends a name or a value; in text, not passed on
    Plain = 1,      // text and attribute values take it as it is
    Name = 2 | 1,   // may go on a name, and is plain
    NameStart = 4 | 2 | 1,
};

struct Classes
{
    unsigned char of[256] = {};
    constexpr Classes()
    {
        for (int c = 0x20; c < 0x80; ++c)
            of[c] = Plain;
        for (int c = 'a'; c <= 'z'; ++c)
            of[c] = NameStart;
        for (int c = 'A'; c <= 'Z'; ++c)
            of[c] = NameStart;
        of[int('_')] = NameStart;
        for (int c = '0'; c <= '9'; ++c)
            of[c] = Name;
        of[int('.')] = Name;
        of[int('-')] = Name;
        // Stops that the loops look at one by one.
        of[int('<')] = Other;
        of[int('&')] = Other;
        of[int('>')] = Other;
        of[int('"')] = Other;
    }
};
constexpr Classes classes;

unsigned char classOf(char c)
{
    return classes.of[static_cast<unsigned char>(c)];
}

bool isNameStart(char c)
{
    return (classOf(c) & 4) != 0;
}

bool isNameChar(char c)
{
    return (classOf(c) & 2) != 0;
}

// Characters that the scanner passes on as they are; the rest (other
// controls, anything beyond ASCII) it leaves to QXmlStreamReader.
bool isPlainChar(char c, bool carriageReturn)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80)
        return false;
    return byte >= 0x20 || c == '\t' || c == '\n' || (carriageReturn && c == '\r');
}

// The scanner never looks further ahead than this from where it stands; a
// give-up closer than this to the end of the window may be for want of bytes.
constexpr qint64 lookahead = 64;
// A token longer than this is left to the stream reader.
constexpr int longestToken = 1 << 30;

} // namespace

ProjectFileScanner::ProjectFileScanner(const char* data, qint64 size)
    : at(data)
    , end(data + size)
{
    open.reserve(16);
    attributes.reserve(32);
}

ProjectFileScanner::ProjectFileScanner(QIODevice* source, int pieceSize)
    : ProjectFileScanner(static_cast<const char*>(nullptr), 0)
{
    device = source;
    piece = qMax(1, pieceSize);
    window.reserve(piece);
    at = end = tokenStart = window.constData();
    loadMore(at);
}

bool ProjectFileScanner::loadMore(const char* keepFrom)
{
    const int kept = int(end - keepFrom);
    if (!device || kept > longestToken)
        return false;
    const qint64 read = at - keepFrom;
    window.remove(0, int(keepFrom - window.constData()));
    // A token longer than a piece doubles the window, so that reading it
    // again and again costs no more than reading it a few times.
    const int more = qMax(piece, kept);
    window.resize(kept + more);
    const qint64 got = qMax<qint64>(device->read(window.data() + kept, more), 0);
    window.resize(kept + int(got));
    tokenStart = window.constData();
    at = tokenStart + read;
    end = tokenStart + window.size();
    return got > 0;
}

bool ProjectFileScanner::retryWithMore(QXmlStreamReader::TokenType tokenBefore)
{
    if (!device || end - at > lookahead || !loadMore(tokenStart))
        return false;
    gaveUp = false;
    token = tokenBefore;
    at = tokenStart;
    return true;
}

QXmlStreamReader::TokenType ProjectFileScanner::giveUp()
{
    gaveUp = true;
    return token = QXmlStreamReader::Invalid;
}

QXmlStreamReader::TokenType ProjectFileScanner::readNext()
{
    if (gaveUp)
        return QXmlStreamReader::Invalid;
    for (;;) {
        tokenStart = at;
        const QXmlStreamReader::TokenType before = token;
        const QXmlStreamReader::TokenType next = readNextToken();
        if (!gaveUp || !retryWithMore(before))
            return next;
    }
}

QXmlStreamReader::TokenType ProjectFileScanner::readNextToken()
{
    if (pendingEnd) {
        pendingEnd = false;
        openNames.truncate(open.takeLast());
        rootClosed = open.isEmpty();
        return token = QXmlStreamReader::EndElement;
    }
    if (token == QXmlStreamReader::NoToken) {
        static const char declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
        const qint64 length = sizeof(declaration) - 1;
        if (end - at < length || std::memcmp(at, declaration, length) != 0)
            return giveUp();
        at += length;
        return token = QXmlStreamReader::StartDocument;
    }
    if (open.isEmpty()) {
        // Around the root element whitespace is no token.
        for (;;) {
            while (at < end && (*at == ' ' || *at == '\n' || *at == '\t' || *at == '\r'))
                ++at;
            if (at < end || !loadMore(at))
                break;
        }
        tokenStart = at;
        if (rootClosed)
            return at == end ? token = QXmlStreamReader::EndDocument : giveUp();
        if (at == end || *at != '<')
            return giveUp();
        return startTag();
    }
    if (at == end)
        return giveUp();
    if (*at == '<')
        return at + 1 < end && at[1] == '/' ? endTag() : startTag();

    // Text up to the next tag, as one token; entities could split it.
    const char* from = at;
    for (; at < end && *at != '<'; ++at) {
        while (at < end && classOf(*at) & Plain)
            ++at;
        if (at == end || *at == '<')
            break;
        if (!isPlainChar(*at, true) || *at == '&')
            return giveUp();
        if (*at == '>' && at - from >= 2 && at[-1] == ']' && at[-2] == ']')
            return giveUp();
    }
    if (at == end)
        return giveUp();
    text = {from, int(at - from)};
    return token = QXmlStreamReader::Characters;
}

bool ProjectFileScanner::scanName(Span* span)
{
    if (at == end || !isNameStart(*at))
        return false;
    const char* from = at;
    while (at < end && isNameChar(*at))
        ++at;
    *span = Span {from, int(at - from)};
    return true;
}

QXmlStreamReader::TokenType ProjectFileScanner::startTag()
{
    ++at;
    if (!scanName(&name))
        return giveUp();
    attributes.clear();
    for (;;) {
        if (at == end)
            return giveUp();
        if (*at == '>') {
            ++at;
            selfClosing = false;
            break;
        }
        if (*at == '/') {
            if (at + 1 == end || at[1] != '>')
                return giveUp();
            at += 2;
            selfClosing = true;
            break;
        }
        if (*at != ' ')
            return giveUp();
        while (at < end && *at == ' ')
            ++at;
        if (at < end && (*at == '>' || *at == '/'))
            continue;
        Span attributeName;
        if (!scanName(&attributeName) || end - at < 2 || at[0] != '=' || at[1] != '"')
            return giveUp();
        at += 2;
        const char* from = at;
        while (at < end && classOf(*at) & Plain)
            ++at;
        // Past the plain bytes only '>' may stand in a value.
        while (at < end && *at == '>') {
            ++at;
            while (at < end && classOf(*at) & Plain)
                ++at;
        }
        if (at == end || *at != '"')
            return giveUp();
        const Span value {from, int(at - from)};
        ++at;
        for (int i = 0; i < attributes.size(); i += 2) {
            if (attributes.at(i).size == attributeName.size
                && std::memcmp(attributes.at(i).at, attributeName.at, size_t(attributeName.size)) == 0)
                return giveUp();
        }
        attributes << attributeName << value;
    }
    open.append(openNames.size());
    openNames.append(name.at, name.size);
    pendingEnd = selfClosing;
    return token = QXmlStreamReader::StartElement;
}

QXmlStreamReader::TokenType ProjectFileScanner::endTag()
{
    at += 2;
    Span closed;
    if (!scanName(&closed) || at == end || *at != '>' || open.isEmpty())
        return giveUp();
    ++at;
    const int top = open.last();
    if (openNames.size() - top != closed.size
        || std::memcmp(openNames.constData() + top, closed.at, size_t(closed.size)) != 0)
        return giveUp();
    openNames.truncate(open.takeLast());
    rootClosed = open.isEmpty();
    name = closed;
    return token = QXmlStreamReader::EndElement;
}

bool ProjectFileScanner::nameIs(QLatin1String expected) const
{
    return name.size == expected.size() && std::memcmp(name.at, expected.data(), size_t(name.size)) == 0;
}

const ProjectFileScanner::Span* ProjectFileScanner::findAttribute(QLatin1String wanted) const
{
    for (int i = 0; i < attributes.size(); i += 2) {
        const Span& span = attributes.at(i);
        if (span.size == wanted.size() && std::memcmp(span.at, wanted.data(), size_t(span.size)) == 0)
            return &attributes.at(i + 1);
    }
    return nullptr;
}

bool ProjectFileScanner::hasAttribute(QLatin1String wanted) const
{
    return token == QXmlStreamReader::StartElement && findAttribute(wanted);
}

QString ProjectFileScanner::elementName() const
{
    return QString::fromLatin1(name.at, name.size);
}

QVector<QPair<QString, QString>> ProjectFileScanner::attributeList() const
{
    QVector<QPair<QString, QString>> list;
    for (int i = 0; token == QXmlStreamReader::StartElement && i + 1 < attributes.size(); i += 2) {
        list.append({QString::fromLatin1(attributes.at(i).at, attributes.at(i).size),
                     QString::fromLatin1(attributes.at(i + 1).at, attributes.at(i + 1).size)});
    }
    return list;
}

QString ProjectFileScanner::characters() const
{
    return token == QXmlStreamReader::Characters ? QString::fromLatin1(text.at, text.size) : QString();
}

QString ProjectFileScanner::attribute(QLatin1String wanted) const
{
    const Span* value = token == QXmlStreamReader::StartElement ? findAttribute(wanted) : nullptr;
    return value ? QString::fromLatin1(value->at, value->size) : QString();
}

QString ProjectFileScanner::readElementText(bool keep)
{
    if (gaveUp || token != QXmlStreamReader::StartElement) {
        giveUp();
        return QString();
    }
    for (;;) {
        tokenStart = at;
        const QString text = readText(keep);
        if (!gaveUp || !retryWithMore(QXmlStreamReader::StartElement))
            return text;
    }
}

QString ProjectFileScanner::readText(bool keep)
{
    if (pendingEnd) {
        readNext();
        return QString();
    }
    const char* from = at;
    bool entities = false;
    for (; at < end && *at != '<'; ++at) {
        while (at < end && classOf(*at) & Plain)
            ++at;
        if (at == end || *at == '<')
            break;
        // A carriage return would be normalised; the stream reader does that.
        if (!isPlainChar(*at, false)) {
            giveUp();
            return QString();
        }
        entities = entities || *at == '&';
        if (*at == '>' && at - from >= 2 && at[-1] == ']' && at[-2] == ']') {
            giveUp();
            return QString();
        }
    }
    const int size = int(at - from);
    if (at + 1 >= end || at[1] != '/' || endTag() != QXmlStreamReader::EndElement) {
        giveUp();
        return QString();
    }
    if (size == 0 || (!keep && !entities))
        return QString();
    if (!entities)
        return QString::fromLatin1(from, size);

    static const struct { const char* name; int size; char character; } predefined[] = {
        {"&amp;", 5, '&'}, {"&lt;", 4, '<'}, {"&gt;", 4, '>'}, {"&quot;", 6, '"'}, {"&apos;", 6, '\''}};
    QString text;
    text.reserve(size);
    const char* stop = from + size;
    for (const char* c = from; c < stop;) {
        if (*c != '&') {
            text += QLatin1Char(*c++);
            continue;
        }
        bool known = false;
        for (const auto& entity : predefined) {
            if (stop - c >= entity.size && std::memcmp(c, entity.name, size_t(entity.size)) == 0) {
                text += QLatin1Char(entity.character);
                c += entity.size;
                known = true;
                break;
            }
        }
        if (!known) {
            giveUp();
            return QString();
        }
    }
    return keep ? text : QString();
}
