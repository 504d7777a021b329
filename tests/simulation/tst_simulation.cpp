// korvel-cli simulate run as a process on small machines written in the
// test: the walks they must take, the text and JSON output, and the ways a
// simulation is refused (design errors, bad options, no or failing compiler);
// the other machines and stand-ins linked in; and nothing the machine
// started outlives its run.

#include <QtTest>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "document.h"
#include "projectdocument.h"
#include "projectplacement.h"
#include "simulationengine.h"
#include "simulationsession.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "xmlio.h"

namespace {

const QString cli = QStringLiteral(KORVEL_BINARY_DIR "/korvel-cli");

struct State
{
    QString label;
    QString initialCondition; // "-" for a state that is not the initial one
    QString action;
};

struct Transition
{
    QString label;
    QString from;
    QString to;
    QString condition;
    QString action;
};

struct Machine
{
    QVector<State> states;
    QVector<Transition> transitions;
    QStringList memories; // "label:datatype"
    QVector<QPair<int, QString>> texts = {}; // text items: kind, text
};

// A project with one state machine, "Walk Test", in the layout Save writes.
QByteArray projectText(const Machine& machine)
{
    using Doc = ProjectDocument;
    Doc doc;
    doc.treeText = QStringLiteral("\r\nPlant\r\n    Board\r\n        MCU\r\n            Software\r\n"
                                  "                Walk Test\r\n");
    const QStringList levels = {"Plant", "Board", "MCU", "Software", "Walk Test"};
    for (int level = 1; level <= 5; ++level) {
        doc.add(Doc::process().with("level", QString::number(level)).with("Nos", "1").with("id", "1")
                    .with("label", levels.at(level - 1)).with("code", "").with("description", ""));
    }
    for (const QString& memory : machine.memories) {
        doc.add(Doc::memory().with("level", "6").with("parentId", "1").with("label", memory.section(':', 0, 0))
                    .with("datatype", memory.section(':', 1)));
    }
    for (const State& state : machine.states) {
        QStringList attached;
        for (const Transition& transition : machine.transitions) {
            if (transition.from == state.label || transition.to == state.label)
                attached.append(transition.label);
        }
        const bool initial = state.initialCondition != QLatin1String("-");
        doc.add(Doc::state().with("label", state.label).with("ifInitialState", initial ? "1" : "0")
                    .with("initialCondition", initial ? state.initialCondition : QString())
                    .with("initialDescription", "").with("action", state.action).with("description", "")
                    .with("numberOfTI", QString::number(attached.size())).with("transitions", attached.join(',')));
    }
    for (const auto& text : machine.texts)
        doc.add(Doc::text().with("type", QString::number(text.first)).with("action", text.second));
    for (const Transition& t : machine.transitions) {
        doc.add(Doc::transition().with("label", t.label).with("condition", t.condition).with("startItem", t.from)
                    .with("endItem", t.to).with("description", "").with("action", t.action));
    }
    return doc.toXml();
}

// Waits for Start: the initial condition is false until "go" is set.
Machine lateStart()
{
    return {{{"Idle", "(go)", "n++;"}}, {}, {"go:int", "n:int"}};
}

// Leaves Idle for Busy when "req" is set, and comes back at once, clearing it.
Machine guarded()
{
    return {{{"Idle", "(1)", ""}, {"Busy", "-", "n++;"}},
            {{"start", "Idle", "Busy", "(req > 0)", ""}, {"done", "Busy", "Idle", "(1)", "req = 0;"}},
            {"req:unsigned", "n:int", "level:float"}};
}

// Stays in Loop through its self transition; the state's code counts.
Machine selfLoop()
{
    return {{{"Loop", "(1)", "n = n + 2;"}}, {{"again", "Loop", "Loop", "(1)", ""}}, {"n:long"}};
}

// Two transitions out of A are both true: the first listed is taken. From B
// two transitions lead to C and cannot be told apart.
Machine firstWins()
{
    return {{{"A", "(1)", ""}, {"B", "-", ""}, {"C", "-", ""}},
            {{"first", "A", "B", "(1)", ""}, {"second", "A", "C", "(1)", ""}, {"p", "B", "C", "(x)", ""},
             {"q", "B", "C", "(!x)", ""}},
            {"x:_Bool"}};
}

// Idle's code leaves a child behind once, sleeping for good, and writes its
// process id to marker.
Machine leavesAChild(const QString& marker)
{
    const QString code = QStringLiteral(
        "static void leaveAChild(void)\n{\n    static int done;\n    if (done++)\n        return;\n"
        "    pid_t child = fork();\n    if (child == 0)\n        for (;;)\n            pause();\n"
        "    FILE* file = fopen(\"%1\", \"w\");\n    fprintf(file, \"%d\\n\", (int)child);\n"
        "    fclose(file);\n}\n").arg(marker);
    return {{{"Idle", "(1)", "leaveAChild();"}}, {}, {}, {{1, "#include <stdio.h>\n#include <unistd.h>"}, {0, code}}};
}

// Whether the process is gone: no longer there, a zombie, or another program.
bool gone(qint64 pid, const QString& program)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const int open = text.indexOf('('), close = text.lastIndexOf(')');
    return text.mid(open + 1, close - open - 1) != program.left(15).toUtf8() || text.mid(close + 2, 1) == "Z";
}

