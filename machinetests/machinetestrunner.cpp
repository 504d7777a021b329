#include "machinetestrunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include "groupprocess.h"
#include "projectnode.h"
#include "simulationengine.h"

namespace {

const char sourceName[] = "tests.c";
const char programName[] = "tests";
const int compileLimitMs = 120000;
const int caseLimitMs = 10000;
const int traceShown = 5;

int stateIndex(const ProjectNode* machine, const QString& label)
{
    const Diagram::States& states = machine->diagram.states;
    for (int i = 0; i < states.size(); ++i)
        if (states.at(i)->label == label)
            return i;
    return -1;
}

// A file name as a C string literal, for #line.
QString cString(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString harnessHead(const QString& name)
{
    return QStringLiteral(
               "/* Tests written by Korvel: the case named by the first argument runs from a\n"
               "   freshly initialised %1 and prints each tick and its outcome. */\n"
               "#include <stdio.h>\n#include <stdlib.h>\n\n#include \"machine/%1.c\"\n\n"
               "static long korvel_tick;\n\n"
               "static void korvel_report(void)\n{\n"
               "\tprintf(\"tick\\t%ld\\t%d\\n\", korvel_tick, (int)%1GetState());\n\tfflush(stdout);\n}\n\n"
               "static void korvel_step(void)\n{\n\t%1();\n\t++korvel_tick;\n\tkorvel_report();\n}\n\n"
               "static int korvel_fail(int korvel_line)\n{\n"
               "\tprintf(\"fail\\t%d\\n\", korvel_line);\n\tfflush(stdout);\n\treturn 1;\n}\n\n")
        .arg(name);
}

// What a case prints, read a piece at a time: its state changes, its last
// ticks, and how it ended.
struct CaseOutput
{
    QVector<int> changes;
    QVector<QPair<long, int>> last;
    int failedLine = 0;
    bool passed = false;
    QByteArray partial;

    void read(const QByteArray& bytes)
    {
        partial += bytes;
        int start = 0;
        for (int end = partial.indexOf('\n'); end >= 0; end = partial.indexOf('\n', start)) {
            line(partial.mid(start, end - start));
            start = end + 1;
        }
        partial.remove(0, start);
    }

    void line(const QByteArray& text)
    {
        const QList<QByteArray> fields = text.split('\t');
        if (fields.size() == 3 && fields.at(0) == "tick") {
            const int state = fields.at(2).toInt();
            if (changes.isEmpty() || changes.last() != state)
                changes.append(state);
            last.append({fields.at(1).toLong(), state});
            if (last.size() > traceShown)
                last.removeFirst();
        } else if (fields.size() == 2 && fields.at(0) == "fail") {
            failedLine = fields.at(1).toInt();
        } else if (text == "pass") {
            passed = true;
        }
    }
};

} // namespace

MachineTestRunner::MachineTestRunner(const ProjectNode* node)
    : machine(node)
{
    reached.states.fill(0, machine->diagram.states.size());
    reached.transitions.fill(0, machine->diagram.transitions.size());
}

MachineTestRunner::~MachineTestRunner() = default;

QString MachineTestRunner::caseFunction(int index, const QString& file, const MachineTestFile::Case& test,
                                        QString* why) const
{
    const QString name = SimulationEngine::baseName(machine);
    const QStringList memories = SimulationEngine(machine).memoryNames();
    QString text = QStringLiteral("static int korvel_case_%1(void)\n{\n\tlong korvel_n = 0;\n"
                                  "\t%2Initialize();\n\tkorvel_tick = 0;\n\tkorvel_report();\n")
                       .arg(index)
                       .arg(name);
    for (const MachineTestFile::Step& step : test.steps) {
        const QString where = QStringLiteral("%1:%2: ").arg(file).arg(step.line);
        const int state = stateIndex(machine, step.name);
        if ((step.kind == MachineTestFile::Step::ExpectState || step.kind == MachineTestFile::Step::Until)
            && state < 0) {
            *why = where + QStringLiteral("machine %1 has no state %2").arg(name, step.name);
            return QString();
        }
        if (step.kind == MachineTestFile::Step::Set && !memories.contains(step.name)) {
            *why = where + QStringLiteral("machine %1 has no memory item %2").arg(name, step.name);
            return QString();
        }
        // A compiler's message about an expression names the test file's line.
        text += QStringLiteral("#line %1 %2\n").arg(step.line).arg(cString(file));
        const QString current = QStringLiteral("(int)%1GetState()").arg(name);
        switch (step.kind) {
        case MachineTestFile::Step::Set:
            text += QStringLiteral("\t%1 = (%2);\n").arg(step.name, step.expression);
            break;
        case MachineTestFile::Step::Tick:
            text += QStringLiteral("\tfor (korvel_n = 0; korvel_n < %1L; ++korvel_n)\n\t\tkorvel_step();\n")
                        .arg(step.count);
            break;
        case MachineTestFile::Step::ExpectState:
            text += QStringLiteral("\tif (%1 != %2)\n\t\treturn korvel_fail(%3);\n")
                        .arg(current)
                        .arg(state)
                        .arg(step.line);
            break;
        case MachineTestFile::Step::Expect:
            // One pass: a "%" in the expression is C, not a marker.
            text += QStringLiteral("\tif (!(%1))\n\t\treturn korvel_fail(%2);\n")
                        .arg(step.expression, QString::number(step.line));
            break;
        case MachineTestFile::Step::Until:
            text += QStringLiteral("\tfor (korvel_n = 0; korvel_n < %1L && %2 != %3; ++korvel_n)\n\t\tkorvel_step();\n"
                                   "\tif (%2 != %3)\n\t\treturn korvel_fail(%4);\n")
                        .arg(step.count)
                        .arg(current)
                        .arg(state)
                        .arg(step.line);
            break;
        }
    }
    return text + QStringLiteral("\t(void)korvel_n;\n\tprintf(\"pass\\n\");\n\treturn 0;\n}\n\n");
}

MachineTestRunner::Preparation MachineTestRunner::prepare(
    const QVector<QPair<QString, const MachineTestFile::Case*>>& cases, QString* why)
{
    prepared = cases;
    folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) {
        *why = QStringLiteral("no temporary folder for the tests: %1").arg(folder->errorString());
        return CannotBuild;
    }
    const QString name = SimulationEngine::baseName(machine);
    QString text = harnessHead(name);
    QString dispatch;
    for (int i = 0; i < cases.size(); ++i) {
        const QString function = caseFunction(i, cases.at(i).first, *cases.at(i).second, why);
        if (function.isEmpty())
            return BadStep;
        text += function;
        dispatch += QStringLiteral("\tcase %1:\n\t\treturn korvel_case_%1();\n").arg(i);
    }
    text += QStringLiteral("int main(int argc, char** argv)\n{\n\tswitch (argc > 1 ? atoi(argv[1]) : -1) {\n")
        + dispatch + QStringLiteral("\tdefault:\n\t\treturn 99;\n\t}\n}\n");

