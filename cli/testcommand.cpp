#include "testcommand.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <vector>

#include "machineset.h"
#include "machinetestfile.h"
#include "machinetestreport.h"
#include "machinetestrunner.h"
#include "machinetestsuite.h"
#include "projectplacement.h"
#include "xmlio.h"

namespace {

const char command[] = "test";

struct Options
{
    QString project;
    QStringList files;
    QString junit;
    QString coverage;
    QString compiler;
};

// -1 to go on, or the exit code.
int parse(const QStringList& arguments, Options* options)
{
    QCommandLineParser parser;
    CommandLine::prepareParser(
        parser, QLatin1String(command),
        QStringLiteral("Runs the test cases of TESTFILE... on the state machines of FILE, as the C that generate\n"
                       "writes, compiled once per machine. A test file has one step a line (# starts a comment):\n"
                       "machine NAME, test NAME, set VAR = EXPR, tick [N], expect state NAME, expect EXPR and\n"
                       "until state NAME within N. Prints one line per case, each machine's coverage, and\n"
                       "\"N passed, M failed\". Exit code 0 when all pass, 1 when any fails, 2 for a usage\n"
                       "error, a corrupt project, design errors, a compile failure, no compiler, or a case that\n"
                       "crashes or does not finish within 10 seconds."));
    parser.addPositionalArgument(QStringLiteral("TESTFILE"), QStringLiteral("Test files."), QStringLiteral("..."));
    const QCommandLineOption junit(QStringLiteral("junit"), QStringLiteral("Writes JUnit XML to OUT."),
                                   QStringLiteral("OUT"));
    const QCommandLineOption coverage(QStringLiteral("coverage"),
                                      QStringLiteral("Writes coverage.json into DIR, and a picture of each "
                                                     "machine (MACHINE.svg) marking what was reached."),
                                      QStringLiteral("DIR"));
    const QCommandLineOption cc = CommandLine::compilerOption();
    parser.addOptions({junit, coverage, cc});
    if (!parser.parse(arguments))
        return CommandLine::usageError(parser.errorText(), QLatin1String(command));
    if (parser.isSet(QStringLiteral("help"))) {
        CommandLine::printOut(parser.helpText());
        return CommandLine::Success;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 3)
        return CommandLine::usageError(positional.size() < 2 ? QStringLiteral("missing FILE")
                                                             : QStringLiteral("missing TESTFILE"),
                                       QLatin1String(command));
    options->project = positional.at(1);
    options->files = positional.mid(2);
    options->junit = parser.value(junit);
    options->coverage = parser.value(coverage);
    options->compiler = parser.value(cc);
    return -1;
}

bool readTests(const QString& path, MachineTestFile* tests)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        CommandLine::printError(QStringLiteral("%1: cannot be read: %2")
                                    .arg(CommandLine::displayPath(path), file.errorString()));
        return false;
    }
    QString why;
    if (!tests->parse(CommandLine::displayPath(path), QString::fromUtf8(file.readAll()), &why)) {
        CommandLine::printError(why);
        return false;
    }
    return true;
}

void printOutcome(const MachineTestReport::CaseOutcome& outcome)
{
    const MachineTestRunner::Result& result = outcome.result;
    if (result.outcome == MachineTestRunner::Result::Passed) {
        CommandLine::printOut(QStringLiteral("ok      %1\n").arg(outcome.name));
        return;
    }
    const bool failed = result.outcome == MachineTestRunner::Result::Failed;
    QString text = QStringLiteral("%1  %2\n    %3\n")
                       .arg(failed ? QStringLiteral("FAILED") : QStringLiteral("ERROR "), outcome.name,
                            MachineTestReport::failureLine(outcome));
    for (const QString& line : result.trace)
        text += QStringLiteral("      ") + line + QLatin1Char('\n');
    CommandLine::printOut(text);
}

// The pictures need Qt GUI: korvel-cli-render draws them.
bool drawCoverage(const Options& options)
{
    const QString program = CommandLine::renderProgram();
    if (program.isEmpty()) {
        CommandLine::printError(QStringLiteral("%1: no pictures: korvel-cli-render is not installed")
                                    .arg(CommandLine::displayPath(options.coverage)));
        return false;
    }
    QProcess render;
    render.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    render.start(program, {QStringLiteral("coverage"), options.project, options.coverage});
    if (!render.waitForFinished(120000) || render.exitStatus() != QProcess::NormalExit || render.exitCode() != 0) {
        render.kill();
        CommandLine::printError(QStringLiteral("%1: the pictures of the coverage were not all drawn")
                                    .arg(CommandLine::displayPath(options.coverage)));
        return false;
    }
    return true;
}

bool writeReports(const MachineTestSuite& suite, const Options& options)
{
    QString why;
    if (!options.junit.isEmpty() && !MachineTestReport::writeJUnit(options.junit, suite.outcomes(), &why)) {
        CommandLine::printError(QStringLiteral("%1: cannot be written: %2")
                                    .arg(CommandLine::displayPath(options.junit), why));
        return false;
    }
    if (options.coverage.isEmpty())
        return true;
    QFile json(QDir(options.coverage).filePath(QStringLiteral("coverage.json")));
    if (!QDir().mkpath(options.coverage) || !json.open(QIODevice::WriteOnly)
        || json.write(MachineTestReport::coverageJson(suite.coverage()).toUtf8()) < 0 || !json.flush()) {
        CommandLine::printError(QStringLiteral("%1: cannot be written: %2")
                                    .arg(CommandLine::displayPath(json.fileName()), json.errorString()));
        return false;
    }
    json.close();
    return drawCoverage(options);
}

} // namespace

int TestCommand::run(const QStringList& arguments)
{
    Options options;
    const int parsed = parse(arguments, &options);
    if (parsed >= 0)
        return parsed;
    std::vector<MachineTestFile> files(options.files.size());
    for (int i = 0; i < options.files.size(); ++i)
        if (!readTests(options.files.at(i), &files[i]))
            return UsageOrFatal;

    XmlIO io;
    if (!readRecords(io, options.project, ProjectFileReader::Fields::Generation))
        return UsageOrFatal;
    const ProjectPlacement placement(io.records());
    printLost(options.project, placement.lost());
    MachineSet taken;
    placement.fillMachines(&taken);

    MachineTestSuite suite(taken.machines());
    suite.setCompiler(options.compiler);
    QString why;
    if (!suite.plan(files, &why) || !suite.build(&why)) {
        for (const QString& line : why.split(QLatin1Char('\n')))
            printError(line);
        return UsageOrFatal;
    }
    for (const QString& note : suite.notes())
        printError(note);
    suite.run(printOutcome);
    for (const MachineTestReport::MachineCoverage& machine : suite.coverage())
        printOut(MachineTestReport::coverageLines(machine).join(QLatin1Char('\n')) + QLatin1Char('\n'));
    const bool written = writeReports(suite, options);
    const int failed = suite.failures();
    printOut(QStringLiteral("%1 passed, %2 failed\n").arg(suite.outcomes().size() - failed).arg(failed));
    if (suite.anyBroken() || !written)
        return UsageOrFatal;
    return failed > 0 ? Failure : Success;
}