struct Result
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};


// Compiling on a loaded machine can take long; nothing here depends on it.
const int compileWait = 60000;

} // namespace

Q_DECLARE_METATYPE(Machine)

class TestSimulation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void walks_data();
    void walks();
    void refusals_data();
    void refusals();
    void syntaxErrorsPointAtTheirElements_data();
    void syntaxErrorsPointAtTheirElements();
    void machinesRunLinkedAsInTheFirmware_data();
    void machinesRunLinkedAsInTheFirmware();
    void nothingTheMachineStartedOutlivesTheRun_data();
    void nothingTheMachineStartedOutlivesTheRun();

private:
    Result run(const Machine& machine, const QStringList& arguments, const QString& command = "simulate");
    std::unique_ptr<QTemporaryDir> dir;
};

void TestSimulation::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
    QVERIFY2(QFileInfo(cli).isExecutable(), qPrintable(cli));
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("cc")).isEmpty(), "a C compiler named cc is needed");
}

void TestSimulation::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
}

Result TestSimulation::run(const Machine& machine, const QStringList& arguments, const QString& command)
{
    QFile project(dir->filePath(QStringLiteral("walk.vorn")));
    if (!project.open(QIODevice::WriteOnly) || project.write(projectText(machine)) < 0)
        return Result();
    project.close();
    QFile scenario(dir->filePath(QStringLiteral("scenario.txt")));
    if (!scenario.open(QIODevice::WriteOnly)
        || scenario.write("# a request at tick 2\n\n2 req=1\n  # and one at tick 5\n5 req = 2 + 1\n") < 0)
        return Result();
    scenario.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir->path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir->path());
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir->path());
    process.start(cli, QStringList{command, "walk.vorn"} + arguments);
    Result result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.code = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

