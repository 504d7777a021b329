#include "linkedsources.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include "codegenerator.h"
#include "simulationengine.h"

namespace {
const char othersFolder[] = "others";
const char standInsName[] = "standins.c";

QStringList undefinedNames(const QString& linkerOutput)
{
    static const QRegularExpression undefined(QStringLiteral("undefined reference to `([A-Za-z_][A-Za-z_0-9]*)'"));
    QStringList names;
    for (auto match = undefined.globalMatch(linkerOutput); match.hasNext();) {
        const QString name = match.next().captured(1);
        if (!names.contains(name))
            names << name;
    }
    names.sort();
    return names;
}

// The C written into the folder: the machine's, the harness and the others'.
QString codeIn(const QString& folder)
{
    QString text;
    QDirIterator files(folder, {QStringLiteral("*.c"), QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll()) + QLatin1Char('\n');
    }
    return text;
}

} // namespace

void LinkedSources::setCompanions(const ProjectNode* machine, const QVector<const ProjectNode*>& machines)
{
    this->machine = machine;
    companions = machines;
}

void LinkedSources::writeCompanions(const QString& folder)
{
    companionFiles.clear();
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
            companionFiles << others + QLatin1Char('/') + generator.getSourceFileName();
    }
}

QStringList LinkedSources::arguments() const
{
    QStringList arguments;
    if (!companionFiles.isEmpty())
        arguments << QStringLiteral("-I") + QLatin1String(othersFolder);
    return arguments + files;
}

bool LinkedSources::linkMore(const QString& folder, const QString& linkerOutput)
{
    const QStringList names = undefinedNames(linkerOutput);
    if (names.isEmpty())
        return false;
    if (!companionFiles.isEmpty() && !files.contains(companionFiles.first())) {
        files += companionFiles;
        return true;
    }
    if (!functions.isEmpty() || !variables.isEmpty())
        return false;
    return writeStandIns(folder, names);
}

bool LinkedSources::writeStandIns(const QString& folder, const QStringList& names)
{
    const QString code = codeIn(folder);
    QString text = QStringLiteral("/* Stand-ins written by Korvel for what is defined outside the project. */\n");
    QStringList called;
    QStringList read;
    for (const QString& name : names) {
        // A name the code shows and never calls is read; any other is taken
        // for a function, which a macro of the firmware's headers may call.
        const QRegularExpression use(QStringLiteral("\\b%1\\b(\\s*\\()?").arg(name));
        bool shown = false;
        bool isCalled = false;
        for (auto match = use.globalMatch(code); match.hasNext() && !isCalled;) {
            shown = true;
            isCalled = !match.next().captured(1).isEmpty();
        }
        if (shown && !isCalled) {
            // Zero, and room enough for any number, pointer or small table.
            text += QStringLiteral("long double %1[256];\n").arg(name);
            read << name;
        } else {
            // No prototype: whatever the firmware declares, the call links.
            text += QStringLiteral("long %1() { return 0; }\n").arg(name);
            called << name;
        }
    }
    QFile file(QDir(folder).filePath(QLatin1String(standInsName)));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.flush())
        return false;
    functions = called;
    variables = read;
    files << QLatin1String(standInsName);
    return true;
}
