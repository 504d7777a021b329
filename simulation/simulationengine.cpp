#include "simulationengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "codegenerator.h"
#include "groupprocess.h"
#include "projectnode.h"

namespace {

const char harnessName[] = "harness.c";
const char programName[] = "harness";
const char machineFolder[] = "machine";
// A compile must not hang the caller forever either.
const int compileTimeLimit = 120000;
const int firstErrorLines = 5;

QString cName(QString label)
{
    return label.replace(QLatin1Char(' '), QLatin1Char('_'));
}

// How the harness prints a value of each arithmetic type; any other type is
// printed as its bytes in memory order.
struct Printer
{
    const char* type;
    const char* format;
    const char* cast;
};

const Printer printers[] = {
    {"_Bool", "%d", "int"},
    {"char", "%lld", "long long"},
    {"signed char", "%lld", "long long"},
    {"short", "%lld", "long long"},
    {"int", "%lld", "long long"},
    {"long", "%lld", "long long"},
    {"long long", "%lld", "long long"},
    {"unsigned char", "%llu", "unsigned long long"},
    {"unsigned short", "%llu", "unsigned long long"},
    {"unsigned int", "%llu", "unsigned long long"},
    {"unsigned long", "%llu", "unsigned long long"},
    {"unsigned long long", "%llu", "unsigned long long"},
    // Enough digits to read back the same value.
    {"float", "%.9g", "double"},
    {"double", "%.17g", "double"},
    {"long double", "%.21Lg", "long double"},
};

} // namespace

SimulationEngine::SimulationEngine(const ProjectNode* machine)
    : machine(machine)
{
}

QString SimulationEngine::baseName(const ProjectNode* machine)
{
    return machine ? cName(machine->process.label) : QString();
}

int SimulationEngine::findMachine(const QVector<const ProjectNode*>& machines, const QString& name)
{
    for (int i = 0; i < machines.size(); ++i) {
        const ProjectNode* machine = machines.at(i);
        // "Traffic Light" finds Traffic_Light as well, as its files are named.
        if (machine && (machine->process.label == name || baseName(machine) == cName(name)))
            return i;
    }
    return -1;
}

QString SimulationEngine::startLabel()
{
    return QStringLiteral("(start)");
}

QString SimulationEngine::initialTransitionLabel()
{
    return QStringLiteral("(initial)");
}

QStringList SimulationEngine::memoryNames() const
{
    QStringList names;
    if (machine) {
        for (const MemoryElement& memory : machine->diagram.memories)
            names.append(cName(memory.label));
    }
    return names;
}

QString SimulationEngine::assignmentProblem() const
{
    const QStringList names = memoryNames();
    for (const SimulationScenario::Assignment& assignment : assignments) {
        if (!names.contains(assignment.variable)) {
            return QStringLiteral("\"%1\" is not a memory item of %2 (its memory items: %3)")
                .arg(assignment.variable, baseName(machine),
                     names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", ")));
        }
        if (assignment.tick > ticks) {
            return QStringLiteral("%1 is set at tick %2, after the last tick (%3)")
                .arg(assignment.variable, QString::number(assignment.tick), QString::number(ticks));
        }
    }
    return QString();
}

QString SimulationEngine::stateLabel(int state) const
{
    const int count = machine ? machine->diagram.states.size() : 0;
    if (state == count)
        return startLabel();
    if (state < 0 || state > count)
        return QStringLiteral("(unknown state %1)").arg(state);
    return machine->diagram.states.at(state)->label;
}

QStringList SimulationEngine::transitionsBetween(int from, int to) const
{
    QStringList names;
    const int count = machine ? machine->diagram.states.size() : 0;
    if (to < 0 || to >= count || from < 0 || from > count)
        return names;
    if (from == count) {
        names.append(initialTransitionLabel());
        return names;
    }
    const StateElement& source = machine->diagram.states.at(from);
    const StateElement& target = machine->diagram.states.at(to);
    // A stay names the state's self transitions, which its list leaves out;
    // a move, the transitions of its list in the order they were drawn.
    QHash<ElementId, const TransitionElement*> byId;
    for (const TransitionElement& transition : machine->diagram.transitions) {
        if (from == to && transition.startState == source.id && transition.endState == source.id)
            names.append(transition.label);
        byId.insert(transition.id, &transition);
    }
    if (from == to)
        return names;
    for (ElementId id : source.transitions) {
        const TransitionElement* transition = byId.value(id);
        if (transition && transition->startState == source.id && transition->endState == target.id)
            names.append(transition->label);
    }
    return names;
}

