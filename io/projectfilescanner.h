#ifndef PROJECTFILESCANNER_H
#define PROJECTFILESCANNER_H

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QXmlStreamReader>

class QIODevice;

// A tokenizer for the plain XML the project writer produces, giving the same
// tokens as QXmlStreamReader several times faster. It knows a strict subset:
// the exact declaration, ASCII names and text, double-quoted attributes
// without entities, and only the five predefined entities in element text.
// Anything outside it (comments, other encodings, character references, a
// broken document) makes it give up: left() turns true and the caller reads
// the document with QXmlStreamReader instead, which then decides.
//
// It reads bytes held in memory, or a device a window at a time, so that a
// large file is never held whole.
class ProjectFileScanner
{
public:
    ProjectFileScanner(const char* data, qint64 size);
    // Reads the device piece bytes at a time, or more for a longer token.
    explicit ProjectFileScanner(QIODevice* device, int piece = 1 << 20);

    QXmlStreamReader::TokenType readNext();
    bool atEnd() const { return left() || token == QXmlStreamReader::EndDocument; }
    bool left() const { return gaveUp; }
    bool hasError() const { return gaveUp; }
    // Gave up because the bytes ended inside the document: no XML reader
    // could take it, so there is nothing left for QXmlStreamReader to decide.
    bool ranOut() const { return gaveUp && at >= end; }

    bool nameIs(QLatin1String name) const;
    bool hasAttribute(QLatin1String name) const;
    QString attribute(QLatin1String name) const;
    // The text up to the end tag of the element just started; checked but
    // not kept (null) when keep is false.
    QString readElementText(bool keep = true);
    // The name and the attributes of the element just started, and the text
    // just read.
    QString elementName() const;
    QVector<QPair<QString, QString>> attributeList() const;
    QString characters() const;

private:
    struct Span
    {
        const char* at;
        int size;
    };
    QXmlStreamReader::TokenType giveUp();
    // A token that ran into the end of the window is read again once more of
    // the device is in it; false when there is no more.
    bool retryWithMore(QXmlStreamReader::TokenType tokenBefore);
    bool loadMore(const char* keepFrom);
    QXmlStreamReader::TokenType readNextToken();
    QString readText(bool keep);
    QXmlStreamReader::TokenType startTag();
    QXmlStreamReader::TokenType endTag();
    bool scanName(Span* name);
    const Span* findAttribute(QLatin1String name) const;

    const char* at;
    const char* end;
    QXmlStreamReader::TokenType token = QXmlStreamReader::NoToken;
    bool gaveUp = false;
    bool selfClosing = false;
    bool pendingEnd = false;
    bool rootClosed = false;
    Span name {nullptr, 0};
    Span text {nullptr, 0};
    // The names of the open elements, one after another, and where each
    // starts: they outlive the window they were read from.
    QByteArray openNames;
    QVector<int> open;
    // Name and value of each attribute of the current start tag.
    QVector<Span> attributes;
    QIODevice* device = nullptr;
    int piece = 0;
    QByteArray window;
    // Where the token being read starts: what a load of more bytes keeps.
    const char* tokenStart = nullptr;
};

#endif // PROJECTFILESCANNER_H
