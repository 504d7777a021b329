#include "simulationengine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "canvas.h"
#include "codegenerator.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "transitionitem.h"

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

SimulationEngine::SimulationEngine(Canvas* machine, ProcessItem* process)
    : canvas(machine), processItem(process)
{
}

QString SimulationEngine::baseName(const ProcessItem* process)
{
    return process ? cName(process->getLabel()) : QString();
}

int SimulationEngine::findMachine(const QVector<ProjectCanvases::StateMachine>& machines, const QString& name)
{
    for (int i = 0; i < machines.size(); ++i) {
        const ProcessItem* process = machines.at(i).process;
        // "Traffic Light" finds Traffic_Light as well, as its files are named.
        if (process && (process->getLabel() == name || baseName(process) == cName(name)))
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
    if (canvas) {
        for (const MemoryItem* memory : canvas->memoryItems)
            names.append(cName(memory->getLabel()));
    }
    return names;
}

QString SimulationEngine::assignmentProblem() const
{
    const QStringList names = memoryNames();
    for (const SimulationScenario::Assignment& assignment : assignments) {
        if (!names.contains(assignment.variable)) {
            return QStringLiteral("\"%1\" is not a memory item of %2 (its memory items: %3)")
                .arg(assignment.variable, baseName(processItem),
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
    const int count = canvas ? canvas->stateItems.size() : 0;
    if (state == count)
        return startLabel();
    if (state < 0 || state > count)
        return QStringLiteral("(unknown state %1)").arg(state);
    return canvas->stateItems.at(state)->getLabel();
}

QStringList SimulationEngine::transitionsBetween(int from, int to) const
{
    QStringList names;
    const int count = canvas ? canvas->stateItems.size() : 0;
    if (to < 0 || to >= count || from < 0 || from > count)
        return names;
    if (from == count) {
        names.append(initialTransitionLabel());
        return names;
    }
    const StateItem* source = canvas->stateItems.at(from);
    const StateItem* target = canvas->stateItems.at(to);
    const QList<TransitionItem*> candidates = from == to ? source->getSelfTransitions() : source->getTransitions();
    for (const TransitionItem* transition : candidates) {
        if (transition->startItem() == source && transition->endItem() == target)
            names.append(transition->getLabel());
    }
    return names;
}

QString SimulationEngine::harnessText(const QString& machineName) const
{
    QString text = QStringLiteral("/* Simulation harness written by Korvel: runs %1 tick by tick and\n"
                                  "   prints, after each tick, the tick, the state and the memory items. */\n"
                                  "#include <stddef.h>\n#include <stdio.h>\n\n"
                                  "#include \"%2/%1.c\"\n\n"
                                  "static FILE* korvel_trace;\n\n")
                       .arg(machineName, QLatin1String(machineFolder));
    QString selection;
    for (size_t i = 0; i < sizeof printers / sizeof printers[0]; ++i) {
        const Printer& printer = printers[i];
        text += QStringLiteral("static void korvel_print_%1(const void* p, size_t n)\n"
                               "{\n\t(void)n;\n\tfprintf(korvel_trace, \"%2\", (%3) * (const %4*)p);\n}\n")
                    .arg(QString::number(i), QLatin1String(printer.format), QLatin1String(printer.cast),
                         QLatin1String(printer.type));
        selection += QStringLiteral(", %1: korvel_print_%2").arg(QLatin1String(printer.type), QString::number(i));
    }
    text += QStringLiteral("static void korvel_print_bytes(const void* p, size_t n)\n{\n"
                           "\tconst unsigned char* b = (const unsigned char*)p;\n\tsize_t i;\n"
                           "\tfputs(\"bytes:\", korvel_trace);\n"
                           "\tfor (i = 0; i < n; ++i)\n\t\tfprintf(korvel_trace, \"%02x\", b[i]);\n}\n\n"
                           "#define KORVEL_PRINT(x) _Generic((x)%1, default: korvel_print_bytes)(&(x), sizeof(x))\n\n")
                .arg(selection);

    text += QStringLiteral("static void korvel_apply(long tick)\n{\n\tswitch (tick) {\n");
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

    text += QStringLiteral("static void korvel_report(long tick)\n{\n"
                           "\tfprintf(korvel_trace, \"%ld\\t%d\", tick, (int)%1GetState());\n")
                .arg(machineName);
    for (const QString& name : memoryNames())
        text += QStringLiteral("\tfputc('\\t', korvel_trace);\n\tKORVEL_PRINT(%1);\n").arg(name);
    text += QStringLiteral("\tfputc('\\n', korvel_trace);\n"
                           "\t/* What was printed survives a crash in a later tick. */\n"
                           "\tfflush(korvel_trace);\n}\n\n");

    text += QStringLiteral("int main(int argc, char** argv)\n{\n\tlong tick;\n"
                           "\tif (argc < 2 || !(korvel_trace = fopen(argv[1], \"w\")))\n\t\treturn 99;\n"
                           "\tkorvel_apply(0);\n\t%1Initialize();\n\tkorvel_report(0);\n"
                           "\tfor (tick = 1; tick <= %2L; ++tick) {\n"
                           "\t\tkorvel_apply(tick);\n\t\t%1();\n\t\tkorvel_report(tick);\n\t}\n"
                           "\tfclose(korvel_trace);\n\treturn 0;\n}\n")
                .arg(machineName, QString::number(ticks));
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

bool SimulationEngine::compile(const QString& folder, const QString& program)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, {QStringLiteral("-o"), QLatin1String(programName), QLatin1String(harnessName),
                            QStringLiteral("-lm")});
    const bool finished = process.waitForFinished(compileTimeLimit);
    if (!finished && process.error() == QProcess::FailedToStart) {
        problems.append(QStringLiteral("the C compiler %1 could not be started: %2")
                            .arg(program, process.errorString()));
        return false;
    }
    if (!finished) {
        process.kill();
        process.waitForFinished();
        problems.append(QStringLiteral("the C compiler %1 did not finish within %2 seconds")
                            .arg(program, QString::number(compileTimeLimit / 1000)));
        return false;
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;

    problems.append(QStringLiteral("the simulation of %1 did not compile with %2:")
                        .arg(baseName(processItem), program));
    const QStringList lines = QString::fromLocal8Bit(process.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
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
        errors.append(QStringLiteral("(the compiler gave exit code %1 without a message)")
                          .arg(process.exitCode()));
    problems += errors;
    return false;
}

void SimulationEngine::readTrace(const QByteArray& bytes)
{
    const int stateCount = canvas->stateItems.size();
    const int memoryCount = canvas->memoryItems.size();
    int previous = stateCount;
    const QList<QByteArray> lines = bytes.split('\n');
    // The last piece is empty or a line cut short by a crash.
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const QStringList fields = QString::fromLocal8Bit(lines.at(i)).split(QLatin1Char('\t'));
        if (fields.size() != 2 + memoryCount)
            break;
        Step step;
        bool tickOk = false;
        bool stateOk = false;
        step.tick = fields.at(0).toInt(&tickOk);
        step.state = fields.at(1).toInt(&stateOk);
        if (!tickOk || !stateOk)
            break;
        step.stateLabel = stateLabel(step.state);
        step.transitions = transitionsBetween(previous, step.state);
        step.values = fields.mid(2);
        previous = step.state;
        trace.append(step);
    }
}

SimulationEngine::Outcome SimulationEngine::execute(const QString& folder, const QString& program)
{
    const QString traceFile = folder + QStringLiteral("/trace.txt");
    QProcess process;
    process.setWorkingDirectory(folder);
    // What the machine's own code prints must not fill a pipe nobody reads.
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, {traceFile});
    const bool finished = process.waitForFinished(timeLimit);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    QFile file(traceFile);
    if (file.open(QIODevice::ReadOnly))
        readTrace(file.readAll());
    const QString after = trace.isEmpty() ? QStringLiteral("before tick 0")
                                          : QStringLiteral("after tick %1").arg(trace.constLast().tick);
    if (!finished) {
        problems.append(QStringLiteral("the simulation of %1 was stopped %2: %3 ticks did not finish within %4 "
                                       "seconds (does a state's code loop forever?)")
                            .arg(baseName(processItem), after, QString::number(ticks),
                                 QString::number(timeLimit / 1000.0)));
        return RunFailed;
    }
    if (process.exitStatus() != QProcess::NormalExit) {
        problems.append(QStringLiteral("the simulation of %1 crashed %2").arg(baseName(processItem), after));
        return RunFailed;
    }
    if (process.exitCode() != 0 || trace.size() != ticks + 1) {
        problems.append(QStringLiteral("the simulation of %1 ended %2 with exit code %3")
                            .arg(baseName(processItem), after, QString::number(process.exitCode())));
        return RunFailed;
    }
    return Finished;
}

SimulationEngine::Outcome SimulationEngine::run()
{
    trace.clear();
    problems.clear();
    if (!canvas || !processItem) {
        problems.append(QStringLiteral("no state machine was given to the simulation"));
        return RunFailed;
    }
    const QString problem = assignmentProblem();
    if (!problem.isEmpty()) {
        problems.append(problem);
        return BadAssignment;
    }

    QTemporaryDir folder;
    if (!folder.isValid() || !QDir(folder.path()).mkdir(QLatin1String(machineFolder))) {
        problems.append(QStringLiteral("no temporary folder for the simulation: %1").arg(folder.errorString()));
        return RunFailed;
    }
    // Exactly the files Generate writes, from the same generator.
    CodeGenerator generator;
    generator.setOutputFolder(folder.filePath(QLatin1String(machineFolder)));
    generator.setCanvasItem(canvas);
    generator.setProcessItem(processItem);
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

    const QString program = compilerPath();
    if (program.isEmpty()) {
        const QString wanted = compiler.isEmpty() ? QStringLiteral("cc") : compiler;
        problems.append(wanted.contains(QLatin1Char('/'))
                            ? QStringLiteral("no C compiler: %1 is not an executable file").arg(wanted)
                            : QStringLiteral("no C compiler: %1 was not found on the PATH").arg(wanted));
        return NoCompiler;
    }
    QFile harness(folder.filePath(QLatin1String(harnessName)));
    if (!harness.open(QIODevice::WriteOnly | QIODevice::Text)
        || harness.write(harnessText(name).toUtf8()) < 0 || !harness.flush()) {
        problems.append(QStringLiteral("the simulation harness could not be written: %1").arg(harness.errorString()));
        return RunFailed;
    }
    harness.close();
    if (!compile(folder.path(), program))
        return problems.constFirst().startsWith(QLatin1String("the C compiler")) ? NoCompiler : CompileFailed;
    return execute(folder.path(), folder.filePath(QLatin1String(programName)));
}
