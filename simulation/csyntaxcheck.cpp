#include "csyntaxcheck.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include "codegenerator.h"
#include "groupprocess.h"
#include "projectnode.h"
#include "simulationengine.h"

namespace {

using Finding = DesignLinter::Finding;
const QString rule = QStringLiteral("c-syntax");
const int timeLimitMs = 10000;

bool writeText(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.flush();
}

// The element that wrote the line, by the generator's origins.
ElementId originOf(const QString& text, const QVector<CodeGenerator::Origin>& origins, int line)
{
    int offset = 0;
    for (int n = 1; n < line; ++n) {
        const int end = text.indexOf(QLatin1Char('\n'), offset);
        if (end < 0)
            return 0;
        offset = end + 1;
    }
    ElementId owner = 0;
    for (const CodeGenerator::Origin& origin : origins) {
        if (origin.first > offset)
            break;
        owner = origin.second;
    }
    return owner;
}

// Where a finding about the element points, and how its message names it.
void describe(const ProjectNode* machine, ElementId element, QString* path, QString* what)
{
    const QString machinePath = DesignLinter::machinePath(machine);
    const auto named = [&](const QString& kind, const QString& label) {
        *path = machinePath + QLatin1Char('/') + DesignLinter::printable(label);
        *what = QStringLiteral("%1 \"%2\"").arg(kind, DesignLinter::printable(label));
    };
    *path = machinePath;
    *what = QStringLiteral("the machine's code");
    for (const StateElement& state : machine->diagram.states)
        if (state.id == element)
            return named(QStringLiteral("state"), state.label);
    for (const TransitionElement& transition : machine->diagram.transitions)
        if (transition.id == element)
            return named(QStringLiteral("transition"), transition.label);
    for (const TextElement& text : machine->diagram.texts)
        if (text.id == element)
            *what = QStringLiteral("a text item");
}

QVector<Finding> compile(const ProjectNode* machine, const QString& program)
{
    const QString path = DesignLinter::machinePath(machine);
    const auto information = [&path](const QString& message) {
        return QVector<Finding> {{rule, DesignLinter::Info, path, message}};
    };
    CodeGenerator generator;
    generator.setTracing(true);
    generator.setMachine(machine);
    generator.setNumberOfInputOutputVariables();
    const QString header = generator.headerFileText();
    const QString source = generator.sourceFilePieces().join(QString());
    QTemporaryDir folder;
    if (!folder.isValid() || !writeText(folder.filePath(generator.getHeaderFileName()), header)
        || !writeText(folder.filePath(generator.getSourceFileName()), source))
        return information(QStringLiteral("the C syntax check was skipped: no temporary folder could be written"));

    GroupProcess process;
    process.setWorkingDirectory(folder.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    // Messages in plain ASCII, the same on every machine.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
    // Functions the firmware declares elsewhere are not the design's fault.
    process.start(program, {QStringLiteral("-fsyntax-only"), QStringLiteral("-std=gnu99"),
                            QStringLiteral("-fdiagnostics-color=never"),
                            QStringLiteral("-Wno-implicit-function-declaration"),
                            QStringLiteral("-Wno-error=implicit-function-declaration"),
                            generator.getSourceFileName()});
    if (!process.waitForFinished(timeLimitMs)) {
        process.endGroup();
        return information(QStringLiteral("the C syntax check was skipped: %1 did not finish within %2 seconds")
                               .arg(program)
                               .arg(timeLimitMs / 1000));
    }
    static const QRegularExpression errorLine(QStringLiteral("^([^:\\n]+):(\\d+):(?:\\d+:)? (?:fatal )?error: (.*)$"),
                                              QRegularExpression::MultilineOption);
    QVector<Finding> findings;
    QSet<QString> seen;
    const QString output = QString::fromLocal8Bit(process.readAll());
    for (auto match = errorLine.globalMatch(output); match.hasNext();) {
        const QRegularExpressionMatch error = match.next();
        const QString file = QFileInfo(error.captured(1)).fileName();
        const bool inHeader = file == generator.getHeaderFileName();
        // A line of another file (a system header) is no element's.
        const ElementId element = !inHeader && file != generator.getSourceFileName()
            ? 0
            : originOf(inHeader ? header : source, inHeader ? generator.headerOrigins() : generator.sourceOrigins(),
                       error.captured(2).toInt());
        // A header of the firmware the check cannot see is no design error.
        if (error.captured(3).contains(QLatin1String("No such file or directory"))) {
            findings.append({rule, DesignLinter::Info, path,
                             QStringLiteral("the C syntax check stopped: %1").arg(error.captured(3).trimmed())});
            break;
        }
        QString where;
        QString what;
        describe(machine, element, &where, &what);
        const QString message = QStringLiteral("%1 does not compile: %2").arg(what, error.captured(3).trimmed());
        if (seen.contains(where + message))
            continue;
        seen.insert(where + message);
        findings.append({rule, DesignLinter::Error, where, message, element});
    }
    return findings;
}

} // namespace

QVector<Finding> CSyntaxCheck::check(const ProjectNode* machine, const QString& compiler)
{
    if (!machine || !DesignLinter::nameErrors(machine).isEmpty())
        return {};
    SimulationEngine lookup(machine);
    lookup.setCompiler(compiler);
    const QString program = lookup.compilerPath();
    if (program.isEmpty())
        return {{rule, DesignLinter::Info, DesignLinter::machinePath(machine),
                 QStringLiteral("the C syntax check was skipped: %1").arg(lookup.noCompilerMessage())}};
    return compile(machine, program);
}
