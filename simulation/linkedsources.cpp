#include "linkedsources.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "codegenerator.h"
#include "groupprocess.h"
#include "simulationengine.h"

namespace {
const char othersFolder[] = "others";
const char standInsName[] = "standins.c";
const int preprocessLimitMs = 60000;
} // namespace

void LinkedSources::setCompanions(const ProjectNode* machine, const QVector<const ProjectNode*>& machines)
{
    this->machine = machine;
    companions = machines;
}

void LinkedSources::writeCompanions(const QString& folder)
{
    files.clear();
    functions.clear();
    variables.clear();
    const QString others = QLatin1String(othersFolder);
    // The machine may come from another taking of the project: it is known by name.
    const QString own = machine ? SimulationEngine::baseName(machine) : QString();
    for (const ProjectNode* other : qAsConst(companions)) {
        if (!other || SimulationEngine::baseName(other) == own)
            continue;
        CodeGenerator generator;
        generator.setOutputFolder(QDir(folder).filePath(others));
        generator.setMachine(other);
        generator.setNumberOfInputOutputVariables();
        if (QDir(folder).mkpath(others) && generator.writeStateMachineFiles())
            files << others + QLatin1Char('/') + generator.getSourceFileName();
    }
}

bool LinkedSources::addStandIns(const QString& folder, const QString& linkerOutput, const QString& compiler,
                                const QStringList& code)
{
    if (!functions.isEmpty() || !variables.isEmpty())
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
    names.sort();
    // Calls show after the macros are expanded: LED_ON() may call led_write().
    const QString expanded = preprocessed(folder, compiler, code);
    QString text = QStringLiteral("/* Stand-ins written by Korvel for what is defined outside the project. */\n");
    for (const QString& name : qAsConst(names)) {
        const QRegularExpression call(QStringLiteral("\\b%1\\s*\\(").arg(name));
        if (expanded.isEmpty() || call.match(expanded).hasMatch()) {
            // No prototype: whatever the firmware declares, the call links.
            text += QStringLiteral("long %1() { return 0; }\n").arg(name);
            functions << name;
        } else {
            // Zero and room enough for any number, pointer or small table.
            text += QStringLiteral("long double %1[256];\n").arg(name);
            variables << name;
        }
    }
    QFile file(QDir(folder).filePath(QLatin1String(standInsName)));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.flush()) {
        functions.clear();
        variables.clear();
        return false;
    }
    files << QLatin1String(standInsName);
    return true;
}

QString LinkedSources::preprocessed(const QString& folder, const QString& compiler, const QStringList& code)
{
    QString text;
    for (const QString& source : code) {
        GroupProcess process;
        process.setWorkingDirectory(folder);
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(compiler, {QStringLiteral("-E"), source});
        if (!process.waitForFinished(preprocessLimitMs)) {
            process.endGroup();
            return QString();
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return QString();
        text += QString::fromLocal8Bit(process.readAllStandardOutput());
    }
    return text;
}
