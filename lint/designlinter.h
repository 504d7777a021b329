#ifndef DESIGNLINTER_H
#define DESIGNLINTER_H

#include <QString>
#include <QVector>

#include "elementid.h"

class ProjectNode;

// Reads a design (a project document's nodes) and finds what a reviewer of the generated C would
// object to. Errors are designs whose C would not compile or would be read
// differently from the diagram; the code generator refuses to write the files
// of a machine with any of the C-name errors. Warnings are designs that
// generate fine but probably do not do what was drawn. Needs no window, so
// the command-line tool and the application share it.
class DesignLinter
{
public:
    // Information says what a check could not do (a compiler is missing);
    // it is neither an error nor a warning.
    enum Severity { Error, Warning, Info };

    struct Finding
    {
        QString rule;     // stable name, for scripts and suppressions
        Severity severity = Error;
        QString path;     // the element, as "module/machine/state"
        QString message;  // names the element itself, one line
        // The element of the document it is about; 0 for the machine or
        // diagram as a whole.
        ElementId element = 0;
    };

    // "module/machine": the node the machine's process is drawn on, then
    // the machine's label.
    static QString machinePath(const ProjectNode* machine);

    // Names that become C identifiers and files: machine, states and memory
    // items. Any of these stops the machine's files from being written.
    static QVector<Finding> nameErrors(const ProjectNode* machine);
    // The generator's own checks, with its texts (files are still written).
    static QVector<Finding> generatorErrors(const ProjectNode* machine);
    static QVector<Finding> machineWarnings(const ProjectNode* machine);
    // Memory items of a block diagram that no dataflow touches.
    static QVector<Finding> blockWarnings(const ProjectNode* node);

    // Per machine of the list, the findings of machines that would write the
    // same file names (compared without case: checkouts on case-insensitive
    // file systems would mix them).
    static QVector<QVector<Finding>> fileNameClashes(const QVector<const ProjectNode*>& machines);

    // Everything above for one machine, given its clashes.
    static QVector<Finding> lintMachine(const ProjectNode* machine, const QVector<Finding>& clashes);

    static bool isCIdentifier(const QString& name);
    static bool isCKeyword(const QString& name);
    // The name a machine's files and functions get from its process label.
    static QString stateMachineName(const ProjectNode* machine);

    static QString severityName(Severity severity);
    // "path: severity: message [rule]", one line.
    static QString textLine(const Finding& finding);
    // A JSON array, one object per finding and line.
    static QString json(const QVector<Finding>& findings);
    // A label as shown inside paths and messages: control characters escaped.
    static QString printable(const QString& label);
};

#endif // DESIGNLINTER_H
