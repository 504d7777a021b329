#include "projectcommands.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

#include <cmath>
#include <cstdio>

#include "codegenerator.h"
#include "csyntaxcheck.h"
#include "designlinter.h"
#include "document.h"
#include "machineset.h"
#include "projectfilewriter.h"
#include "projectplacement.h"
#include "simulationengine.h"
#include "simulationscenario.h"
#include "xmlio.h"

namespace {

using CL = CommandLine;

// Everything the design checks find, diagram by diagram in the order the
// window keeps its canvases.
QVector<DesignLinter::Finding> lintProject(const ProjectPlacement& placement, const QString& compiler)
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
            findings += CSyntaxCheck::check(set.machines().at(next), compiler);
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

// Writes the files of every machine of the set; the exit code of generate.
int writeMachines(CodeGenerator& generator, const MachineSet& set, bool force)
{
    bool allWritten = true;
    bool designErrors = false;
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
        if (!force && !existing.isEmpty() && CodeGenerator::isSafeFileStem(name)
            && generator.designRefusals().isEmpty()) {
            QStringList shown;
            for (const QString& path : existing)
                shown << CL::displayPath(QDir::cleanPath(path));
            CL::printError(QStringLiteral("%1: skipped, %2 already %3 (--force replaces existing files)")
                               .arg(name, shown.join(QStringLiteral(" and ")),
                                    shown.size() == 1 ? QStringLiteral("exists") : QStringLiteral("exist")));
            allWritten = false;
            continue;
        }

        if (generator.writeStateMachineFiles()) {
            CL::printOut(CL::displayPath(QDir::cleanPath(generator.headerFilePath())) + QLatin1Char('\n'));
            CL::printOut(CL::displayPath(QDir::cleanPath(generator.sourceFilePath())) + QLatin1Char('\n'));
        } else if (generator.refusedForDesignErrors()) {
            printRefusals(generator);
            designErrors = true;
            continue;
        } else {
            allWritten = false;
        }
        for (const QString& error : generator.getWriteErrors())
            CL::printError(QStringLiteral("%1: %2").arg(name, error));
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
        return CL::UsageOrFatal;
    return designErrors ? CL::Failure : CL::Success;
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

// Prints the ticks that ran and, when the run did not finish, why; the exit
// code of simulate.
int reportRun(const SimulationEngine& engine, SimulationEngine::Outcome outcome, bool json)
{
    // The ticks that ran are shown even when the run failed later.
    if (json) {
        CL::printOut(simulationJson(engine.steps(), engine.memoryNames()));
    } else {
        QString text;
        for (const SimulationEngine::Step& step : engine.steps())
            text += QString::number(step.tick) + QLatin1Char('\t') + step.stateLabel + QLatin1Char('\n');
        CL::printOut(text);
    }
    if (outcome == SimulationEngine::Finished)
        return CL::Success;
    const QStringList messages = engine.messages();
    for (int i = 0; i < messages.size(); ++i) {
        // The compiler's own lines follow the summary as they are.
        if (i == 0)
            CL::printError(outcome == SimulationEngine::NoCompiler
                               ? messages.at(i) + QStringLiteral(" (--cc names another)")
                               : messages.at(i));
        else
            std::fputs((messages.at(i) + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    }
    std::fflush(stderr);
    return CL::UsageOrFatal;
}

} // namespace

int ProjectCommands::check(const QStringList& arguments)
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
    if (!readRecords(io, file, ProjectFileReader::Fields::Placement))
        return Failure;
    const ProjectPlacement placement(io.records());
    printLost(file, placement.lost());
    return placement.lost().isEmpty() ? Success : Failure;
}

int ProjectCommands::generate(const QStringList& arguments)
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
    const QCommandLineOption author(QStringLiteral("author"),
                                    QStringLiteral("Author in the file headers (default: empty)."), QStringLiteral("A"));
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

    // The file's records go once the machines are taken from them, before
    // any code is made: on a large project the code needs the room.
    MachineSet set;
    {
        XmlIO io;
        if (!readRecords(io, file, ProjectFileReader::Fields::Generation))
            return UsageOrFatal;
        const ProjectPlacement placement(io.records());
        printLost(file, placement.lost());
        placement.fillMachines(&set);
    }

    if (!QDir().mkpath(folder)) {
        printError(QStringLiteral("%1: the output folder cannot be created").arg(displayPath(folder)));
        return UsageOrFatal;
    }
    generator.setOutputFolder(folder);

    return writeMachines(generator, set, parser.isSet(force));
}

int ProjectCommands::resave(const QStringList& arguments)
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

int ProjectCommands::lint(const QStringList& arguments)
{
    const QString command = QStringLiteral("lint");
    QCommandLineParser parser;
    prepareParser(parser, command,
                  QStringLiteral(
                      "Reports what check and the code generator's design checks find, and what a reviewer\n"
                      "would question, one finding per line on stdout: path, severity, message, rule.\n"
                      "Each machine's C is compiled with -fsyntax-only (rule c-syntax), and each error\n"
                      "reported at the element whose text gave it.\n"
                      "Exit code 0 when nothing was found, 1 when there are errors (a corrupt project\n"
                      "included), 3 when there are warnings only, 2 for a usage error."));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("text (default) or json: an array with one object per finding "
                                                   "(rule, severity, path, message)."),
                                    QStringLiteral("FORMAT"), QStringLiteral("text"));
    parser.addOption(format);
    const QCommandLineOption cc = compilerOption();
    parser.addOption(cc);

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
        findings = lintProject(ProjectPlacement(io.records()), parser.value(cc));
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
        warnings = warnings || finding.severity == DesignLinter::Warning;
    }
    return warnings ? WarningsOnly : Success;
}

int ProjectCommands::simulate(const QStringList& arguments)
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
    const QCommandLineOption cc = compilerOption();
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
    if (!readRecords(io, file, ProjectFileReader::Fields::Generation))
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
    engine.setCompanions(machines);
    const SimulationEngine::Outcome outcome = engine.run();
    for (const QString& note : engine.standInNotes(QStringLiteral("the simulation")))
        printError(SimulationEngine::baseName(machines.at(found)) + QStringLiteral(": ") + note);
    if (outcome == SimulationEngine::BadAssignment)
        return usageError(engine.messages().value(0), command);
    if (outcome == SimulationEngine::DesignErrors) {
        for (const QString& error : engine.messages())
            std::fputs((error + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
        return Failure;
    }

    return reportRun(engine, outcome, chosen == QLatin1String("json"));
}
