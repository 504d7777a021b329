// The code generator: the exact files of a complete machine, the texts it
// writes for the unusual cases, its design errors and their order, the date
// line, writing that fails, and the generated C compiled and run; the design
// checks and review warnings, with what the generator then does (refuses the
// machine, or writes C that a strict compiler accepts) and user text kept
// verbatim in comments; and the
// main window's Code Generator command, which asks before it replaces a
// user's files and writes nothing until the answer is given.

#include <QtTest>

#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>

#include <ctime>
#include <functional>
#include <stdexcept>

#include "codegenerator.h"
#include "createproject.h"
#include "designlinter.h"
#include "fileset.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "statemachinefixture.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "unprivileged.h"

using Design = std::function<void(StateMachineFixture&)>;
Q_DECLARE_METATYPE(Design)

namespace {

// A door controller using every kind of item the generator reads.
void doorDesign(StateMachineFixture& f)
{
    f.addInput(QStringLiteral("door_sensor"));
    f.addInitialState(QStringLiteral("Closed"), QStringLiteral("(1)"), QStringLiteral("reset();"),
                      QStringLiteral("lock();"), QStringLiteral("door closed"));
    f.addState(QStringLiteral("Open"), QString(), QStringLiteral("door open"));
    f.addTransition(QStringLiteral("Closed"), QStringLiteral("Open"), QStringLiteral("T1"),
                    QStringLiteral("(button)"), QStringLiteral("unlock();"));
    f.addTransition(QStringLiteral("Open"), QStringLiteral("Closed"), QStringLiteral("T2"),
                    QStringLiteral("(timeout)"), QString());
    f.addMemory(QStringLiteral("button"), QStringLiteral("int"));
    f.addMemory(QStringLiteral("time out"), QStringLiteral("unsigned int"));
    f.addText(TextElement::Includes, QStringLiteral("#include <stdio.h>"));
    f.addText(TextElement::Defines, QStringLiteral("#define MAX 10"));
    f.addText(TextElement::Default, QStringLiteral("static int count;"));
}

// A pump that starts on request, runs for LIMIT cycles, or stops on request.
void pumpDesign(StateMachineFixture& f)
{
    f.addInitialState("Idle", "(1)", "counter = 0;\nstarts = 0;", QString(), "waiting");
    f.addState("Running", "counter++;", "pumping");
    f.addState("Done", "finished++;", "finished");
    f.addTransition("Idle", "Running", "start", "(start_requested)", "counter = 0;\nstarts++;");
    f.addTransition("Running", "Running", "tick", "(1)", "never();");
    f.addTransition("Running", "Done", "enough", "(counter >= LIMIT)");
    f.addTransition("Running", "Idle", "stop", "(stop_requested)", "stop_requested = 0;");
    f.addTransition("Done", "Idle", "again", "(1)");
    f.addMemory("counter", "int");
    f.addMemory("starts", "int");
    f.addMemory("spare", "unsigned");
    f.addText(TextElement::Includes, "#include <stddef.h>");
    f.addText(TextElement::Defines, "#define LIMIT 3");
    f.addText(TextElement::Default, "extern int start_requested;\nextern int stop_requested;\nextern int finished;");
    f.addInput("pressure");
    f.addOutput("motor");
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
static void step(int start, int stop)
{
    start_requested = start;
    stop_requested = stop;
    Pump_Ctrl();
    printf("%s\n", name(Pump_CtrlGetState()));
}
int main(void)
{
    printf("%s\n", name(Pump_CtrlGetState()));
    Pump_CtrlInitialize();
    printf("%s\n", name(Pump_CtrlGetState()));
    step(0, 0); step(1, 0); step(0, 0); step(0, 0); step(0, 0); step(0, 0); step(1, 0); step(0, 1);
    printf("finished=%d stop_requested=%d\n", finished, stop_requested);
    return 0;
}
)";

const QStringList strictC = {"-std=c99", "-Wall", "-Wextra", "-Werror", "-pedantic"};
// Memory items the diagram declares but the code never reads are unavoidable.
const QStringList compileFlags = strictC + QStringList {"-Wno-unused-variable"};

bool run(const QString& program, const QStringList& arguments, const QString& folder, QByteArray* output)
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

// Writes the machine's files into the folder; returns the source file's name.
QString generate(const QString& label, const Design& design, const QString& folder)
{
    StateMachineFixture f(label, QStringLiteral("generated for the compiler"));
    design(f);
    CodeGenerator generator;
    generator.setOutputFolder(folder);
    f.prepare(generator);
    return generator.writeStateMachineFiles() ? generator.getSourceFileName() : QString();
}

// What the designs' guards and actions use without declaring it.
const char* prelude = "extern int go, stop;\nvoid beep(void);\n";

// Idle <-> Run, both guarded; the smallest machine that lints clean.
void twoStates(StateMachineFixture& f, const QString& first = QStringLiteral("Idle"),
               const QString& second = QStringLiteral("Run"))
{
    f.addInitialState(first, QStringLiteral("(1)"), QString());
    f.addState(second, QStringLiteral("beep();"));
    f.addTransition(first, second, QStringLiteral("t1"), QStringLiteral("(go)"));
    f.addTransition(second, first, QStringLiteral("t2"), QStringLiteral("(stop)"));
}

QStringList lines(const QVector<DesignLinter::Finding>& findings)
{
    QStringList text;
    for (const DesignLinter::Finding& finding : findings)
        text << DesignLinter::textLine(finding);
    return text;
}

// Empty when the file compiles with gcc without a single diagnostic.
QString compileStrictly(const QString& folder, const QString& source)
{
    QByteArray output;
    if (!writeFile(folder + QStringLiteral("/prelude.h"), prelude))
        return QStringLiteral("prelude not written");
    const bool compiled = run(QStandardPaths::findExecutable(QStringLiteral("gcc")),
                              strictC + QStringList({"-include", "prelude.h", "-c", source, "-o", "machine.o"}), folder,
                              &output);
    return compiled || !output.isEmpty() ? QString::fromLocal8Bit(output) : QStringLiteral("gcc failed");
}

} // namespace