void TestSimulation::walks_data()
{
    QTest::addColumn<Machine>("machine");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("initial condition false, then true")
        << lateStart() << QStringList{"--machine", "Walk Test", "--ticks", "3", "--set", "go=1@2"}
        << QByteArray("0\t(start)\n1\t(start)\n2\tIdle\n3\tIdle\n");
    QTest::newRow("guard set at a tick, base name")
        << guarded() << QStringList{"--machine", "Walk_Test", "--ticks", "5", "--set", "req=1@3"}
        << QByteArray("0\tIdle\n1\tIdle\n2\tIdle\n3\tBusy\n4\tIdle\n5\tIdle\n");
    QTest::newRow("scenario file, --set after it")
        << guarded()
        << QStringList{"--machine", "Walk Test", "--ticks", "6", "--scenario", "scenario.txt", "--set", "req=0@5"}
        << QByteArray("0\tIdle\n1\tIdle\n2\tBusy\n3\tIdle\n4\tIdle\n5\tIdle\n6\tIdle\n");
    QTest::newRow("first listed transition wins")
        << firstWins() << QStringList{"--machine", "Walk Test", "--ticks", "2"}
        << QByteArray("0\tA\n1\tB\n2\tC\n");
    QTest::newRow("json: self transition, values after the tick")
        << selfLoop() << QStringList{"--machine", "Walk Test", "--ticks", "2", "--format", "json"}
        << QByteArray("[\n{\"tick\": 0, \"state\": \"Loop\", \"transitions\": [\"(initial)\"], \"values\": {\"n\": 0}},\n"
                      "{\"tick\": 1, \"state\": \"Loop\", \"transitions\": [\"again\"], \"values\": {\"n\": 2}},\n"
                      "{\"tick\": 2, \"state\": \"Loop\", \"transitions\": [\"again\"], \"values\": {\"n\": 4}}\n]\n");
    QTest::newRow("json: ambiguous transitions, types")
        << guarded() << QStringList{"--machine", "Walk Test", "--ticks", "1", "--format", "json", "--set",
                                    "req=7@1", "--set", "level=0.5", "--set", "n=-3"}
        << QByteArray("[\n{\"tick\": 0, \"state\": \"Idle\", \"transitions\": [\"(initial)\"], "
                      "\"values\": {\"req\": 0, \"n\": -3, \"level\": 0.5}},\n"
                      "{\"tick\": 1, \"state\": \"Busy\", \"transitions\": [\"start\"], "
                      "\"values\": {\"req\": 7, \"n\": -3, \"level\": 0.5}}\n]\n");
    QTest::newRow("json: two transitions to one state")
        << firstWins() << QStringList{"--machine", "Walk Test", "--ticks", "2", "--format", "json"}
        << QByteArray("[\n{\"tick\": 0, \"state\": \"A\", \"transitions\": [\"(initial)\"], \"values\": {\"x\": 0}},\n"
                      "{\"tick\": 1, \"state\": \"B\", \"transitions\": [\"first\"], \"values\": {\"x\": 0}},\n"
                      "{\"tick\": 2, \"state\": \"C\", \"transitions\": [\"p\", \"q\"], \"values\": {\"x\": 0}}\n]\n");
}

void TestSimulation::walks()
{
    QFETCH(Machine, machine);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, expected);
    const Result result = run(machine, arguments);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, expected);
    QCOMPARE(result.code, 0);
}

void TestSimulation::refusals_data()
{
    QTest::addColumn<Machine>("machine");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("firstError");

    Machine noInitial = guarded();
    noInitial.states[0].initialCondition = QStringLiteral("-");
    Machine broken = guarded();
    broken.states[1].action = QStringLiteral("n = ;");
    const QStringList walk = {"--machine", "Walk Test"};

    QTest::newRow("design error") << noInitial << walk << 1
                                  << QByteArray("Walk_Test: Initial state item in state machine Walk_Test is not "
                                                "assigned");
    QTest::newRow("unknown machine") << guarded() << QStringList{"--machine", "Pump"} << 2
                                     << QByteArray("korvel-cli: walk.vorn has no state machine \"Pump\" (it has: "
                                                   "Walk_Test) (see korvel-cli simulate --help)");
    QTest::newRow("unknown memory item") << guarded() << walk + QStringList{"--set", "speed=1"} << 2
                                         << QByteArray("korvel-cli: \"speed\" is not a memory item of Walk_Test (its "
                                                       "memory items: req, n, level) (see korvel-cli simulate --help)");
    QTest::newRow("set after the last tick") << guarded() << walk + QStringList{"--set", "req=1@21"} << 2
                                             << QByteArray("korvel-cli: req is set at tick 21, after the last tick "
                                                           "(20) (see korvel-cli simulate --help)");
    QTest::newRow("bad tick") << guarded() << walk + QStringList{"--set", "req=1@x"} << 2
                              << QByteArray("korvel-cli: --set \"req=1@x\": the tick after \"@\" must be a whole "
                                            "number (see korvel-cli simulate --help)");
    QTest::newRow("bad scenario line") << guarded() << walk + QStringList{"--scenario", "walk.vorn"} << 2
                                       << QByteArray("korvel-cli: --scenario walk.vorn: line 1: expected TICK "
                                                     "VAR=VALUE, not \"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\" "
                                                     "(see korvel-cli simulate --help)");
    QTest::newRow("no compiler") << guarded() << walk + QStringList{"--cc", "no-such-cc-korvel"} << 2
                                 << QByteArray("korvel-cli: no C compiler: no-such-cc-korvel was not found on the "
                                               "PATH (--cc names another)");
    QTest::newRow("compile error") << broken << walk << 2
                                   << QByteArray("korvel-cli: the simulation of Walk_Test did not compile with ");
    QTest::newRow("compiler fails") << guarded() << walk + QStringList{"--cc", "false"} << 2
                                    << QByteArray("korvel-cli: the simulation of Walk_Test did not compile with ");
}

