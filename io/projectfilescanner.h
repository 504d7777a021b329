#ifndef PROJECTFILESCANNER_H
#define PROJECTFILESCANNER_H

#include <QString>
#include <QVector>
#include <QXmlStreamReader>

// A tokenizer for the plain XML the project writer produces, giving the same
// tokens as QXmlStreamReader several times faster. It knows a strict subset:
// the exact declaration, ASCII names and text, double-quoted attributes
// without entities, and only the five predefined entities in element text.
// Anything outside it (comments, other encodings, character references, a
// broken document) makes it give up: left() turns true and the caller reads
// the document with QXmlStreamReader instead, which then decides.
class ProjectFileScanner
{
public:
    ProjectFileScanner(const char* data, qint64 size);

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
    QVector<Span> open;
    // Name and value of each attribute of the current start tag.
    QVector<Span> attributes;
};

#endif // PROJECTFILESCANNER_H