class TestCodeGenerator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::useThrowAwaySettings();
        TestEnvironment::loadResources();
    }
    void init() { qputenv("SOURCE_DATE_EPOCH", "1796472000"); } // Sat Dec 5 2026, 12:00 UTC
    void doorControllerFilesAreExact();
    void texts_data();
    void texts();
    void dateLine_data();
    void dateLine();
    void failedWrites_data();
    void failedWrites();
    void fileSetLeavesNothingAside_data();
    void fileSetLeavesNothingAside();
    void compilesWithoutWarnings_data();
    void compilesWithoutWarnings();
    void generatedMachineBehavesAsDrawn();
    void lintDesigns_data();
    void lintDesigns();
    void textStaysVerbatim_data();
    void textStaysVerbatim();
    void windowAsksBeforeReplacingFiles_data();
    void windowAsksBeforeReplacingFiles();
};

void TestCodeGenerator::doorControllerFilesAreExact()
{
    QTemporaryDir dir;
    StateMachineFixture f(QStringLiteral("Door Ctrl"), QStringLiteral("Door controller"));
    doorDesign(f);
    CodeGenerator generator;
    generator.setOutputFolder(dir.path());
    generator.setAuthor(QStringLiteral("dev"));
    generator.setOrganization(QStringLiteral("lab"));
    generator.setVersionNumber(1.5);
    f.prepare(generator);
    const QString data = QStringLiteral(KORVEL_SOURCE_DIR "/tests/codegen/data/");
    // Twice: a second run rewrites the same bytes.
    for (int round = 0; round < 2; ++round) {
        QVERIFY(generator.writeStateMachineFiles());
        QVERIFY(generator.getErrorList().isEmpty());
        // Line by line, so that a failure names the line.
        for (const QString& name : {QStringLiteral("Door_Ctrl.h"), QStringLiteral("Door_Ctrl.c")})
            QCOMPARE(readAll(dir.filePath(name)).split('\n'), readAll(data + name + ".expected").split('\n'));
        QCOMPARE(filesIn(dir.path()), QStringList({"Door_Ctrl.c", "Door_Ctrl.h"}));
    }
}

