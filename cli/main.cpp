// korvel-cli: checks a project, generates the C files of its state machines,
// runs one of them, draws its canvases or saves the project again, without a
// display. It loads, places, saves and generates through the application's
// own classes.

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStringList>
#include <QXmlStreamReader>

#include <cmath>
#include <cstdio>
#include <memory>

#include "canvas.h"
#include "canvasrenderer.h"
#include "codegenerator.h"
#include "designlinter.h"
#include "document.h"
#include "headlessproject.h"
#include "korvelresources.h"
#include "machineset.h"
#include "projectcanvases.h"
#include "projectfileopener.h"
#include "projectfilewriter.h"
#include "projectplacement.h"
#include "safesavefile.h"
#include "simulationengine.h"
#include "simulationscenario.h"
#include "xmlio.h"

namespace {

enum ExitCode { Success = 0, Failure = 1, UsageOrFatal = 2, WarningsOnly = 3 };

const char programName[] = "korvel-cli";
const char programVersion[] = "1.1.3";

void printOut(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

// Every message is one line, whatever the names and file contents hold.
void printError(const QString& text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fputs((QLatin1String(programName) + QStringLiteral(": ") + line + QLatin1Char('\n'))
                   .toLocal8Bit()
                   .constData(),
               stderr);
    std::fflush(stderr);
}

// Qt's own chatter (fonts, runtime folders) would break the one-line
// messages that scripts read from stderr.
void quietMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int usageError(const QString& text, const QString& command = QString())
{
    const QString help = command.isEmpty() ? QStringLiteral("%1 --help").arg(QLatin1String(programName))
                                           : QStringLiteral("%1 %2 --help").arg(QLatin1String(programName), command);
    printError(QStringLiteral("%1 (see %2)").arg(text, help));
    return UsageOrFatal;
}

QString displayPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Where a file stops being well-formed XML, as "at line L, column C: why";
// empty when it is well-formed as far as can be told. The file is fed in
// pieces, and a token that goes on for more than tokenLimit bytes ends the
// search: following it would cost more memory than the whole check.
QString xmlProblem(QFile* file)
{
    const qint64 piece = 1 << 20;
    const qint64 tokenLimit = qint64(64) << 20;
    QXmlStreamReader reader;
    qint64 fed = 0;
    // How much had been fed when the last token was complete.
    qint64 fedAtToken = 0;
    for (;;) {
        if (reader.readNext() != QXmlStreamReader::Invalid) {
            fedAtToken = fed;
            if (reader.atEnd())
                return QString();
            continue;
        }
        if (reader.error() != QXmlStreamReader::PrematureEndOfDocumentError || file->atEnd())
            break;
        if (fed - fedAtToken > tokenLimit)
            return QString();
        const QByteArray next = file->read(piece);
        fed += next.size();
        reader.addData(next);
    }
    // One arg() call, so that a "%2" in the reason stays as it is.
    return QStringLiteral("at line %1, column %2: %3")
        .arg(QString::number(reader.lineNumber()), QString::number(reader.columnNumber()), reader.errorString());
}

// Why the integrity check refused a file, as far as can be told from outside.
QString refusal(const QString& path)
{
    const QString shown = displayPath(path);
    QFile file;
    QString systemReason;
    switch (ProjectFileOpener::open(path, &file, &systemReason)) {
    case ProjectFileOpener::Missing:
        return QStringLiteral("%1: cannot be read: the file does not exist").arg(shown);
    case ProjectFileOpener::NotRegular:
        return QStringLiteral("%1: cannot be read: not a regular file").arg(shown);
    case ProjectFileOpener::TooLarge:
        return QStringLiteral("%1: cannot be read: the file is larger than 2 GiB").arg(shown);
    case ProjectFileOpener::Unreadable:
        return QStringLiteral("%1: cannot be read: %2").arg(shown, systemReason);
    case ProjectFileOpener::Opened:
        break;
    }
    if (file.size() == 0)
        return QStringLiteral("%1: design file is corrupt: the file is empty").arg(shown);
    const QString problem = xmlProblem(&file);
    if (!problem.isEmpty())
        return QStringLiteral("%1: design file is corrupt: not well-formed XML %2").arg(shown, problem);
    return QStringLiteral("%1: design file is corrupt: the XML does not have the layout of a Korvel project")
        .arg(shown);
}

// What the file holds but the project cannot place, on stderr one line
// each, as the application warns after Open.
void printLost(const QString& path, const QStringList& lost)
{
    for (const QString& item : lost)
        printError(QStringLiteral("%1: not placed: %2").arg(displayPath(path), item));
}

void printUnreadable(const QString& path)
{
    printError(QStringLiteral("%1: design file is corrupt: its items cannot be read").arg(displayPath(path)));
}

// The load of render, which draws the canvases; false, with the reason,
// when the application would refuse the file.
bool loadProject(HeadlessProject& project, const QString& path)
{
    switch (project.load(path)) {
    case HeadlessProject::Loaded:
        printLost(path, project.canvases().lostItems());
        return true;
    case HeadlessProject::Corrupt:
        printError(refusal(path));
        return false;
    case HeadlessProject::Unreadable:
        break;
    }
    printUnreadable(path);
    return false;
}

// The records of a project file as Open reads them, without building any
// canvas; false, once the reason is printed, when Open would refuse the file.
bool readRecords(XmlIO& io, const QString& path)
{
    io.setFilePath(path);
    if (!io.checkProjectFileCorrupt()) {
        printError(refusal(path));
        return false;
    }
    QString outline;
    if (!io.readProjectFileNames(&outline) || !io.readProjectFile()) {
        printUnreadable(path);
        return false;
    }
    return true;
}

// A parser for one command: its name as the first positional argument,
// then FILE; --help as usual.
void prepareParser(QCommandLineParser& parser, const QString& command, const QString& description)
{
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.addPositionalArgument(command, QStringLiteral("The command."), command);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The project file (.vorn)."));
}

// Parses and answers --help; returns -1 to go on, or the exit code.
int parseCommand(QCommandLineParser& parser, const QStringList& arguments, const QString& command,
                 QString* file)
{
    if (!parser.parse(arguments))
        return usageError(parser.errorText(), command);
    if (parser.isSet(QStringLiteral("help"))) {
        printOut(parser.helpText());
        return Success;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2)
        return usageError(QStringLiteral("missing FILE"), command);
    if (positional.size() > 2)
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(positional.at(2)), command);
    *file = positional.at(1);
    return -1;
}

// Everything the design checks find, diagram by diagram in the order the
// window keeps its canvases.
QVector<DesignLinter::Finding> lintProject(const ProjectPlacement& placement)
{
    MachineSet set;
    placement.fillMachines(&set);
    const QVector<ProjectPlacement::Machine> machines = placement.machines();
    const QVector<QVector<DesignLinter::Finding>> clashes = DesignLinter::fileNameClashes(set.machines());
    QVector<DesignLinter::Finding> findings;
    int next = 0;
    for (int i = 0; i < placement.diagrams().size(); ++i) {
        const ProjectPlacement::Diagram& diagram = placement.diagrams().at(i);
        if (diagram.dropped)
            continue;
        if (placement.records().processes.at(diagram.process).level != 5) {
            Document document;
            placement.fillDiagram(i, &document);
            findings += DesignLinter::blockWarnings(&document.root());
        } else if (next < machines.size() && machines.at(next).diagram == i) {
            findings += DesignLinter::lintMachine(set.machines().at(next), clashes.at(next));
            ++next;
        }
    }
    return findings;
}

// A machine that was not written for its design errors: the lines carry the
// machine's path already.
void printRefusals(const CodeGenerator& generator)
{
    for (const QString& error : generator.getErrorList())
        std::fputs((error + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

int runCheck(const QStringList& arguments)
{
    const QString command = QStringLiteral("check");
    QCommandLineParser parser;
    prepareParser(parser, command,
                  QStringLiteral("Runs the integrity check of a project file: exit code 0 for a sound file, "
                                 "1 for a corrupt one (the reason on stderr) or one with items that cannot be\n"
                                 "placed (one line each on stderr; they would be missing after a save), 2 for a "
                                 "usage error."));
    QString file;
    const int parsed = parseCommand(parser, arguments, command, &file);
    if (parsed >= 0)
        return parsed;

    // Sound means that the application opens the file; what it would lose
    // is known from where its records go.
    XmlIO io;
    if (!readRecords(io, file))
        return Failure;
    const ProjectPlacement placement(io.records());
    printLost(file, placement.lost());
    return placement.lost().isEmpty() ? Success : Failure;
}

int runGenerate(const QStringList& arguments)
{
    const QString command = QStringLiteral("generate");
    QCommandLineParser parser;
    prepareParser(parser, command,
                  QStringLiteral(
                      "Writes the C header and source of every state machine of a project into DIR.\n"
                      "Exit code 0 when every file was written and no design errors were found, 1 when\n"
                      "design errors were found (on stderr, one per line, after the machine's name; a machine\n"
                      "whose names would not compile as C is not written), 2 for a usage error, a corrupt or\n"
                      "unreadable project, or a file that was not written (also when existing files were kept\n"
                      "because --force was not given).\n"
                      "With SOURCE_DATE_EPOCH set, the date in the files is taken from it; a value that is not\n"
                      "a date is a usage error.\n"
                      "Items of the project that cannot be placed are named on stderr, one per line, and left out."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The folder for the generated files; created when missing."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption author(QStringLiteral("author"), QStringLiteral("Author in the file headers (default: empty)."),
                                    QStringLiteral("A"));
    const QCommandLineOption organization(QStringLiteral("organization"),
                                          QStringLiteral("Organization in the file headers (default: empty)."),
                                          QStringLiteral("O"));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Version number in the file headers (default: 1.0)."),
                                     QStringLiteral("V"));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace existing files instead of skipping their machine."));
    parser.addOptions({output, author, organization, version, force});

    QString file;
    const int parsed = parseCommand(parser, arguments, command, &file);
    if (parsed >= 0)
        return parsed;
    const QString folder = parser.value(output);
    if (!parser.isSet(output) || folder.isEmpty())
        return usageError(QStringLiteral("missing -o DIR"), command);
    const QString epochProblem = CodeGenerator::sourceDateEpochProblem();
    if (!epochProblem.isEmpty())
        return usageError(epochProblem, command);

    CodeGenerator generator;
    generator.setAuthor(parser.value(author));
    generator.setOrganization(parser.value(organization));
    if (parser.isSet(version)) {
        bool ok = false;
        const double number = parser.value(version).toDouble(&ok);
        if (!ok || !std::isfinite(number))
            return usageError(QStringLiteral("--version needs a number, not \"%1\"").arg(parser.value(version)),
                              command);
        generator.setVersionNumber(number);
    }

    XmlIO io;
    if (!readRecords(io, file))
        return UsageOrFatal;
    const ProjectPlacement placement(io.records());
    printLost(file, placement.lost());

    if (!QDir().mkpath(folder)) {
        printError(QStringLiteral("%1: the output folder cannot be created").arg(displayPath(folder)));
        return UsageOrFatal;
    }
    generator.setOutputFolder(folder);

    bool allWritten = true;
    bool designErrors = false;
    MachineSet set;
    placement.fillMachines(&set);
    const QVector<const ProjectNode*>& machines = set.machines();
    const QVector<QVector<DesignLinter::Finding>> clashes = DesignLinter::fileNameClashes(machines);
    for (int i = 0; i < machines.size(); ++i) {
        generator.setMachine(machines.at(i));
        generator.setNumberOfInputOutputVariables();
        generator.setProjectDesignErrors(clashes.at(i));
        const QString name = generator.getStateMachineName();

        // What the application's overwrite prompt asks; without --force the
        // answer is Cancel. Unsafe names are left to the writer to refuse.
        const QStringList existing = generator.existingOutputFiles();
        if (!parser.isSet(force) && !existing.isEmpty() && CodeGenerator::isSafeFileStem(name)
            && generator.designRefusals().isEmpty()) {
            QStringList shown;
            for (const QString& path : existing)
                shown << displayPath(QDir::cleanPath(path));
            printError(QStringLiteral("%1: skipped, %2 already %3 (--force replaces existing files)")
                           .arg(name, shown.join(QStringLiteral(" and ")),
                                shown.size() == 1 ? QStringLiteral("exists") : QStringLiteral("exist")));
            allWritten = false;
            continue;
        }

        if (generator.writeStateMachineFiles()) {
            printOut(displayPath(QDir::cleanPath(generator.headerFilePath())) + QLatin1Char('\n'));
            printOut(displayPath(QDir::cleanPath(generator.sourceFilePath())) + QLatin1Char('\n'));
        } else if (generator.refusedForDesignErrors()) {
            printRefusals(generator);
            designErrors = true;
            continue;
        } else {
            allWritten = false;
        }
        for (const QString& error : generator.getWriteErrors())
            printError(QStringLiteral("%1: %2").arg(name, error));
        for (const QString& error : generator.getErrorList()) {
            designErrors = true;
            // Design errors alone are plain lines, so that scripts can collect them.
            std::fputs((name + QStringLiteral(": ") + QString(error).replace(QLatin1Char('\n'), QLatin1Char(' '))
                        + QLatin1Char('\n'))
                           .toLocal8Bit()
                           .constData(),
                       stderr);
        }
    }
    std::fflush(stderr);
    if (!allWritten)
        return UsageOrFatal;
    return designErrors ? Failure : Success;
}

int runResave(const QStringList& arguments)
{
    const QString command = QStringLiteral("resave");
    QCommandLineParser parser;
    prepareParser(parser, command,
                  QStringLiteral("Loads a project as the application opens it and saves it to OUT as Save As "
                                 "does.\nExit code 0 when OUT was written, 2 for a usage error, a corrupt or "
                                 "unreadable project, items of FILE that cannot be placed (one line each on "
                                 "stderr; nothing is written unless --allow-loss is given), or an OUT that could "
                                 "not be written (an existing OUT is then left as it was)."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The project file to write."), QStringLiteral("OUT"));
    const QCommandLineOption allowLoss(QStringLiteral("allow-loss"),
                                       QStringLiteral("Write OUT without the items that cannot be placed."));
    parser.addOptions({output, allowLoss});

    QString file;
    const int parsed = parseCommand(parser, arguments, command, &file);
    if (parsed >= 0)
        return parsed;
    const QString target = parser.value(output);
    if (!parser.isSet(output) || target.isEmpty())
        return usageError(QStringLiteral("missing -o OUT"), command);

    XmlIO io;
    if (!readRecords(io, file))
        return UsageOrFatal;
    const ProjectPlacement placement(io.records());
    printLost(file, placement.lost());
    if (!placement.lost().isEmpty() && !parser.isSet(allowLoss)) {
        printError(QStringLiteral("%1: not written, as it would lack the items above (--allow-loss writes it "
                                  "without them)")
                       .arg(displayPath(target)));
        return UsageOrFatal;
    }
    Document document;
    QString why;
    ProjectFileWriter writer;
    if (!placement.fill(&document, &why) || !writer.write(document, target)) {
        printError(QStringLiteral("%1: the project could not be saved: %2")
                       .arg(displayPath(target), why.isEmpty() ? writer.lastError() : why));
        return UsageOrFatal;
    }
    return Success;
}

int runLint(const QStringList& arguments)
{
    const QString command = QStringLiteral("lint");
    QCommandLineParser parser;
    prepareParser(parser, command,
                  QStringLiteral(
                      "Reports what check and the code generator's design checks find, and what a reviewer\n"
                      "would question, one finding per line on stdout: path, severity, message, rule.\n"
                      "Exit code 0 when nothing was found, 1 when there are errors (a corrupt project\n"
                      "included), 3 when there are warnings only, 2 for a usage error."));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("text (default) or json: an array with one object per finding "
                                                   "(rule, severity, path, message)."),
                                    QStringLiteral("FORMAT"), QStringLiteral("text"));
    parser.addOption(format);

    QString file;
    const int parsed = parseCommand(parser, arguments, command, &file);
    if (parsed >= 0)
        return parsed;
    const QString chosen = parser.value(format);
    if (chosen != QLatin1String("text") && chosen != QLatin1String("json"))
        return usageError(QStringLiteral("--format is text or json, not \"%1\"").arg(chosen), command);

    QVector<DesignLinter::Finding> findings;
    XmlIO io;
    io.setFilePath(file);
    const bool sound = io.checkProjectFileCorrupt();
    QString outline;
    if (sound && io.readProjectFileNames(&outline) && io.readProjectFile()) {
        findings = lintProject(ProjectPlacement(io.records()));
    } else {
        const QString shown = displayPath(file);
        const QString reason = !sound ? refusal(file).mid(shown.size() + 2)
                                      : QStringLiteral("design file is corrupt: its items cannot be read");
        findings.append({QStringLiteral("corrupt-file"), DesignLinter::Error, shown, reason});
    }

    if (chosen == QLatin1String("json")) {
        printOut(DesignLinter::json(findings));
    } else {
        QString text;
        for (const DesignLinter::Finding& finding : findings)
            text += DesignLinter::textLine(finding) + QLatin1Char('\n');
        printOut(text);
    }
    bool warnings = false;
    for (const DesignLinter::Finding& finding : findings) {
        if (finding.severity == DesignLinter::Error)
            return Failure;
        warnings = true;
    }
    return warnings ? WarningsOnly : Success;
}

// A string in JSON, escaped by Qt.
QString jsonString(const QString& value)
{
    const QByteArray array = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// A value as the harness printed it: numbers stay numbers, anything else
// (the bytes of a structure, "inf") becomes a string.
QString jsonValue(const QString& value)
{
    static const QRegularExpression number(
        QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?([eE][-+]?[0-9]+)?$"));
    return number.match(value).hasMatch() ? value : jsonString(value);
}

QString simulationJson(const QVector<SimulationEngine::Step>& steps, const QStringList& names)
{
    // One object per line, keys in reading order.
    QString text = QStringLiteral("[");
    for (int i = 0; i < steps.size(); ++i) {
        const SimulationEngine::Step& step = steps.at(i);
        QStringList transitions;
        for (const QString& transition : step.transitions)
            transitions.append(jsonString(transition));
        QStringList values;
        for (int v = 0; v < names.size() && v < step.values.size(); ++v)
            values.append(jsonString(names.at(v)) + QStringLiteral(": ") + jsonValue(step.values.at(v)));
        text += QStringLiteral("%1\n{\"tick\": %2, \"state\": %3, \"transitions\": [%4], \"values\": {%5}}")
                    .arg(i ? QStringLiteral(",") : QString(), QString::number(step.tick),
                         jsonString(step.stateLabel), transitions.join(QStringLiteral(", ")),
                         values.join(QStringLiteral(", ")));
    }
    text += steps.isEmpty() ? QStringLiteral("]\n") : QStringLiteral("\n]\n");
    return text;
}

int runSimulate(const QStringList& arguments)
{
    const QString command = QStringLiteral("simulate");
    QCommandLineParser parser;
    prepareParser(parser, command,
                  QStringLiteral(
                      "Runs one state machine as the C that generate writes: its files are generated into a\n"
                      "temporary folder, compiled with a harness by the system C compiler and run for N ticks.\n"
                      "Tick 0 is the state after the machine's initialise function; each later tick applies\n"
                      "the values set for it, then calls the machine's function once. Text output: one line per\n"
                      "tick, the tick, a tab and the state's label ((start) before the initial state is\n"
                      "entered). JSON output: an array with one object per tick (tick, state, transitions:\n"
                      "those that lead from the previous state to this one, all of them when the diagram\n"
                      "cannot tell, values: the memory items after the tick).\n"
                      "Exit code 0 when all ticks ran, 1 for design errors (on stderr, as for generate), 2 for\n"
                      "a usage error (an unknown machine or memory item included), a corrupt project, no C\n"
                      "compiler, a compile failure (with the compiler's first errors) or a run that crashed or\n"
                      "did not finish within 10 seconds (the ticks that ran are printed)."));
    const QCommandLineOption machine(QStringLiteral("machine"),
                                     QStringLiteral("The state machine: its label or the base name of its files."),
                                     QStringLiteral("NAME"));
    const QCommandLineOption ticks(QStringLiteral("ticks"),
                                   QStringLiteral("How many times the machine's function is called (default 20)."),
                                   QStringLiteral("N"), QStringLiteral("20"));
    const QCommandLineOption set(QStringLiteral("set"),
                                 QStringLiteral("Sets memory item VAR to the C expression VALUE before tick TICK "
                                                "(default 0: before initialisation). Repeatable."),
                                 QStringLiteral("VAR=VALUE[@TICK]"));
    const QCommandLineOption scenario(QStringLiteral("scenario"),
                                      QStringLiteral("A file of \"TICK VAR=VALUE\" lines (# starts a comment "
                                                     "line), applied before the --set values."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("text (default) or json."),
                                    QStringLiteral("FORMAT"), QStringLiteral("text"));
    const QCommandLineOption cc(QStringLiteral("cc"), QStringLiteral("The C compiler (default: cc on the PATH)."),
                                QStringLiteral("COMPILER"), QStringLiteral("cc"));
    parser.addOptions({machine, ticks, set, scenario, format, cc});

    QString file;
    const int parsed = parseCommand(parser, arguments, command, &file);
    if (parsed >= 0)
        return parsed;
    const QString name = parser.value(machine);
    if (!parser.isSet(machine) || name.isEmpty())
        return usageError(QStringLiteral("missing --machine NAME"), command);
    bool ticksOk = false;
    const int tickCount = parser.value(ticks).toInt(&ticksOk);
    const int mostTicks = 10000000;
    if (!ticksOk || tickCount < 0 || tickCount > mostTicks)
        return usageError(QStringLiteral("--ticks needs a whole number from 0 to %1, not \"%2\"")
                              .arg(QString::number(mostTicks), parser.value(ticks)),
                          command);
    const QString chosen = parser.value(format);
    if (chosen != QLatin1String("text") && chosen != QLatin1String("json"))
        return usageError(QStringLiteral("--format is text or json, not \"%1\"").arg(chosen), command);
    QVector<SimulationScenario::Assignment> assignments;
    QString problem;
    if (parser.isSet(scenario)
        && !SimulationScenario::parseFile(parser.value(scenario), &assignments, &problem))
        return usageError(QStringLiteral("--scenario %1: %2").arg(displayPath(parser.value(scenario)), problem),
                          command);
    for (const QString& text : parser.values(set)) {
        SimulationScenario::Assignment assignment;
        if (!SimulationScenario::parseAssignment(text, &assignment, &problem))
            return usageError(QStringLiteral("--set %1").arg(problem), command);
        assignments.append(assignment);
    }

    XmlIO io;
    if (!readRecords(io, file))
        return UsageOrFatal;
    const ProjectPlacement placement(io.records());
    printLost(file, placement.lost());
    MachineSet taken;
    placement.fillMachines(&taken);
    const QVector<const ProjectNode*>& machines = taken.machines();
    const int found = SimulationEngine::findMachine(machines, name);
    if (found < 0) {
        QStringList known;
        for (const ProjectNode* each : machines)
            known.append(SimulationEngine::baseName(each));
        return usageError(QStringLiteral("%1 has no state machine \"%2\" (it has: %3)")
                              .arg(displayPath(file), name,
                                   known.isEmpty() ? QStringLiteral("none") : known.join(QStringLiteral(", "))),
                          command);
    }

    SimulationEngine engine(machines.at(found));
    engine.setTicks(tickCount);
    engine.setAssignments(assignments);
    engine.setCompiler(parser.value(cc));
    const SimulationEngine::Outcome outcome = engine.run();
    if (outcome == SimulationEngine::BadAssignment)
        return usageError(engine.messages().value(0), command);
    if (outcome == SimulationEngine::DesignErrors) {
        for (const QString& error : engine.messages())
            std::fputs((error + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
        return Failure;
    }

    // The ticks that ran are shown even when the run failed later.
    if (chosen == QLatin1String("json")) {
        printOut(simulationJson(engine.steps(), engine.memoryNames()));
    } else {
        QString text;
        for (const SimulationEngine::Step& step : engine.steps())
            text += QString::number(step.tick) + QLatin1Char('\t') + step.stateLabel + QLatin1Char('\n');
        printOut(text);
    }
    if (outcome == SimulationEngine::Finished)
        return Success;
    const QStringList messages = engine.messages();
    for (int i = 0; i < messages.size(); ++i) {
        // The compiler's own lines follow the summary as they are.
        if (i == 0)
            printError(outcome == SimulationEngine::NoCompiler
                           ? messages.at(i) + QStringLiteral(" (--cc names another)")
                           : messages.at(i));
        else
            std::fputs((messages.at(i) + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    }
    std::fflush(stderr);
    return UsageOrFatal;
}

int runRender(const QStringList& arguments)
{
    const QString command = QStringLiteral("render");
    QCommandLineParser parser;
    prepareParser(parser, command,
                  QStringLiteral(
                      "Draws every canvas of a project (or the one --canvas names) as the window shows it,\n"
                      "cropped to its items, into one file per canvas in DIR, named after the canvas's path\n"
                      "in the project browser; the paths of the files written go to stdout.\n"
                      "A picture may have at most 100 megapixels and 30000 pixels on a side; every canvas is\n"
                      "sized first, and when one would be larger, nothing is drawn.\n"
                      "Exit code 0 when every file was written, 2 for a usage error, a corrupt or unreadable\n"
                      "project, a picture that would be too large, or a file that could not be written."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The folder for the pictures; created when missing."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("svg (default) or png."),
                                    QStringLiteral("FORMAT"), QStringLiteral("svg"));
    const QCommandLineOption scale(QStringLiteral("scale"),
                                   QStringLiteral("Picture size per canvas unit, from %1 to %2 (default: 1).")
                                       .arg(CanvasRenderer::smallestScale)
                                       .arg(CanvasRenderer::largestScale),
                                   QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption canvas(QStringLiteral("canvas"),
                                    QStringLiteral("Only the canvas with this browser path, such as "
                                                   "\"Project/Hardware Module/Microcontroller\"."),
                                    QStringLiteral("PATH"));
    parser.addOptions({output, format, scale, canvas});

    QString file;
    const int parsed = parseCommand(parser, arguments, command, &file);
    if (parsed >= 0)
        return parsed;
    const QString folder = parser.value(output);
    if (!parser.isSet(output) || folder.isEmpty())
        return usageError(QStringLiteral("missing -o DIR"), command);
    const CanvasRenderer::Format chosen =
        parser.value(format) == QLatin1String("png") ? CanvasRenderer::Png : CanvasRenderer::Svg;
    if (parser.value(format) != QLatin1String("svg") && parser.value(format) != QLatin1String("png"))
        return usageError(QStringLiteral("--format is svg or png, not \"%1\"").arg(parser.value(format)), command);
    bool scaleOk = false;
    const double factor = parser.value(scale).toDouble(&scaleOk);
    if (!scaleOk || !CanvasRenderer::scaleProblem(factor).isEmpty())
        return usageError(QStringLiteral("--scale: %1, not \"%2\"")
                              .arg(CanvasRenderer::scaleProblem(scaleOk ? factor : -1), parser.value(scale)),
                          command);

    HeadlessProject project;
    if (!loadProject(project, file))
        return UsageOrFatal;
    const QVector<Canvas*>& canvases = project.canvases().all();
    QStringList paths;
    for (Canvas* each : canvases)
        paths << project.canvases().browserPath(each);
    const QStringList stems = CanvasRenderer::fileStems(paths);
    const int only = parser.isSet(canvas) ? paths.indexOf(parser.value(canvas)) : -1;
    if (parser.isSet(canvas) && only < 0)
        return usageError(QStringLiteral("%1 has no canvas \"%2\" (it has: %3)")
                              .arg(displayPath(file), parser.value(canvas), paths.join(QStringLiteral(", "))),
                          command);

    // Every picture is sized before the first is drawn: one too large
    // refuses the command, and nothing is written.
    bool allFit = true;
    for (int i = 0; i < canvases.size(); ++i) {
        if (only >= 0 && i != only)
            continue;
        project.canvases().refillMirrors(canvases.at(i));
        const QString problem = CanvasRenderer(canvases.at(i)).sizeProblem(factor);
        if (!problem.isEmpty()) {
            printError(QStringLiteral("%1: not drawn: %2").arg(paths.at(i), problem));
            allFit = false;
        }
    }
    if (!allFit)
        return UsageOrFatal;

    if (!QDir().mkpath(folder)) {
        printError(QStringLiteral("%1: the output folder cannot be created").arg(displayPath(folder)));
        return UsageOrFatal;
    }
    bool allWritten = true;
    for (int i = 0; i < canvases.size(); ++i) {
        if (only >= 0 && i != only)
            continue;
        // The mirrors a visit from the browser would show.
        project.canvases().refillMirrors(canvases.at(i));
        const QString target =
            QDir(folder).filePath(stems.at(i) + QLatin1Char('.') + CanvasRenderer::suffix(chosen));
        CanvasRenderer renderer(canvases.at(i));
        if (renderer.write(target, chosen, factor)) {
            printOut(displayPath(QDir::cleanPath(target)) + QLatin1Char('\n'));
        } else {
            printError(QStringLiteral("%1: not written: %2")
                           .arg(displayPath(QDir::cleanPath(target)), renderer.errorString()));
            allWritten = false;
        }
    }
    return allWritten ? Success : UsageOrFatal;
}

int runWithoutCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Korvel on the command line, without a display.\n\n"
        "Commands:\n"
        "  check FILE                  Integrity check: exit 0 if sound, 1 if corrupt or if\n"
        "                              items cannot be placed.\n"
        "  generate FILE -o DIR [--author A] [--organization O] [--version V] [--force]\n"
        "                              Writes the C files of every state machine into DIR.\n"
        "  resave FILE -o OUT [--allow-loss]\n"
        "                              Loads FILE and saves it to OUT as Save As does.\n"
        "  lint FILE [--format text|json]\n"
        "                              Design errors and warnings: exit 0 clean, 1 errors, 3 warnings.\n"
        "  simulate FILE --machine NAME [--ticks N] [--set VAR=VALUE[@TICK]]... [--scenario FILE]\n"
        "           [--format text|json] [--cc COMPILER]\n"
        "                              Compiles one machine's generated C and prints its state per\n"
        "                              tick: exit 0 ran, 1 design errors, 2 usage, compiler or run error.\n"
        "  render FILE -o DIR [--format svg|png] [--scale S] [--canvas PATH]\n"
        "                              Draws every canvas (or one) into a picture per canvas in DIR.\n\n"
        "'korvel-cli COMMAND --help' describes a command and its exit codes."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("check, generate, resave, lint, simulate or render."),
                                 QStringLiteral("COMMAND ..."));
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        printOut(parser.helpText());
        return Success;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        printOut(QStringLiteral("%1 %2\n").arg(QLatin1String(programName), QLatin1String(programVersion)));
        return Success;
    }
    if (parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("missing COMMAND"));
    return usageError(QStringLiteral("unknown command \"%1\"").arg(parser.positionalArguments().constFirst()));
}

int runCommand(const QStringList& arguments)
{
    const QString command = arguments.value(1);
    if (command == QLatin1String("check"))
        return runCheck(arguments);
    if (command == QLatin1String("generate"))
        return runGenerate(arguments);
    if (command == QLatin1String("resave"))
        return runResave(arguments);
    if (command == QLatin1String("lint"))
        return runLint(arguments);
    if (command == QLatin1String("simulate"))
        return runSimulate(arguments);
    if (command == QLatin1String("render"))
        return runRender(arguments);
    return runWithoutCommand(arguments);
}

} // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(quietMessageHandler);
    // Every command but render works on the project's data alone; render
    // draws its canvases, which need a GUI application (never a display).
    const QByteArray command = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    std::unique_ptr<QCoreApplication> app;
    if (command != "render") {
        app = std::make_unique<QCoreApplication>(argc, argv);
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QLatin1String(programName));
    QCoreApplication::setApplicationVersion(QLatin1String(programVersion));
    initKorvelResources();

    // A save cut off in place (by a kill or a crash) is undone first, so
    // that no command reads a half-written file.
    for (const QString& message : SafeSaveFile::restoreInterrupted())
        printError(message);
    try {
        return runCommand(QCoreApplication::arguments());
    } catch (const std::bad_alloc&) {
        // Unwinding has dropped any file half written; the previous ones stay.
        printError(QStringLiteral("out of memory; nothing was written"));
        return UsageOrFatal;
    }
}
