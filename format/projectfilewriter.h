#ifndef PROJECTFILEWRITER_H
#define PROJECTFILEWRITER_H

#include <QPointF>
#include <QString>
#include <QVector>

#include <memory>

#include "colour.h"
#include "elementid.h"
#include "idlabels.h"

class Document;
class QIODevice;
class ProjectNode;
class SafeSaveFile;
class XmlTextWriter;
struct ForeignContent;
struct ForeignElement;
struct Diagram;

// Writes a project file from a document: the one writer of Save, Save As,
// autosave and the command-line tool. The file goes through SafeSaveFile,
// so a failed write never costs the previous file.
class ProjectFileWriter
{
public:
    ProjectFileWriter();
    ~ProjectFileWriter();
    ProjectFileWriter(const ProjectFileWriter&) = delete;
    ProjectFileWriter& operator=(const ProjectFileWriter&) = delete;

    // False when the file could not be written completely; lastError()
    // says why and previousKept() whether the file still holds its old bytes.
    bool write(const Document& document, const QString& path);
    QString lastError() const { return error; }
    // The file a write would give, in memory; empty when the document's
    // structure is damaged.
    QByteArray bytes(const Document& document);
    bool previousKept() const { return kept; }

    // The browser outline the file starts with: one line per node, indented
    // by its level, children in the order of their numbers. Empty when a
    // node's children are not numbered 1, 2, ...
    static QString outline(const Document& document);

    // Value encodings. Whole numbers as integers, others with six
    // significant digits; points never in exponent form, which the integer
    // point reader could not take back.
    static QString formatReal(double value);
    static QString formatPointList(const QVector<QPointF>& points);
    // Removes the characters that XML 1.0 cannot carry at all.
    static QString xmlSafe(const QString& text);

private:
    void writeDocument(const Document& document, const QString& names, QIODevice* device);
    void index(const ProjectNode& node);
    void writeNode(const ProjectNode& node);
    void writeRootProcess(const ProjectNode& root);
    void writeProcess(const ProjectNode& node);
    void writeHierarchy(const ProjectNode& node);
    void writeStateMachine(const ProjectNode& node);
    void writeStates(const ProjectNode& node, const Diagram& diagram);
    void writeTransitions(const ProjectNode& node, const Diagram& diagram);
    void writeTexts(const ProjectNode& node, const Diagram& diagram);
    void writeIdentity(const ProjectNode& node, bool asChildren);
    void startContainer(QLatin1String name, int count);
    void writeForeign(const ForeignContent& foreign);
    void writeForeignElement(const ForeignElement& element);
    void attribute(QLatin1String name, const QString& value);
    void child(QLatin1String name, const QString& text);
    // Numbers as formatReal() and QString::number() give them, most of them
    // without a string of their own.
    void childNumber(QLatin1String name, qint64 value);
    void childReal(QLatin1String name, double value);
    void childPoint(QLatin1String name, QPointF point);
    void childColour(QLatin1String name, Colour colour);
    void childPoints(QLatin1String name, const QVector<QPointF>& polygon);
    void endElement();
    void flush();

    std::unique_ptr<SafeSaveFile> file;
    std::unique_ptr<XmlTextWriter> xml;
    // Where flush() puts the text: the save file's device, or a buffer.
    QIODevice* target = nullptr;
    // What the writer produced and the file has not received yet.
    QString pending;
    // Reused for the numbers of one element.
    QString scratch;
    bool failed = false;
    QString error;
    bool kept = true;
    // Labels of what elements refer to, across the whole project.
    IdLabels nodeLabels;
    IdLabels memoryLabels;
    IdLabels stateLabels;
    IdLabels transitionLabels;
};

#endif // PROJECTFILEWRITER_H