void TestCodeGenerator::texts_data()
{
    // Pieces the header and source must hold, and the design errors in order.
    QTest::addColumn<QString>("label");
    QTest::addColumn<Design>("design");
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QStringList>("errors");
    const QString unassigned = QStringLiteral("Initial state item in state machine %1 is not assigned");
    const QString lostAction = QStringLiteral("Initial state action present but condition absent for State Item S is absent");
    const Design idle = [](StateMachineFixture& f) { f.addInitialState("Idle", "(1)", QString()); };
    const QString state0 = "static void M0(void) \n{\n\t/* -- condition for transition to initial state -- */\n";
    const QString change = "\n\t{\n\t\t\n\t\t/* -- state is changed -- */ \n\t\tstate_M = ";

    QTest::newRow("blanks in name") << " a  b " << idle
        << QStringList({"#ifndef __A__B__H\n#define __A__B__H\n \n", "#endif /* __A__B__H */", "STATE__A__B__IDLE = 0",
                        "\t\t\t_a__b_0();", " void _a__b_Initialize(void);", "t_state__a__b_ _a__b_GetState(void);"})
        << QStringList();
    QTest::newRow("unicode upper case") << QString::fromUtf8("Stra\xc3\x9f" "e") << idle
        << QStringList({"#ifndef _STRASSE_H", "STATE_STRASSE_IDLE"}) << QStringList();
    QTest::newRow("no states") << "Empty" << Design([](StateMachineFixture&) {})
        << QStringList({"typedef enum { \n \tSTATE_0_EMPTY = 0,\n\t}t_state_Empty;",
                        " * Number of States: 0\n * Number of Transitions: 0 \n",
                        "headers -------------------------------------*/ \n\nstatic void Empty0(void);\n\n\n/*---",
                        "static void Empty0(void) \n{\n\t// Error : " + unassigned.arg("Empty") + " \n}\n\n",
                        "user includes ---------------------------------*/ \n\n \n/*---",
                        "user defines ---------------------------------*/ \n\n/*-----------------------------"
                        "----- variables -----------------------------------*/ \n\n\nstatic t_state_Empty state_Empty"
                        " = STATE_0_EMPTY;\n\n/*---------------------------------- user code ---------------------"
                        "--------------*/ \n\n/*---------------------------------- headers"})
        << QStringList({unassigned.arg("Empty")});
    // The initial pseudo-state ends the enumeration; labels are used as they are.
    QTest::newRow("drawing order, first initial state wins") << "M" << Design([](StateMachineFixture& f) {
        f.addState("B");
        f.addState("run fast");
        f.addInitialState("A", "(a)", "fromA();");
        f.addInitialState("Z", "(z)", "fromZ();");
    }) << QStringList({"typedef enum { \n \tSTATE_M_B = 0,\n\tSTATE_M_RUN FAST = 1,\n\tSTATE_M_A = 2,\n\tSTATE_M_Z = 3,"
                       "\n\tSTATE_0_M = 4,\n\t}t_state_M;",
                       "\nstatic void M0(void);\nstatic void B(void);\nstatic void run fast(void);\n",
                       "\n\t\tcase STATE_M_RUN FAST:\n\t\t\trun fast(); \n\t\t\tbreak; \n",
                       state0 + "\tif(a)\n\t{\n\t\tfromA();\n\n\t\tstate_M = STATE_M_A;\n\t}\n}"})
      << QStringList();
    QTest::newRow("initial condition, two-line action") << "M" << Design([](StateMachineFixture& f) {
        f.addInitialState("S", "(1)", "a();\nb();");
    }) << QStringList({state0 + "\tif(1)\n\t{\n\t\ta();\n\tb();\n\n\t\tstate_M = STATE_M_S;\n\t}\n}"}) << QStringList();
    // A blank guard is always true, as on a transition: "if" alone does not compile.
    QTest::newRow("blank initial condition") << "M" << Design([](StateMachineFixture& f) {
        f.addInitialState("S", " ", "x();");
    }) << QStringList({state0 + "\tif(1)\n\t{\n\t\tx();\n\n\t\tstate_M = STATE_M_S;\n\t}\n}"}) << QStringList();
    QTest::newRow("initial action without condition") << "M" << Design([](StateMachineFixture& f) {
        f.addInitialState("S", QString(), "lost();");
    }) << QStringList({"static void M0(void) \n{\n\tstate_M = STATE_M_S;\n}"}) << QStringList({lostAction});
    QTest::newRow("state functions") << "M" << Design([](StateMachineFixture& f) {
        f.addInitialState("A", QString(), QString(), "one();\ntwo();", "a");
        f.addState("B");
        f.addTransition("A", "B", "go", "(x)", "three();\nfour();");
        f.addState("Quiet", QString(), "does nothing");
        f.addTransition("A", "Quiet", "t2");
        f.addTransition("Quiet", "Quiet", "again", "(1)");
    }) << QStringList({"/** \n * @function description  a \n */ \nstatic void A(void) \n{\n\n\t /* -- code of the current "
                       "state -- */ \n\tone();\n\ttwo();\n\n\t/* -- case where transition is executed go -- */\n\tif (x)"
                       "\n\t{\n\t\tthree();\n\t\tfour();\n\t\t/* -- state is changed -- */ \n\t\tstate_M = STATE_M_B;\n"
                       "\t}\n\n\t/* -- case where transition is executed t2 -- */\n\telse if (1)" + change
                       + "STATE_M_QUIET;\n\t}\n\n}",
                       // Self transitions give no branch but are counted.
                       "/** \n * @function description  does nothing \n */ \nstatic void Quiet(void) \n{\n\n\t /* -- "
                       "code of the current state -- */ \n\t\n\n}",
                       " * Number of States: 3\n * Number of Transitions: 3 \n"})
      << QStringList();
    // Branches follow the order the transitions were attached to the state;
    // targets are found by their place among the machine's states.
    QTest::newRow("branch order") << "M" << Design([](StateMachineFixture& f) {
        QVector<ElementId> s;
        for (int i = 0; i < 10; ++i)
            s.append(f.addState(QStringLiteral("S%1").arg(i)));
        const ElementId later = f.join(s[5], s[9], "later", "(a)");
        f.join(s[5], s[0], "first", "(b)");
        f.join(s[3], s[5], "incoming", "(i)");
        f.join(s[5], s[5], "self", "(c)");
        f.join(s[5], s[3], "earlier", "(d)");
        f.state(s[5]).transitions.removeOne(later);
        f.state(s[5]).transitions.append(later);
    }) << QStringList({"executed first -- */\n\tif (b)" + change + "STATE_M_S0;\n\t}\n\n\t/* -- case where transition is"
                       " executed earlier -- */\n\telse if (d)" + change + "STATE_M_S3;\n\t}\n\n\t/* -- case where "
                       "transition is executed later -- */\n\telse if (a)" + change + "STATE_M_S9;\n\t}\n\n}"})
      << QStringList({unassigned.arg("M")});
    QTest::newRow("variables and user sections") << "M" << Design([](StateMachineFixture& f) {
        f.addInitialState("S", "(1)", QString());
        f.addInput("speed");
        f.addOutput("motor");
        f.addInput("limit");
        f.addMemory("x", "struct  pair");
        f.addText(TextElement::Default, "int a;");
        f.addText(TextElement::Includes, "#include <a.h>\n#include <b.h>");
        f.addText(TextElement::Defines, "#define A 1");
        f.addText(TextElement::Default, "int b;");
        f.addText(TextElement::Includes, "#include <c.h>");
        f.addText(TextElement::Defines, QString());
    }) << QStringList({" * Input variables: 2 \n * Output variables: 1 \n * local variables : 1 \n",
                       "static struct__pair x;\n\nstatic t_state_M state_M",
                       "user includes ---------------------------------*/ \n#include <a.h>\n#include <b.h>\n"
                       "#include <c.h>\n\n \n/*------------------------------ global declarations",
                       "user defines ---------------------------------*/ \n\n#define A 1\n\n\n \n/*------",
                       "user code -----------------------------------*/ \n\nint a;\nint b;\n\n \n/*------"})
      << QStringList();
    QTest::newRow("design errors in order") << "Ctl Unit" << Design([](StateMachineFixture& f) {
        f.addState("A");
        f.addMemory(QString(), "int");
        f.addMemory("speed", QString());
        f.addMemory(QString(), QString());
    }) << QStringList({"static int ;\nstatic  speed;\nstatic  ;\n"})
      << QStringList({"Label Input for Memory Item  is absent", "Datatype Input for Memory Item speed is absent",
                      "Label Input for Memory Item  is absent", "Datatype Input for Memory Item  is absent",
                      unassigned.arg("Ctl_Unit")});
    // A marker inside a value is never filled again; versions have up to six digits.
    QTest::newRow("header values") << "M" << Design([](StateMachineFixture& f) {
        f.addInitialState("S", "(1)", QString());
    }) << QStringList({"/** \n * @file: M.h \n * @project: %3 \n * @version: 12.3457 \n \n * @author: %5 \n"
                       " * @organization: %2 \n * @date: Sat Dec 5 2026 \n", " * \n * load 100%1 \n */\n \n#ifndef",
                       "/** \n * @file: M.c \n"})
      << QStringList();
}