QString SimulationEngine::interactiveMarker()
{
    return QStringLiteral("@korvel");
}

QString SimulationEngine::harnessText(const QString& machineName, Mode mode) const
{
    QString text = QStringLiteral("/* Simulation harness written by Korvel: runs %1 tick by tick and\n"
                                  "   prints, after each tick, the tick, the state and the memory items. */\n"
                                  "#include <stddef.h>\n#include <stdio.h>\n\n"
                                  "#include \"%2/%1.c\"\n\n"
                                  "static FILE* korvel_trace;\n\n")
                       .arg(machineName, QLatin1String(machineFolder));
    QString selection;
    QString setters;
    for (size_t i = 0; i < sizeof printers / sizeof printers[0]; ++i) {
        const Printer& printer = printers[i];
        text += QStringLiteral("static void korvel_print_%1(const void* p, size_t n)\n"
                               "{\n\t(void)n;\n\tfprintf(korvel_trace, \"%2\", (%3) * (const %4*)p);\n}\n")
                    .arg(QString::number(i), QLatin1String(printer.format), QLatin1String(printer.cast),
                         QLatin1String(printer.type));
        selection += QStringLiteral(", %1: korvel_print_%2").arg(QLatin1String(printer.type), QString::number(i));
        if (mode == Interactive) {
            // Whole numbers in C notation (decimal, 0x hexadecimal) for every
            // integer type, real numbers for the floating ones.
            const QLatin1String type(printer.type);
            const bool real = type == QLatin1String("float") || type == QLatin1String("double");
            const bool longReal = type == QLatin1String("long double");
            setters += QStringLiteral("static int korvel_set_%1(void* p, const char* s)\n{\n"
                                      "\t%2 v;\n\tint n = 0;\n"
                                      "\tif (sscanf(s, \" %3 %n\", &v, &n) != 1 || s[n] != '\\0')\n\t\treturn 0;\n"
                                      "\t*(%4*)p = (%4)v;\n\treturn 1;\n}\n")
                           .arg(QString::number(i),
                                longReal ? QStringLiteral("long double")
                                         : real ? QStringLiteral("double") : QStringLiteral("long long"),
                                longReal ? QStringLiteral("%Lf") : real ? QStringLiteral("%lf") : QStringLiteral("%lli"),
                                type);
        }
    }
    text += QStringLiteral("static void korvel_print_bytes(const void* p, size_t n)\n{\n"
                           "\tconst unsigned char* b = (const unsigned char*)p;\n\tsize_t i;\n"
                           "\tfputs(\"bytes:\", korvel_trace);\n"
                           "\tfor (i = 0; i < n; ++i)\n\t\tfprintf(korvel_trace, \"%02x\", b[i]);\n}\n\n"
                           "#define KORVEL_PRINT(x) _Generic((x)%1, default: korvel_print_bytes)(&(x), sizeof(x))\n\n")
                .arg(selection);

    // Parameters and locals carry the prefix: a memory item called "tick"
    // must not be hidden behind one of them.
    text += QStringLiteral("static void korvel_apply(long korvel_tick)\n{\n\tswitch (korvel_tick) {\n");
    QVector<int> ticksSet;
    for (const SimulationScenario::Assignment& assignment : assignments) {
        if (!ticksSet.contains(assignment.tick))
            ticksSet.append(assignment.tick);
    }
    for (int tick : qAsConst(ticksSet)) {
        text += QStringLiteral("\tcase %1:\n").arg(tick);
        for (const SimulationScenario::Assignment& assignment : assignments) {
            if (assignment.tick == tick)
                text += QStringLiteral("\t\t%1 = (%2);\n").arg(assignment.variable, assignment.value);
        }
        text += QStringLiteral("\t\tbreak;\n");
    }
    text += QStringLiteral("\tdefault:\n\t\tbreak;\n\t}\n}\n\n");

    const QStringList names = memoryNames();
    text += QStringLiteral("static void korvel_report(long korvel_tick)\n{\n");
    if (mode == Interactive)
        text += QStringLiteral("\tfputs(\"%1\\t\", korvel_trace);\n").arg(interactiveMarker());
    text += QStringLiteral("\tfprintf(korvel_trace, \"%ld\\t%d\", korvel_tick, (int)%1GetState());\n")
                .arg(machineName);
    for (const QString& name : names)
        text += QStringLiteral("\tfputc('\\t', korvel_trace);\n\tKORVEL_PRINT(%1);\n").arg(name);
    text += QStringLiteral("\tfputc('\\n', korvel_trace);\n"
                           "\t/* What was printed survives a crash in a later tick. */\n"
                           "\tfflush(korvel_trace);\n}\n\n");

    if (mode == Batch) {
        text += QStringLiteral("int main(int argc, char** argv)\n{\n\tlong tick;\n"
                               "\tif (argc < 2 || !(korvel_trace = fopen(argv[1], \"w\")))\n\t\treturn 99;\n"
                               "\tkorvel_apply(0);\n\t%1Initialize();\n\tkorvel_report(0);\n"
                               "\tfor (tick = 1; tick <= %2L; ++tick) {\n"
                               "\t\tkorvel_apply(tick);\n\t\t%1();\n\t\tkorvel_report(tick);\n\t}\n"
                               "\tfclose(korvel_trace);\n\treturn 0;\n}\n")
                    .arg(machineName, QString::number(ticks));
        return text;
    }

    text += setters;
    text += QStringLiteral("static int korvel_set_bytes(void* p, const char* s)\n{\n"
                           "\t(void)p;\n\t(void)s;\n\treturn 0;\n}\n\n"
                           "#define KORVEL_SET(x, s) _Generic((x)%1, default: korvel_set_bytes)(&(x), s)\n\n")
                .arg(QString(selection).replace(QLatin1String("korvel_print_"), QLatin1String("korvel_set_")));
    text += QStringLiteral("static int korvel_set(int korvel_index, const char* korvel_text)\n{\n"
                           "\tswitch (korvel_index) {\n");
    for (int i = 0; i < names.size(); ++i)
        text += QStringLiteral("\tcase %1:\n\t\treturn KORVEL_SET(%2, korvel_text);\n").arg(i).arg(names.at(i));
    text += QStringLiteral("\tdefault:\n\t\treturn 0;\n\t}\n}\n\n");
    text += QStringLiteral(
                "static int korvel_is(const char* line, const char* command)\n{\n"
                "\twhile (*command && *line == *command) {\n\t\t++line;\n\t\t++command;\n\t}\n"
                "\treturn !*command && (*line == '\\0' || *line == ' ');\n}\n\n"
                "int main(void)\n{\n\tchar line[4096];\n\tlong tick = 0;\n\tint index;\n\tint n;\n"
                "\tkorvel_trace = stderr;\n"
                "\twhile (fgets(line, sizeof line, stdin)) {\n"
                "\t\tfor (n = 0; line[n]; ++n) {\n"
                "\t\t\tif (line[n] == '\\n' || line[n] == '\\r') {\n\t\t\t\tline[n] = '\\0';\n\t\t\t\tbreak;\n\t\t\t}\n"
                "\t\t}\n"
                "\t\tif (korvel_is(line, \"init\")) {\n\t\t\ttick = 0;\n\t\t\t%1Initialize();\n\t\t\tkorvel_report(tick);\n"
                "\t\t} else if (korvel_is(line, \"step\")) {\n\t\t\t++tick;\n\t\t\t%1();\n\t\t\tkorvel_report(tick);\n"
                "\t\t} else if (korvel_is(line, \"set\") && sscanf(line, \"set %d %n\", &index, &n) == 1) {\n"
                "\t\t\tfprintf(korvel_trace, \"%2\\tset\\t%d\\t%d\\n\", index, korvel_set(index, line + n));\n"
                "\t\t\tfflush(korvel_trace);\n"
                "\t\t} else if (korvel_is(line, \"quit\")) {\n\t\t\tbreak;\n\t\t}\n\t}\n\treturn 0;\n}\n")
                .arg(machineName, interactiveMarker());
    return text;
}