    // The machine's files exactly as Generate writes them, and the other
    // machines' files beside them.
    SimulationEngine engine(machine);
    engine.setCompiler(compiler);
    engine.setCompanions(companions);
    if (engine.prepare(folder->path(), SimulationEngine::Batch) != SimulationEngine::Prepared) {
        *why = engine.messages().join(QLatin1Char('\n'));
        return CannotBuild;
    }
    QFile source(QDir(folder->path()).filePath(QLatin1String(sourceName)));
    if (!source.open(QIODevice::WriteOnly) || source.write(text.toUtf8()) < 0 || !source.flush()) {
        *why = QStringLiteral("the tests of %1 could not be written: %2").arg(name, source.errorString());
        return CannotBuild;
    }
    source.close();
    QString output;
    const QStringList ownSource {QLatin1String(sourceName)};
    bool built = build(engine.compilerPath(), ownSource + engine.linkedArguments(), &output);
    while (!built && engine.linkMore(folder->path(), output.toLocal8Bit()))
        built = build(engine.compilerPath(), ownSource + engine.linkedArguments(), &output);
    standIns = engine.standInNotes(QStringLiteral("the tests"));
    if (!built) {
        const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        *why = QStringLiteral("the tests of %1 did not compile with %2:\n").arg(name, engine.compilerPath())
            + lines.filter(QStringLiteral("error")).mid(0, 5).join(QLatin1Char('\n'));
        return CannotBuild;
    }
    program = QDir(folder->path()).filePath(QLatin1String(programName));
    return Ready;
}