// korvel-cli lint compiles each machine's C and says which element's text
// gave each error.
void TestSimulation::syntaxErrorsPointAtTheirElements_data()
{
    QTest::addColumn<Machine>("machine");
    QTest::addColumn<QByteArray>("findings");
    const QByteArray at = "Software/Walk Test";
    QTest::newRow("clean") << guarded() << QByteArray();
    QTest::newRow("state action") << Machine {{{"Idle", "(1)", "n = ;"}}, {}, {"n:int"}}
                                  << at + "/Idle: error: state \"Idle\" does not compile: expected expression "
                                          "before ';' token [c-syntax]\n";
    QTest::newRow("initial condition") << Machine {{{"Idle", "(n ==)", ""}}, {}, {"n:int"}}
                                       << at + "/Idle: error: state \"Idle\" does not compile: expected "
                                               "expression before ')' token [c-syntax]\n";
    QTest::newRow("guard") << Machine {{{"Idle", "(1)", ""}, {"Busy", "-", ""}},
                                       {{"go", "Idle", "Busy", "req", ""}, {"back", "Busy", "Idle", "(1)", ""}}, {}}
                           << at + "/go: error: transition \"go\" does not compile: 'req' undeclared (first use in "
                                   "this function) [c-syntax]\n";
    // A header of the firmware is not there to be read: no design error.
    QTest::newRow("firmware header") << Machine {{{"Idle", "(1)", ""}}, {}, {}, {{1, "#include \"board.h\""}}}
                                     << at + ": info: the C syntax check stopped: board.h: No such file or "
                                             "directory [c-syntax]\n";
    QTest::newRow("text item") << Machine {{{"Idle", "(1)", ""}}, {}, {}, {{0, "int broken(void) { return 1 + ; }"}}}
                               << at + ": error: a text item does not compile: expected expression before ';' "
                                       "token [c-syntax]\n";
}

void TestSimulation::syntaxErrorsPointAtTheirElements()
{
    QFETCH(Machine, machine);
    QFETCH(QByteArray, findings);
    // The compiler's words are gcc's.
    const Result result = run(machine, {"--cc", "gcc"}, "lint");
    QCOMPARE(result.out, findings);
    QCOMPARE(result.code, findings.contains(": error: ") ? 1 : 0);
}

void TestSimulation::refusals()
{
    QFETCH(Machine, machine);
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QByteArray, firstError);
    const Result result = run(machine, arguments);
    QCOMPARE(result.code, code);
    QCOMPARE(result.out, QByteArray());
    const QList<QByteArray> lines = result.err.split('\n');
    QVERIFY2(lines.first().startsWith(firstError), result.err.constData());
    const QByteArray tag = QTest::currentDataTag();
    // The compiler's own first error follows its summary.
    if (tag == "compile error")
        QVERIFY2(lines.value(1).contains("error") && lines.value(1).contains("Walk_Test.c"), result.err.constData());
    else if (tag == "compiler fails")
        QCOMPARE(lines.value(1), QByteArray("(the compiler gave exit code 1 without a message)"));
    else
        QCOMPARE(lines.size(), 2);
}

