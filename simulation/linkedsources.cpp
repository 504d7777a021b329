#include "linkedsources.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "codegenerator.h"
#include "simulationengine.h"

namespace {
const char othersFolder[] = "others";
const char standInsName[] = "standins.c";
} // namespace

void LinkedSources::setCompanions(const ProjectNode* machine, const QVector<const ProjectNode*>& machines)
{
    this->machine = machine;
    companions = machines;
}

void LinkedSources::writeCompanions(const QString& folder)
{
    files.clear();
    standIns.clear();
    const QString others = QLatin1String(othersFolder);
    for (const ProjectNode* other : qAsConst(companions)) {
        // The machine may come from another taking of the project: it is known by name.
        if (!other || other == machine || (machine && SimulationEngine::baseName(other) == SimulationEngine::baseName(machine)))
            continue;
        CodeGenerator generator;
        generator.setOutputFolder(QDir(folder).filePath(others));
        generator.setMachine(other);
        generator.setNumberOfInputOutputVariables();
        if (QDir(folder).mkpath(others) && generator.writeStateMachineFiles())
            files << others + QLatin1Char('/') + generator.getSourceFileName();
    }
}

bool LinkedSources::addStandIns(const QString& folder, const QString& linkerOutput)
{
    if (!standIns.isEmpty())
        return false;
    static const QRegularExpression undefined(QStringLiteral("undefined reference to `([A-Za-z_][A-Za-z_0-9]*)'"));
    QStringList names;
    for (auto match = undefined.globalMatch(linkerOutput); match.hasNext();) {
        const QString name = match.next().captured(1);
        if (!names.contains(name))
            names << name;
    }
    if (names.isEmpty())
        return false;
    // No prototype: whatever the firmware declares, the call links.
    QString text = QStringLiteral("/* Stand-ins written by Korvel for functions defined outside the project. */\n");
    for (const QString& name : qAsConst(names))
        text += QStringLiteral("long %1() { return 0; }\n").arg(name);
    QFile file(QDir(folder).filePath(QLatin1String(standInsName)));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.flush())
        return false;
    standIns = names;
    files << QLatin1String(standInsName);
    return true;
}
