// The generated C is real C: designs with valid C names compile without
// warnings, and a small driver steps a generated machine through a scenario
// and reads back the states it passes through.

#include <QtTest>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

#include "codegenerator.h"
#include "statemachinefixture.h"
#include "testenvironment.h"

namespace {

// Memory items the diagram declares but the code never reads are unavoidable.
const QStringList compileFlags = {"-std=c99", "-Wall", "-Wextra", "-pedantic", "-Werror",
                                  "-Wno-unused-variable"};

using Design = std::function<void(StateMachineFixture&)>;

// A pump that starts on request, runs for LIMIT cycles, or stops on request.
void pumpDesign(StateMachineFixture& f)
{
    f.addInitialState(QStringLiteral("Idle"), QStringLiteral("(1)"), QStringLiteral("counter = 0;\nstarts = 0;"),
                      QString(), QStringLiteral("waiting"));
    f.addState(QStringLiteral("Running"), QStringLiteral("counter++;"), QStringLiteral("pumping"));
    f.addState(QStringLiteral("Done"), QStringLiteral("finished++;"), QStringLiteral("finished"));
    f.addTransition(QStringLiteral("Idle"), QStringLiteral("Running"), QStringLiteral("start"),
                    QStringLiteral("(start_requested)"), QStringLiteral("counter = 0;\nstarts++;"));
    f.addTransition(QStringLiteral("Running"), QStringLiteral("Running"), QStringLiteral("tick"),
                    QStringLiteral("(1)"), QStringLiteral("never();"));
    f.addTransition(QStringLiteral("Running"), QStringLiteral("Done"), QStringLiteral("enough"),
                    QStringLiteral("(counter >= LIMIT)"));
    f.addTransition(QStringLiteral("Running"), QStringLiteral("Idle"), QStringLiteral("stop"),
                    QStringLiteral("(stop_requested)"), QStringLiteral("stop_requested = 0;"));
    f.addTransition(QStringLiteral("Done"), QStringLiteral("Idle"), QStringLiteral("again"), QStringLiteral("(1)"));
    f.addMemory(QStringLiteral("counter"), QStringLiteral("int"));
    f.addMemory(QStringLiteral("starts"), QStringLiteral("int"));
    f.addMemory(QStringLiteral("spare"), QStringLiteral("unsigned"));
    f.addText(TextItem::Includes, QStringLiteral("#include <stddef.h>"));
    f.addText(TextItem::Defines, QStringLiteral("#define LIMIT 3"));
    f.addText(TextItem::Default, QStringLiteral("extern int start_requested;\nextern int stop_requested;\n"
                                                "extern int finished;"));
    f.addInput(QStringLiteral("pressure"));
    f.addOutput(QStringLiteral("motor"));
}

const char* pumpDriver = R"(#include <stdio.h>
#include "Pump_Ctrl.h"

int start_requested = 0;
int stop_requested = 0;
int finished = 0;

static const char* name(t_state_Pump_Ctrl state)
{
    switch (state) {
    case STATE_PUMP_CTRL_IDLE: return "Idle";
    case STATE_PUMP_CTRL_RUNNING: return "Running";
    case STATE_PUMP_CTRL_DONE: return "Done";
    case STATE_0_PUMP_CTRL: return "Start";
    }
    return "?";
}

static void step(void)
{
    Pump_Ctrl();
    printf("%s\n", name(Pump_CtrlGetState()));
}

int main(void)
{
    printf("%s\n", name(Pump_CtrlGetState()));
    Pump_CtrlInitialize();
    printf("%s\n", name(Pump_CtrlGetState()));
    step();
    start_requested = 1;
    step();
    start_requested = 0;
    step();
    step();
    step();
    step();
    start_requested = 1;
    step();
    start_requested = 0;
    stop_requested = 1;
    step();
    printf("finished=%d stop_requested=%d\n", finished, stop_requested);
    return 0;
}
)";

} // namespace

Q_DECLARE_METATYPE(Design)

class TestGeneratedC : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void compilesWithoutWarnings_data();
    void compilesWithoutWarnings();
    void generatedMachineBehavesAsDrawn();

private:
    bool run(const QString& program, const QStringList& arguments, const QString& folder, QByteArray* output);
    QString generate(const QString& label, const Design& design, const QString& folder);

    QString compiler;
};