void TestCodeGenerator::texts()
{
    QFETCH(QString, label);
    QFETCH(Design, design);
    QFETCH(QStringList, pieces);
    QFETCH(QStringList, errors);
    StateMachineFixture f(label, QStringLiteral("load 100%1"));
    design(f);
    CodeGenerator generator;
    generator.setAuthor(QStringLiteral("%5"));
    generator.setOrganization(QStringLiteral("%2"));
    generator.setprojectName(QStringLiteral("%3"));
    generator.setVersionNumber(12.3456789);
    f.prepare(generator);
    // Header first, as a run does.
    QString text = generator.headerFileText();
    text += "\n<>\n" + generator.sourceFileText();
    for (const QString& piece : pieces)
        QVERIFY2(text.contains(piece), qPrintable("missing:\n" + piece + "\nin:\n" + text));
    QCOMPARE(QStringList(generator.getErrorList().toList()), errors);
}

void TestCodeGenerator::dateLine_data()
{
    QTest::addColumn<QByteArray>("epoch");
    QTest::addColumn<QString>("date"); // empty: today's local date
    // Late on Dec 5 in UTC is Dec 6 where the test runs: the date is UTC's.
    QTest::newRow("late in the day") << QByteArray("1796511600") << "Sat Dec 5 2026";
    QTest::newRow("zero") << QByteArray("0") << "Thu Jan 1 1970";
    for (const char* bad : {"", "soon", "12x", "-5", "99999999999999999999999", "253402300800"})
        QTest::newRow(bad) << QByteArray(bad) << QString();
}

void TestCodeGenerator::dateLine()
{
    QFETCH(QByteArray, epoch);
    QFETCH(QString, date);
    const QByteArray oldTz = qgetenv("TZ");
    qputenv("TZ", "XYZ-14"); // fourteen hours ahead of UTC
    tzset();
    qputenv("SOURCE_DATE_EPOCH", epoch);
    const QString before = QDate::currentDate().toString(Qt::TextDate);
    const QString text = CodeGenerator::getCurrentDateTime();
    const QString after = QDate::currentDate().toString(Qt::TextDate);
    const bool problem = !CodeGenerator::sourceDateEpochProblem().isEmpty();
    qunsetenv("SOURCE_DATE_EPOCH");
    const bool unsetProblem = !CodeGenerator::sourceDateEpochProblem().isEmpty();
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();
    if (date.isEmpty())
        QVERIFY2(text == before || text == after, qPrintable(text));
    else
        QCOMPARE(text, date);
    // The command-line tool refuses what the application falls back from.
    QCOMPARE(problem, date.isEmpty() && !epoch.isEmpty());
    QVERIFY(!unsetProblem);
}

void TestCodeGenerator::failedWrites_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("folder"); // below a temporary root holding "file", "M.h/" and "readonly/"
    QTest::addColumn<QString>("error");  // a write error, or a design error starting "/"
    QTest::newRow("missing folder") << "M" << "not/there" << "State machine M was skipped: the output folder %1 does not exist";
    QTest::newRow("plain file") << "M" << "file" << "State machine M was skipped: the output folder %1 is not a folder";
    QTest::newRow("read-only") << "M" << "readonly" << "State machine M was skipped: the output folder %1 is not writable";
    // Both files or neither: a header from one run beside a source from another.
    QTest::newRow("folder in the header's way") << "M" << "" << "File %1/M.h of state machine M could not be written: ";
    // A machine name that is not a C identifier never becomes a file name.
    for (const char* name : {"a/b", "../evil", "/tmp/evil", ".", "..", "a\\b", ""})
        QTest::addRow("named %s", name) << name << "" << "/" + DesignLinter::printable(name) + ": ";
}

