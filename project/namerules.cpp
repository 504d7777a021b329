#include "namerules.h"

#include <QCoreApplication>
#include <QSet>

QString NameRules::labelProblem(const QString& label, const QStringList& siblingLabels,
                                const QString& kind)
{
    if (label.isEmpty())
        return QCoreApplication::translate("NameRules", "The name of a %1 cannot be blank.").arg(kind);
    if (siblingLabels.contains(label))
        return QCoreApplication::translate("NameRules",
                                           "Another %1 on this diagram is already named \"%2\". Links, "
                                           "dataflows and transitions find their ends by name, so each "
                                           "%1 needs a name of its own.")
            .arg(kind, label);
    return QString();
}

QString NameRules::projectNameProblem(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QCoreApplication::translate("NameRules", "The project name cannot be blank.");
    if (name.trimmed() != name)
        return QCoreApplication::translate("NameRules",
                                           "The project name cannot begin or end with a blank.");
    return QString();
}

int NameRules::lowestFreeNumber(const QString& prefix, const QStringList& taken, int first)
{
    const QSet<QString> used(taken.cbegin(), taken.cend());
    int n = first;
    while (used.contains(prefix + QString::number(n)))
        ++n;
    return n;
}