void TestGeneratedC::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    compiler = QStandardPaths::findExecutable(QStringLiteral("cc"));
    QVERIFY2(!compiler.isEmpty(), "a C compiler named cc is needed on the PATH");
}

void TestGeneratedC::init()
{
    qputenv("SOURCE_DATE_EPOCH", "1796472000");
}

bool TestGeneratedC::run(const QString& program, const QStringList& arguments, const QString& folder,
                         QByteArray* output)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return false;
    *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString TestGeneratedC::generate(const QString& label, const Design& design, const QString& folder)
{
    StateMachineFixture f(label, QStringLiteral("generated for the compiler"));
    design(f);
    CodeGenerator generator;
    generator.setOutputFolder(folder);
    f.prepare(generator);
    if (!generator.writeStateMachineFiles())
        return QString();
    return generator.getSourceFileName();
}

void TestGeneratedC::compilesWithoutWarnings_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<Design>("design");

    QTest::newRow("pump") << "Pump Ctrl" << Design(pumpDesign);
    QTest::newRow("no states") << "Empty Machine" << Design([](StateMachineFixture&) {});
    QTest::newRow("no initial state") << "Loose" << Design([](StateMachineFixture& f) {
        f.addState(QStringLiteral("A"));
        f.addState(QStringLiteral("B"));
        f.addTransition(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("t"), QStringLiteral("(1)"));
    });
    QTest::newRow("only self transitions") << "Spinner" << Design([](StateMachineFixture& f) {
        f.addInitialState(QStringLiteral("Spin"), QString(), QString(), QStringLiteral("spins++;"));
        f.addTransition(QStringLiteral("Spin"), QStringLiteral("Spin"), QStringLiteral("s"), QStringLiteral("(1)"));
        f.addMemory(QStringLiteral("spins"), QStringLiteral("long"));
    });
    QTest::newRow("states without transitions") << "Quiet" << Design([](StateMachineFixture& f) {
        f.addInitialState(QStringLiteral("First"), QStringLiteral("(1)"), QString());
        f.addState(QStringLiteral("Second"));
        f.addMemory(QStringLiteral("unused"), QStringLiteral("double"));
    });
}

void TestGeneratedC::compilesWithoutWarnings()
{
    QFETCH(QString, label);
    QFETCH(Design, design);
    QTemporaryDir dir;
    const QString source = generate(label, design, dir.path());
    QVERIFY(!source.isEmpty());

    QByteArray output;
    const bool compiled = run(compiler, compileFlags + QStringList({"-c", source, "-o", "machine.o"}), dir.path(),
                              &output);
    QVERIFY2(compiled, output.constData());
    QVERIFY2(output.isEmpty(), output.constData());
}

void TestGeneratedC::generatedMachineBehavesAsDrawn()
{
    QTemporaryDir dir;
    QCOMPARE(generate(QStringLiteral("Pump Ctrl"), pumpDesign, dir.path()), QStringLiteral("Pump_Ctrl.c"));
    QFile driver(dir.filePath(QStringLiteral("driver.c")));
    QVERIFY(driver.open(QIODevice::WriteOnly));
    driver.write(pumpDriver);
    driver.close();

    QByteArray output;
    QVERIFY2(run(compiler, compileFlags + QStringList({"-c", "Pump_Ctrl.c", "-o", "Pump_Ctrl.o"}), dir.path(), &output),
             output.constData());
    QVERIFY2(run(compiler, QStringList({"-std=c99", "-Wall", "-Werror", "driver.c", "Pump_Ctrl.o", "-o", "driver"}),
                 dir.path(), &output),
             output.constData());
    QVERIFY2(run(dir.filePath(QStringLiteral("driver")), {}, dir.path(), &output), output.constData());

    const QList<QByteArray> expectedLines = {
        "Start",   // before initialisation: the initial pseudo-state
        "Idle",    // initialisation runs one cycle: condition (1) holds
        "Idle",    // no start request
        "Running", // started
        "Running", "Running",
        "Done",    // counter reached LIMIT; the self transition never fires
        "Idle",
        "Running",
        "Idle",    // stop request, taken as the second branch
        "finished=1 stop_requested=0",
    };
    QCOMPARE(output.trimmed().split('\n'), expectedLines);
}

QTEST_MAIN(TestGeneratedC)
#include "tst_generatedc.moc"