QString SimulationEngine::compilerPath() const
{
    const QString name = compiler.isEmpty() ? QStringLiteral("cc") : compiler;
    if (name.contains(QLatin1Char('/'))) {
        const QFileInfo info(name);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(name);
}

QStringList SimulationEngine::compileArguments() const
{
    return QStringList {QStringLiteral("-o"), QLatin1String(programName), QLatin1String(harnessName)}
        + linked.arguments() + QStringList {QStringLiteral("-lm")};
}

bool SimulationEngine::linkMore(const QString& folder, const QByteArray& output)
{
    return linked.linkMore(folder, QString::fromLocal8Bit(output));
}

QProcessEnvironment SimulationEngine::compilerEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return environment;
}

QStringList SimulationEngine::standInNotes(const QString& who) const
{
    QStringList notes;
    for (const QString& function : linked.standInFunctions())
        notes << QStringLiteral("%1() is defined outside the project: %2 calls a stand-in that returns 0")
                     .arg(function, who);
    for (const QString& variable : linked.standInVariables())
        notes << QStringLiteral("%1 is defined outside the project: %2 reads a stand-in that holds 0")
                     .arg(variable, who);
    return notes;
}

QString SimulationEngine::programFileName()
{
    return QLatin1String(programName);
}

QString SimulationEngine::noCompilerMessage() const
{
    const QString wanted = compiler.isEmpty() ? QStringLiteral("cc") : compiler;
    return wanted.contains(QLatin1Char('/'))
        ? QStringLiteral("no C compiler: %1 is not an executable file").arg(wanted)
        : QStringLiteral("no C compiler: %1 was not found on the PATH").arg(wanted);
}