void TestSimulation::machinesRunLinkedAsInTheFirmware_data()
{
    QTest::addColumn<QString>("example");
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QByteArray>("walk");
    QTest::addColumn<QStringList>("outside");
    const QString calls = "%1() is defined outside the project: the simulation calls a stand-in that returns 0";
    QTest::newRow("calls another machine") << "Example_1.vorn" << "Button_Debounce" << QByteArray("0\tReleased\n")
                                           << QStringList();
    QTest::newRow("calls the board") << "Example_2.vorn" << "Sampler" << QByteArray("0\tSampling\n")
                                     << QStringList{calls.arg("adc_read_mv")};
    // The guard reads 0, so the walk leaves Idle; the macro's call is a call.
    QTest::newRow("reads the board") << "" << "Walk_Test" << QByteArray("0\tIdle\n1\tUp\n")
                                     << QStringList{calls.arg("led_write"), "systick_ms is defined outside the "
                                                                            "project: the simulation reads a "
                                                                            "stand-in that holds 0"};
}

void TestSimulation::machinesRunLinkedAsInTheFirmware()
{
    QFETCH(QString, example);
    QFETCH(QString, machine);
    QFETCH(QByteArray, walk);
    QFETCH(QStringList, outside);
    QByteArray notes;
    for (const QString& note : outside)
        notes += ("korvel-cli: " + machine + ": " + note + "\n").toUtf8();
    Result result;
    if (example.isEmpty()) {
        const Machine board {{{"Idle", "(1)", "LED_ON();"}, {"Up", "-", ""}},
                             {{"go", "Idle", "Up", "(systick_ms == 0)", ""}},
                             {},
                             {{1, "extern volatile unsigned long systick_ms;\nint led_write(int on);\n"
                                  "#define LED_ON() led_write(1)"}}};
        result = run(board, {"--machine", machine, "--ticks", "1"});
    } else {
        QProcess process;
        process.start(cli, {"simulate", QStringLiteral(KORVEL_SOURCE_DIR "/Examples/") + example, "--machine",
                            machine, "--ticks", "0"});
        QVERIFY(process.waitForFinished(120000));
        result = {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
    }
    QCOMPARE(result.err, notes);
    QCOMPARE(result.out, walk);
    QCOMPARE(result.code, 0);
}

void TestSimulation::nothingTheMachineStartedOutlivesTheRun_data()
{
    QTest::addColumn<bool>("interactive");
    QTest::newRow("a run to its end") << false;
    QTest::newRow("a session stopped") << true;
}

void TestSimulation::nothingTheMachineStartedOutlivesTheRun()
{
    QFETCH(bool, interactive);
    const QString marker = dir->filePath(QStringLiteral("child.pid"));
    QVERIFY(writeFile(dir->filePath(QStringLiteral("walk.vorn")), projectText(leavesAChild(marker))));
    XmlIO io;
    io.setFilePath(dir->filePath(QStringLiteral("walk.vorn")));
    QVERIFY(io.checkProjectFileCorrupt() && io.readProjectFile());
    const ProjectPlacement placement(io.records());
    QVERIFY(!placement.machines().isEmpty());
    auto document = std::make_unique<Document>();
    const ProjectNode* node = placement.fillMachine(placement.machines().first(), document.get());

    if (interactive) {
        SimulationSession session;
        QVERIFY(session.start(std::move(document), node));
        QTRY_VERIFY_WITH_TIMEOUT(session.phase() == SimulationSession::Ready, compileWait);
        QVERIFY(session.step());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(marker).size() > 0, compileWait);
        session.stop();
    } else {
        SimulationEngine engine(node);
        engine.setTicks(2);
        QCOMPARE(engine.run(), SimulationEngine::Finished);
    }
    const qint64 child = readAll(marker).trimmed().toLongLong();
    QVERIFY(child > 0);
    QTRY_VERIFY(gone(child, SimulationEngine::programFileName()));
}

QTEST_MAIN(TestSimulation)
#include "tst_simulation.moc"
