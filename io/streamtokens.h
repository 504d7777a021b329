#ifndef STREAMTOKENS_H
#define STREAMTOKENS_H

#include <QPair>
#include <QString>
#include <QVector>
#include <QXmlStreamReader>

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

#endif // STREAMTOKENS_H