SimulationEngine::Outcome SimulationEngine::noteCompileFailure(const QString& program, const QByteArray& output,
                                                               int exitCode)
{
    problems.append(QStringLiteral("the simulation of %1 did not compile with %2:")
                        .arg(baseName(machine), program));
    const QStringList lines = QString::fromLocal8Bit(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // The errors themselves, not the "In function" lines around them; the
    // linker names what is missing in lines of its own.
    QStringList errors;
    for (const QString& line : lines) {
        if ((line.contains(QLatin1String("error"), Qt::CaseInsensitive)
             || line.contains(QLatin1String("undefined reference")))
            && errors.size() < firstErrorLines)
            errors.append(line);
    }
    if (errors.isEmpty())
        errors = lines.mid(0, firstErrorLines);
    if (errors.isEmpty())
        errors.append(QStringLiteral("(the compiler gave exit code %1 without a message)").arg(exitCode));
    problems += errors;
    return CompileFailed;
}

bool SimulationEngine::compile(const QString& folder, const QString& program)
{
    GroupProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(compilerEnvironment());
    process.start(program, compileArguments());
    bool finished = process.waitForFinished(compileTimeLimit);
    QByteArray output = process.readAll();
    while (finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() != 0
           && linkMore(folder, output)) {
        process.start(program, compileArguments());
        finished = process.waitForFinished(compileTimeLimit);
        output = process.readAll();
    }
    if (!finished && process.error() == QProcess::FailedToStart) {
        problems.append(QStringLiteral("the C compiler %1 could not be started: %2")
                            .arg(program, process.errorString()));
        return false;
    }
    if (!finished) {
        process.endGroup();
        problems.append(QStringLiteral("the C compiler %1 did not finish within %2 seconds")
                            .arg(program, QString::number(compileTimeLimit / 1000)));
        return false;
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    noteCompileFailure(program, output, process.exitCode());
    return false;
}

bool SimulationEngine::readStep(const QString& line, int previousState, Step* step) const
{
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() != 2 + machine->diagram.memories.size())
        return false;
    bool tickOk = false;
    bool stateOk = false;
    step->tick = fields.at(0).toInt(&tickOk);
    step->state = fields.at(1).toInt(&stateOk);
    if (!tickOk || !stateOk)
        return false;
    step->stateLabel = stateLabel(step->state);
    step->transitions = transitionsBetween(previousState, step->state);
    step->values = fields.mid(2);
    return true;
}

void SimulationEngine::readTrace(const QByteArray& bytes)
{
    int previous = machine->diagram.states.size();
    const QList<QByteArray> lines = bytes.split('\n');
    // The last piece is empty or a line cut short by a crash.
    for (int i = 0; i + 1 < lines.size(); ++i) {
        Step step;
        if (!readStep(QString::fromLocal8Bit(lines.at(i)), previous, &step))
            break;
        previous = step.state;
        trace.append(step);
    }
}

SimulationEngine::Outcome SimulationEngine::execute(const QString& folder, const QString& program)
{
    const QString traceFile = folder + QStringLiteral("/trace.txt");
    GroupProcess process;
    process.setWorkingDirectory(folder);
    // What the machine's own code prints must not fill a pipe nobody reads.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, {traceFile});
    const bool finished = process.waitForFinished(timeLimit);
    // Whatever the machine's code started ends with the run, however it ended.
    process.endGroup();
    QFile file(traceFile);
    if (file.open(QIODevice::ReadOnly))
        readTrace(file.readAll());
    const QString after = trace.isEmpty() ? QStringLiteral("before tick 0")
                                          : QStringLiteral("after tick %1").arg(trace.constLast().tick);
    if (!finished) {
        problems.append(QStringLiteral("the simulation of %1 was stopped %2: %3 ticks did not finish within %4 "
                                       "seconds (does a state's code loop forever?)")
                            .arg(baseName(machine), after, QString::number(ticks),
                                 QString::number(timeLimit / 1000.0)));
        return RunFailed;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        problems.append(QStringLiteral("the simulation of %1 crashed %2").arg(baseName(machine), after));
        return RunFailed;
    }
    if (process.exitCode() != 0 || trace.size() != ticks + 1) {
        problems.append(QStringLiteral("the simulation of %1 ended %2 with exit code %3")
                            .arg(baseName(machine), after, QString::number(process.exitCode())));
        return RunFailed;
    }
    return Finished;
}

SimulationEngine::Outcome SimulationEngine::prepare(const QString& folder, Mode mode)
{
    trace.clear();
    problems.clear();
    if (!machine) {
        problems.append(QStringLiteral("no state machine was given to the simulation"));
        return RunFailed;
    }
    if (mode == Batch) {
        const QString problem = assignmentProblem();
        if (!problem.isEmpty()) {
            problems.append(problem);
            return BadAssignment;
        }
    }
    const QDir dir(folder);
    if (!dir.exists(QLatin1String(machineFolder)) && !dir.mkpath(QLatin1String(machineFolder))) {
        problems.append(QStringLiteral("no folder for the simulation's files in %1").arg(folder));
        return RunFailed;
    }

    // Exactly the files Generate writes, from the same generator.
    CodeGenerator generator;
    generator.setOutputFolder(dir.filePath(QLatin1String(machineFolder)));
    generator.setMachine(machine);
    generator.setNumberOfInputOutputVariables();
    const bool written = generator.writeStateMachineFiles();
    const QString name = generator.getStateMachineName();
    if (generator.refusedForDesignErrors()) {
        problems += generator.getErrorList().toList();
        return DesignErrors;
    }
    if (!generator.getErrorList().isEmpty()) {
        for (const QString& error : generator.getErrorList())
            problems.append(name + QStringLiteral(": ") + QString(error).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return DesignErrors;
    }
    if (!written) {
        problems += generator.getWriteErrors().toList();
        return RunFailed;
    }

    if (compilerPath().isEmpty()) {
        problems.append(noCompilerMessage());
        return NoCompiler;
    }
    linked.writeCompanions(folder);
    QFile harness(dir.filePath(QLatin1String(harnessName)));
    if (!harness.open(QIODevice::WriteOnly | QIODevice::Text)
        || harness.write(harnessText(name, mode).toUtf8()) < 0 || !harness.flush()) {
        problems.append(QStringLiteral("the simulation harness could not be written: %1").arg(harness.errorString()));
        return RunFailed;
    }
    return Prepared;
}

SimulationEngine::Outcome SimulationEngine::run()
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        trace.clear();
        problems = QStringList{QStringLiteral("no temporary folder for the simulation: %1").arg(folder.errorString())};
        return RunFailed;
    }
    const Outcome prepared = prepare(folder.path(), Batch);
    if (prepared != Prepared)
        return prepared;
    const QString program = compilerPath();
    if (!compile(folder.path(), program))
        return problems.constFirst().startsWith(QLatin1String("the C compiler")) ? NoCompiler : CompileFailed;
    return execute(folder.path(), folder.filePath(QLatin1String(programName)));
}
