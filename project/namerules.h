#ifndef NAMERULES_H
#define NAMERULES_H

#include <QString>
#include <QStringList>

// The rules that keep names usable after a reload. Links, dataflows and
// transitions are stored by the labels of their ends, and the browser finds
// nodes by label, so a label must be unique among its siblings and a
// project name must not be blank or carry blanks at its ends.
class NameRules
{
public:
    // Why the label (already trimmed) cannot be used among the labels of the
    // other items of its kind on the canvas; empty when it can. kind is the
    // noun shown to the user, e.g. "process".
    static QString labelProblem(const QString& label, const QStringList& siblingLabels,
                                const QString& kind);
    // Why the text cannot be a project name; empty when it can.
    static QString projectNameProblem(const QString& name);
    // The lowest number from first up that, after prefix, makes a label not
    // in taken.
    static int lowestFreeNumber(const QString& prefix, const QStringList& taken, int first);
};

#endif // NAMERULES_H