void TestCodeGenerator::failedWrites()
{
    QFETCH(QString, label);
    QFETCH(QString, folder);
    QFETCH(QString, error);
    QString log;
    if (folder == QLatin1String("readonly") && Unprivileged::isSuperuser()) {
        QVERIFY2(Unprivileged::rerunCurrentTest(&log), qPrintable(log));
        return;
    }
    QTemporaryDir root;
    QVERIFY(writeFile(root.filePath(QStringLiteral("file")), QByteArray()));
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("M.h")) && QDir(root.path()).mkdir(QStringLiteral("readonly")));
    const QString readOnly = root.filePath(QStringLiteral("readonly"));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString out = folder.isEmpty() ? root.path() : root.filePath(folder);
    StateMachineFixture f(label);
    CodeGenerator generator;
    generator.setOutputFolder(out);
    f.prepare(generator);
    const bool written = generator.writeStateMachineFiles();
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QVERIFY(!written);
    const bool design = error.startsWith('/');
    QCOMPARE(generator.refusedForDesignErrors(), design);
    const QString got = (design ? generator.getErrorList() : generator.getWriteErrors()).value(0);
    QVERIFY2(got.startsWith(design ? error : error.arg(out)), qPrintable(got));
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext())
        files << QDir(root.path()).relativeFilePath(it.next());
    QCOMPARE(files, QStringList(QStringLiteral("file")));
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/evil.h")));

    // The next machine is written all the same.
    StateMachineFixture good(QStringLiteral("Good"));
    generator.setOutputFolder(root.path());
    good.prepare(generator);
    QVERIFY(generator.writeStateMachineFiles());
    QVERIFY(generator.getWriteErrors().isEmpty());
}

void TestCodeGenerator::fileSetLeavesNothingAside_data()
{
    QTest::addColumn<int>("throwingFile"); // -1: none throws
    QTest::newRow("both complete") << -1;
    QTest::newRow("the first throws") << 0;
    QTest::newRow("the second throws") << 1;
}

// Whatever ends a set of files early, an exception while a text is being
// made included (memory running out for a large machine), nothing is left
// aside and the previous files stay.
void TestCodeGenerator::fileSetLeavesNothingAside()
{
    QFETCH(int, throwingFile);
    QTemporaryDir root;
    const QStringList names {QStringLiteral("M.h"), QStringLiteral("M.c")};
    for (const QString& name : names)
        QVERIFY(writeFile(root.filePath(name), "previous " + name.toUtf8()));
    bool thrown = false;
    try {
        FileSet files;
        for (int i = 0; i < names.size(); ++i) {
            QVERIFY(files.write(root.filePath(names.at(i)), [&](const FileSet::Put& put) {
                put(QStringLiteral("new "));
                if (i == throwingFile)
                    throw std::runtime_error("no memory");
                put(names.at(i));
            }));
        }
        QCOMPARE(files.commit(), -1);
    } catch (const std::runtime_error&) {
        thrown = true;
    }
    QCOMPARE(thrown, throwingFile >= 0);
    QCOMPARE(filesIn(root.path()), QStringList({QStringLiteral("M.c"), QStringLiteral("M.h")}));
    for (const QString& name : names)
        QCOMPARE(readAll(root.filePath(name)), (thrown ? "previous " : "new ") + name.toUtf8());
}

void TestCodeGenerator::compilesWithoutWarnings_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<Design>("design");
    QTest::newRow("no states") << "Empty Machine" << Design([](StateMachineFixture&) {});
    QTest::newRow("no initial state") << "Loose" << Design([](StateMachineFixture& f) {
        f.addState("A");
        f.addState("B");
        f.addTransition("A", "B", "t", "(1)");
    });
    QTest::newRow("only self transitions") << "Spinner" << Design([](StateMachineFixture& f) {
        f.addInitialState("Spin", QString(), QString(), "spins++;");
        f.addTransition("Spin", "Spin", "s", "(1)");
        f.addMemory("spins", "long");
    });
}

void TestCodeGenerator::compilesWithoutWarnings()
{
    QFETCH(QString, label);
    QFETCH(Design, design);
    QTemporaryDir dir;
    const QString source = generate(label, design, dir.path());
    QVERIFY(!source.isEmpty());
    QByteArray output;
    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    QVERIFY2(!cc.isEmpty(), "a C compiler named cc is needed on the PATH");
    QVERIFY2(run(cc, compileFlags + QStringList({"-c", source, "-o", "machine.o"}), dir.path(), &output), output);
    QVERIFY2(output.isEmpty(), output.constData());
}