bool MachineTestRunner::build(const QString& compilerPath, const QStringList& sources, QString* output) const
{
    GroupProcess process;
    process.setWorkingDirectory(folder->path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(SimulationEngine::compilerEnvironment());
    process.start(compilerPath, QStringList {QStringLiteral("-o"), QLatin1String(programName)} + sources
                                    + QStringList {QStringLiteral("-lm")});
    const bool finished = process.waitForFinished(compileLimitMs);
    if (!finished)
        process.endGroup();
    *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

MachineTestRunner::Result MachineTestRunner::run(int index)
{
    Result result;
    const QString file = prepared.value(index).first;
    const MachineTestFile::Case* test = prepared.value(index).second;
    if (program.isEmpty() || !test) {
        result.problem = QStringLiteral("the tests were not built");
        return result;
    }
    GroupProcess process;
    process.setWorkingDirectory(folder->path());
    process.start(program, {QString::number(index)});
    // Read as it comes: a case of millions of ticks keeps only the state
    // changes and the last ticks, never all of its output.
    CaseOutput output;
    QElapsedTimer clock;
    clock.start();
    bool finished = true;
    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(50);
        output.read(process.readAllStandardOutput());
        if (process.state() != QProcess::NotRunning && clock.elapsed() > caseLimitMs) {
            finished = false;
            process.endGroup();
            break;
        }
    }
    output.read(process.readAllStandardOutput());
    output.read("\n");
    note(output.changes);
    SimulationEngine names(machine);
    const QVector<QPair<long, int>>& ticks = output.last;
    for (const QPair<long, int>& tick : ticks)
        result.trace.append(QStringLiteral("tick %1: %2").arg(tick.first).arg(names.stateLabel(tick.second)));
    const int failedLine = output.failedLine;
    const bool passed = output.passed;
    const QVector<int>& states = output.changes;
    result.tick = ticks.isEmpty() ? 0 : ticks.last().first;
    const QString at = ticks.isEmpty() ? QStringLiteral("before its first tick")
                                       : QStringLiteral("after tick %1").arg(result.tick);
    if (!finished) {
        result.problem = QStringLiteral("did not finish within %1 seconds (%2)").arg(caseLimitMs / 1000).arg(at);
    } else if (process.exitStatus() != QProcess::NormalExit) {
        result.problem = QStringLiteral("crashed %1").arg(at);
    } else if (passed && process.exitCode() == 0) {
        result.outcome = Result::Passed;
    } else if (failedLine > 0) {
        result.outcome = Result::Failed;
        for (const MachineTestFile::Step& step : test->steps) {
            if (step.line != failedLine)
                continue;
            result.location = QStringLiteral("%1:%2").arg(file).arg(step.line);
            result.expectation = step.text;
            result.actual = step.kind == MachineTestFile::Step::Expect
                ? QStringLiteral("it is false")
                : QStringLiteral("the state is %1").arg(names.stateLabel(states.value(states.size() - 1, -1)));
        }
    } else {
        result.problem = QStringLiteral("ended %1 with exit code %2").arg(at).arg(process.exitCode());
    }
    return result;
}

void MachineTestRunner::note(const QVector<int>& states)
{
    const Diagram::States& all = machine->diagram.states;
    const auto valid = [&all](int state) { return state >= 0 && state < all.size(); };
    for (int i = 0; i < states.size(); ++i) {
        const int state = states.at(i);
        if (!valid(state))
            continue;
        if (i == 0) {
            ++reached.initial;
            ++reached.states[state];
            continue;
        }
        const int from = states.at(i - 1);
        if (from == state)
            continue;
        ++reached.states[state];
        // Out of the start, once the initial condition holds.
        if (from == all.size()) {
            ++reached.initial;
            continue;
        }
        if (!valid(from))
            continue;
        const Diagram::Transitions& transitions = machine->diagram.transitions;
        for (int t = 0; t < transitions.size(); ++t)
            if (transitions.at(t)->startState == all.at(from)->id && transitions.at(t)->endState == all.at(state)->id)
                ++reached.transitions[t];
    }
}
