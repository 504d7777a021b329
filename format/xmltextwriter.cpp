#include "xmltextwriter.h"

XmlTextWriter::XmlTextWriter(QString* output)
    : out(output)
{
    open.reserve(16);
}

// Closes a pending start tag; hadContents tells whether anything was
// written since the last call, as the stream writer decides its line breaks.
void XmlTextWriter::finishStartElement(bool contents, bool* hadContents)
{
    *hadContents = wroteSomething;
    wroteSomething = contents;
    if (!inStartElement)
        return;
    *out += QLatin1Char('>');
    inStartElement = false;
}

void XmlTextWriter::indent(int depth)
{
    static const QString blanks(64, QLatin1Char(' '));
    *out += QLatin1Char('\n');
    for (int left = 4 * depth; left > 0; left -= blanks.size())
        out->append(blanks.constData(), qMin(left, blanks.size()));
}

void XmlTextWriter::writeStartElement(QLatin1String name)
{
    bool hadContents = false;
    finishStartElement(false, &hadContents);
    if (!hadContents)
        indent(open.size());
    *out += QLatin1Char('<');
    *out += name;
    open.append(Name {name, QString()});
    inStartElement = lastWasStartElement = true;
}

void XmlTextWriter::writeStartElement(const QString& name)
{
    bool hadContents = false;
    finishStartElement(false, &hadContents);
    if (!hadContents)
        indent(open.size());
    *out += QLatin1Char('<');
    *out += name;
    open.append(Name {QLatin1String(), name});
    inStartElement = lastWasStartElement = true;
}

void XmlTextWriter::writeAttribute(QLatin1String name, const QString& value)
{
    *out += QLatin1Char(' ');
    *out += name;
    *out += QLatin1String("=\"");
    writeEscaped(value, true);
    *out += QLatin1Char('"');
}

void XmlTextWriter::writeAttribute(const QString& name, const QString& value)
{
    *out += QLatin1Char(' ');
    *out += name;
    *out += QLatin1String("=\"");
    writeEscaped(value, true);
    *out += QLatin1Char('"');
}

void XmlTextWriter::writeTextElement(QLatin1String name, QStringView text)
{
    // What start, text and end would write, without the element ever
    // standing on the stack.
    bool hadContents = false;
    finishStartElement(false, &hadContents);
    if (!hadContents)
        indent(open.size());
    *out += QLatin1Char('<');
    *out += name;
    *out += QLatin1Char('>');
    writeEscaped(text, false);
    *out += QLatin1String("</");
    *out += name;
    *out += QLatin1Char('>');
    inStartElement = lastWasStartElement = wroteSomething = false;
}

void XmlTextWriter::writeTextElement(const QString& name, const QString& text)
{
    writeStartElement(name);
    bool hadContents = false;
    finishStartElement(true, &hadContents);
    writeEscaped(text, false);
    writeEndElement();
}

void XmlTextWriter::writeCharacters(const QString& text)
{
    bool hadContents = false;
    finishStartElement(true, &hadContents);
    writeEscaped(text, false);
}

void XmlTextWriter::writeEndElement()
{
    if (open.isEmpty())
        return;
    if (inStartElement) {
        *out += QLatin1String("/>");
        inStartElement = lastWasStartElement = false;
        open.removeLast();
        return;
    }
    bool hadContents = false;
    finishStartElement(false, &hadContents);
    if (!hadContents && !lastWasStartElement)
        indent(open.size() - 1);
    lastWasStartElement = false;
    *out += QLatin1String("</");
    const Name& name = open.last();
    if (name.text.isEmpty())
        *out += name.constant;
    else
        *out += name.text;
    *out += QLatin1Char('>');
    open.removeLast();
}

void XmlTextWriter::writeEscaped(QStringView text, bool escapeWhitespace)
{
    const QChar* begin = text.data();
    const QChar* const stop = begin + text.size();
    const QChar* plain = begin;
    for (const QChar* c = begin; c < stop; ++c) {
        QLatin1String replacement;
        switch (c->unicode()) {
        case '<': replacement = QLatin1String("&lt;"); break;
        case '>': replacement = QLatin1String("&gt;"); break;
        case '&': replacement = QLatin1String("&amp;"); break;
        case '"': replacement = QLatin1String("&quot;"); break;
        case '\t': if (escapeWhitespace) replacement = QLatin1String("&#9;"); break;
        case '\n': if (escapeWhitespace) replacement = QLatin1String("&#10;"); break;
        case '\r': if (escapeWhitespace) replacement = QLatin1String("&#13;"); break;
        default: break;
        }
        if (replacement.size() == 0)
            continue;
        out->append(plain, int(c - plain));
        *out += replacement;
        plain = c + 1;
    }
    out->append(plain, int(stop - plain));
}