void TestCodeGenerator::generatedMachineBehavesAsDrawn()
{
    QTemporaryDir dir;
    QCOMPARE(generate(QStringLiteral("Pump Ctrl"), pumpDesign, dir.path()), QStringLiteral("Pump_Ctrl.c"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("driver.c")), pumpDriver));
    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    QByteArray output;
    QVERIFY2(run(cc, compileFlags + QStringList({"driver.c", "Pump_Ctrl.c", "-o", "driver"}), dir.path(), &output),
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

void TestCodeGenerator::lintDesigns_data()
{
    QTest::addColumn<QString>("machine");
    QTest::addColumn<Design>("design");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("clean") << "Door Ctrl" << Design([](StateMachineFixture& f) {
        twoStates(f);
        f.addMemory(QStringLiteral("count"), QStringLiteral("int"));
        f.addText(TextElement::Default, QStringLiteral("int peek(void) { return count; }"));
    }) << QStringList();
    QTest::newRow("keyword state") << "M" << Design([](StateMachineFixture& f) { twoStates(f, "switch"); })
                                   << QStringList {"Mod/M/switch: error: state \"switch\" is a C keyword [c-keyword]"};
    QTest::newRow("digit first") << "M" << Design([](StateMachineFixture& f) { twoStates(f, "2fast"); })
                                 << QStringList {"Mod/M/2fast: error: state \"2fast\" is not a C identifier "
                                                 "[not-c-identifier]"};
    QTest::newRow("quote in machine") << "A\"B" << Design([](StateMachineFixture& f) { twoStates(f); })
                                      << QStringList {"Mod/A\"B: error: machine \"A\\\"B\" is not a C identifier "
                                                      "[not-c-identifier]"};
    QTest::newRow("newline in machine") << "M\nN" << Design([](StateMachineFixture& f) { twoStates(f); })
                                        << QStringList {"Mod/M\\nN: error: machine \"M\\nN\" is not a C "
                                                        "identifier [not-c-identifier]"};
    QTest::newRow("newline in state") << "M" << Design([](StateMachineFixture& f) { twoStates(f, "Go\nNow"); })
                                      << QStringList {"Mod/M/Go\\nNow: error: state \"Go\\nNow\" is not a C "
                                                      "identifier [not-c-identifier]"};
    QTest::newRow("empty machine name") << "" << Design([](StateMachineFixture& f) { twoStates(f); })
                                        << QStringList {"Mod/: error: the state machine has no name "
                                                        "[empty-machine-name]"};
    QTest::newRow("keyword machine") << "int" << Design([](StateMachineFixture& f) { twoStates(f); })
                                     << QStringList {"Mod/int: error: machine \"int\" is a C keyword [c-keyword]"};
    QTest::newRow("state twice") << "M" << Design([](StateMachineFixture& f) {
        twoStates(f);
        f.addState(QStringLiteral("Run"));
    }) << QStringList {"Mod/M/Run: error: state \"Run\" appears more than once [duplicate-name]",
                       // Transitions name their ends by label: the first Run is meant.
                       "Mod/M/Run: warning: state \"Run\" cannot be reached from the initial state \"Idle\" "
                       "[unreachable-state]"};
    QTest::newRow("same enumerator") << "M" << Design([](StateMachineFixture& f) {
        twoStates(f, "Red", "RED");
    }) << QStringList {"Mod/M/RED: error: state \"RED\" gives the C name STATE_M_RED, as state \"Red\" does "
                       "[duplicate-name]"};
    QTest::newRow("state named like a routine") << "M" << Design([](StateMachineFixture& f) {
        twoStates(f, "Idle", "MInitialize");
    }) << QStringList {"Mod/M/MInitialize: error: state \"MInitialize\" gives the C name MInitialize, as "
                       "machine \"M\" does [duplicate-name]"};
    QTest::newRow("memory named like a state") << "M" << Design([](StateMachineFixture& f) {
        twoStates(f);
        f.addMemory(QStringLiteral("Idle"), QStringLiteral("int"));
        f.addMemory(QStringLiteral("a b"), QStringLiteral("int"));
        f.addMemory(QStringLiteral("a-b"), QStringLiteral("int"));
    }) << QStringList {"Mod/M/Idle: error: memory item \"Idle\" gives the C name Idle, as state \"Idle\" does "
                       "[duplicate-name]",
                       "Mod/M/a-b: error: memory item \"a-b\" is not a C identifier [not-c-identifier]"};
    QTest::newRow("generator's own checks") << "M" << Design([](StateMachineFixture& f) {
        f.addState(QStringLiteral("A"));
        f.addMemory(QString(), QStringLiteral("int"));
        f.addMemory(QStringLiteral("x"), QString());
    }) << QStringList {"Mod/M/: error: Label Input for Memory Item  is absent [memory-label-missing]",
                       "Mod/M/x: error: Datatype Input for Memory Item x is absent [memory-datatype-missing]",
                       "Mod/M: error: Initial state item in state machine M is not assigned [initial-state-missing]",
                       "Mod/M/A: warning: no transition leaves state \"A\"; the machine stays there [dead-end-state]"};
    QTest::newRow("initial action without condition") << "M" << Design([](StateMachineFixture& f) {
        f.addInitialState(QStringLiteral("A"), QString(), QStringLiteral("beep();"));
    }) << QStringList {"Mod/M/A: error: Initial state action present but condition absent for State Item A "
                       "is absent [initial-action-without-condition]"};
    QTest::newRow("reviewer warnings") << "M" << Design([](StateMachineFixture& f) {
        twoStates(f);
        f.addState(QStringLiteral("Lost"), QStringLiteral("beep();"));
        f.addState(QStringLiteral("Stuck"));
        f.addTransition(QStringLiteral("Lost"), QStringLiteral("Idle"), QStringLiteral("back"),
                        QStringLiteral("(1)"));
        f.addTransition(QStringLiteral("Run"), QStringLiteral("Stuck"), QStringLiteral("t3"),
                        QStringLiteral("( stop )"));
        f.addTransition(QStringLiteral("Run"), QStringLiteral("Idle"), QStringLiteral("t4"));
        f.addTransition(QStringLiteral("Run"), QStringLiteral("Stuck"), QStringLiteral("t4"), QStringLiteral("(go)"));
        f.addMemory(QStringLiteral("level"), QStringLiteral("unsigned int"));
        f.addText(TextElement::Defines, QStringLiteral("typedef unsigned int unsigned_int;"));
        f.addText(TextElement::Default, QStringLiteral("unsigned_int peek(void) { return level; }"));
    }) << QStringList {"Mod/M/t3: warning: transition \"t3\" from state \"Run\" has the same guard as transition "
                       "\"t2\" and can never fire [shadowed-transition]",
                       "Mod/M/t4: warning: transition \"t4\" from state \"Run\" has an empty guard but is not the "
                       "only one leaving the state [empty-guard]",
                       "Mod/M/t4: warning: transition \"t4\" from state \"Run\" has the same label as an earlier one "
                       "from that state [duplicate-transition-label]",
                       "Mod/M/Lost: warning: state \"Lost\" cannot be reached from the initial state \"Idle\" "
                       "[unreachable-state]",
                       "Mod/M/Stuck: warning: no transition leaves state \"Stuck\"; the machine stays there "
                       "[dead-end-state]",
                       "Mod/M/level: warning: memory item \"level\" has the datatype \"unsigned int\", written as "
                       "unsigned_int, which compiles only with a typedef; use uint32_t [datatype-with-blanks]"};
    QTest::newRow("lone empty guard") << "M" << Design([](StateMachineFixture& f) {
        f.addInitialState(QStringLiteral("A"), QStringLiteral("(1)"), QString());
        f.addState(QStringLiteral("B"));
        f.addTransition(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("always"));
        f.addTransition(QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("back"), QStringLiteral(" "));
    }) << QStringList();
}

void TestCodeGenerator::lintDesigns()
{
    QFETCH(QString, machine);
    QFETCH(Design, design);
    QFETCH(QStringList, expected);

    StateMachineFixture f(machine, QStringLiteral("checked"));
    f.module().process.label = QStringLiteral("Mod");
    design(f);
    const QVector<DesignLinter::Finding> names = DesignLinter::nameErrors(f.machine);
    const QVector<DesignLinter::Finding> own = DesignLinter::generatorErrors(f.machine);
    // Warnings are sorted after the errors here, so that rows read in order.
    QVector<DesignLinter::Finding> all = names + own;
    for (const DesignLinter::Finding& finding : DesignLinter::machineWarnings(f.machine))
        all.append(finding);
    QCOMPARE(lines(all), expected);

    QTemporaryDir dir;
    CodeGenerator generator;
    generator.setOutputFolder(dir.path());
    f.prepare(generator);
    const bool written = generator.writeStateMachineFiles();
    QCOMPARE(generator.refusedForDesignErrors(), !names.isEmpty());
    if (!names.isEmpty()) {
        // The log lists each refusal after the machine's path; nothing is written.
        QVERIFY(!written);
        QVector<QString> log;
        for (const DesignLinter::Finding& finding : names)
            log.append(QStringLiteral("Mod/") + DesignLinter::printable(machine) + QStringLiteral(": ")
                       + finding.message);
        QCOMPARE(generator.getErrorList(), log);
        QCOMPARE(filesIn(dir.path()), QStringList());
        return;
    }
    QVERIFY(written);
    // The generator's own checks and the linter's agree word for word.
    QVector<QString> ownMessages;
    for (const DesignLinter::Finding& finding : own)
        ownMessages.append(finding.message);
    QCOMPARE(generator.getErrorList(), ownMessages);
    if (own.isEmpty())
        QCOMPARE(compileStrictly(dir.path(), generator.getSourceFileName()), QString());
}

void TestCodeGenerator::textStaysVerbatim_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("written"); // as it appears in the files

    QTest::newRow("author markers") << "author" << "%1 %2 %13" << " * @author: %1 %2 %13 \n";
    QTest::newRow("organization closes comment") << "organization" << "a */ b" << " * @organization: a *\\/ b \n";
    QTest::newRow("project opens comment") << "project" << "/* x" << " * @project: /\\* x \n";
    QTest::newRow("description code") << "description" << "*/ int evil; /*" << " * *\\/ int evil; /\\* \n */";
    QTest::newRow("description slashes") << "description" << "a/*/b**/" << " * a/\\*\\/b**\\/ \n */";
    QTest::newRow("state description") << "state" << "*/ int evil; /*"
                                       << "/** \n * @function description  *\\/ int evil; /\\* \n */ \nstatic void Idle";
    QTest::newRow("transition label") << "transition" << "t*/x" << "/* -- case where transition is executed t*\\/x -- */";
    // Guards are C; one without its parentheses gets them, others stay as typed.
    QTest::newRow("guard without parentheses") << "guard" << " go == 1 " << "\tif (go == 1)\n";
    QTest::newRow("guard of two parts") << "guard" << "(go) && (stop)" << "\tif ((go) && (stop))\n";
    QTest::newRow("guard as typed") << "guard" << " ( go != ')' ) " << "\tif  ( go != ')' ) \n";
    QTest::newRow("initial guard") << "initial" << "go" << "\tif(go)\n";
    QTest::newRow("guard with comment") << "guard" << "(go) // started" << "\tif (go) // started\n";
    QTest::newRow("comment in bare guard") << "guard" << "go == 1 // started" << "\tif (go == 1 // started\n\t)\n";
}

