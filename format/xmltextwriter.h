#ifndef XMLTEXTWRITER_H
#define XMLTEXTWRITER_H

#include <QString>
#include <QVector>

// Writes XML into a string exactly as QXmlStreamWriter does with automatic
// formatting (four blanks per level, an empty element closed as "<a/>"),
// for the elements, attributes and text a project file has, at a fraction
// of its cost: no namespaces, no checks of names. Text must already be free
// of characters XML cannot carry (ProjectFileWriter::xmlSafe).
class XmlTextWriter
{
public:
    explicit XmlTextWriter(QString* output);

    void writeStartElement(QLatin1String name);
    void writeStartElement(const QString& name);
    void writeAttribute(QLatin1String name, const QString& value);
    void writeAttribute(const QString& name, const QString& value);
    void writeTextElement(QLatin1String name, const QString& text) { writeTextElement(name, QStringView(text)); }
    void writeTextElement(QLatin1String name, QStringView text);
    void writeTextElement(const QString& name, const QString& text);
    // Text inside the element just started.
    void writeCharacters(const QString& text);
    void writeEndElement();

private:
    void finishStartElement(bool contents, bool* hadContents);
    void indent(int depth);
    void writeEscaped(QStringView text, bool escapeWhitespace);

    // An open element's name: the constant it was given, or its own copy.
    struct Name
    {
        QLatin1String constant;
        QString text;
    };

    QString* out;
    QVector<Name> open;
    bool inStartElement = false;
    bool lastWasStartElement = false;
    bool wroteSomething = false;
};

#endif // XMLTEXTWRITER_H