void TestCodeGenerator::textStaysVerbatim()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, written);

    StateMachineFixture f(QStringLiteral("M"), field == QLatin1String("description") ? value : QString());
    f.addInitialState(QStringLiteral("Idle"), field == QLatin1String("initial") ? value : QStringLiteral("(1)"),
                      QString(), QString(), field == QLatin1String("state") ? value : QStringLiteral("idle"));
    f.addState(QStringLiteral("Run"));
    f.addTransition(QStringLiteral("Idle"), QStringLiteral("Run"),
                    field == QLatin1String("transition") ? value : QStringLiteral("t1"),
                    field == QLatin1String("guard") ? value : QStringLiteral("(go)"));
    f.addTransition(QStringLiteral("Run"), QStringLiteral("Idle"), QStringLiteral("t2"), QStringLiteral("(stop)"));
    QTemporaryDir dir;
    CodeGenerator generator;
    generator.setOutputFolder(dir.path());
    generator.setAuthor(field == QLatin1String("author") ? value : QStringLiteral("me"));
    generator.setOrganization(field == QLatin1String("organization") ? value : QStringLiteral("lab"));
    generator.setprojectName(field == QLatin1String("project") ? value : QStringLiteral("p"));
    f.prepare(generator);
    QVERIFY(generator.writeStateMachineFiles());

    const QString header = QString::fromUtf8(readAll(dir.filePath(QStringLiteral("M.h"))));
    const QString source = QString::fromUtf8(readAll(dir.filePath(QStringLiteral("M.c"))));
    QVERIFY2((header + source).contains(written), qPrintable(header + source));
    // The counts after the user's text are filled as they are everywhere else.
    QVERIFY(header.contains(" * Number of States: 2\n * Number of Transitions: 2 \n"));
    QCOMPARE(compileStrictly(dir.path(), QStringLiteral("M.c")), QString());
}

void TestCodeGenerator::windowAsksBeforeReplacingFiles_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("headerPresent");
    QTest::newRow("only source present, Yes replaces") << int(QMessageBox::Yes) << false;
    QTest::newRow("both present, Cancel keeps them") << int(QMessageBox::Cancel) << true;
}

void TestCodeGenerator::windowAsksBeforeReplacingFiles()
{
    QFETCH(int, button);
    QFETCH(bool, headerPresent);
    // The default new project: one machine, StateMachine_1, without errors.
    QSettings(QStringLiteral("Pelmora"), QStringLiteral("Korvel")).clear();
    QTemporaryDir dir;
    MainWindow window;
    const QString project = dir.filePath(QStringLiteral("Door.vorn"));
    CreateProject::getInstance(&window)->processNewProject(project);
    window.openFile(project);
    const auto status = [&window] { return window.statusBar()->currentMessage(); };
    const QString source = dir.filePath(QStringLiteral("StateMachine_1.c"));
    const QString header = dir.filePath(QStringLiteral("StateMachine_1.h"));
    QVERIFY(writeFile(source, "old source"));
    if (headerPresent)
        QVERIFY(writeFile(header, "old header"));
    const QString before = status();
    {
        ModalAnswerer answer;
        answer.pressButton(QDialogButtonBox::Ok);
        answer.pressButton(QMessageBox::StandardButton(button), [&](QWidget*) {
            // Nothing has been written before the answer.
            QCOMPARE(QFile::exists(header), headerPresent);
            QCOMPARE(readAll(source), QByteArray("old source"));
        });
        answer.reject();
        window.actionAt(POS_CODE_GENERATOR)->trigger();
        // No error log for a machine without design errors.
        QCOMPARE(answer.answeredCount(), 2);
    }
    if (button == QMessageBox::Cancel) {
        QCOMPARE(readAll(source), QByteArray("old source"));
        QCOMPARE(readAll(header), QByteArray("old header"));
        QCOMPARE(status(), before);
        return;
    }
    QVERIFY(readAll(source).startsWith("/** \n * @file: StateMachine_1.c \n"));
    QVERIFY(readAll(header).startsWith("/** \n * @file: StateMachine_1.h \n"));
    // The default folder is the project's.
    QCOMPARE(filesIn(dir.path()), QStringList({"Door.vorn", "StateMachine_1.c", "StateMachine_1.h"}));
    QCOMPARE(status(), QStringLiteral("Source file successfully created at %1/ ").arg(dir.path()));
}

QTEST_MAIN(TestCodeGenerator)
#include "tst_codegenerator.moc"
