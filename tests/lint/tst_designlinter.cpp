// Design checks and review warnings on small machines: the exact findings,
// what the code generator does with the machine (refuses it, or writes C
// that a strict C compiler accepts), user text kept verbatim in comments,
// and how the two files reach the output folder.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>

#include "../codegen/statemachinefixture.h"
#include "codegenerator.h"
#include "designlinter.h"
#include "testenvironment.h"
#include "testfiles.h"

using Design = std::function<void(StateMachineFixture&)>;
Q_DECLARE_METATYPE(Design)

namespace {

const QStringList strictC = {"-std=c99", "-Wall", "-Wextra", "-Werror", "-pedantic"};

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

} // namespace

class TestDesignLinter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void designs_data();
    void designs();
    void textStaysVerbatim_data();
    void textStaysVerbatim();

private:
    QString compile(const QString& folder, const QString& source);
    QString compiler;
};

void TestDesignLinter::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    compiler = QStandardPaths::findExecutable(QStringLiteral("gcc"));
    QVERIFY2(!compiler.isEmpty(), "gcc is needed on the PATH");
}

void TestDesignLinter::init()
{
    qputenv("SOURCE_DATE_EPOCH", "1796472000");
}

// Empty when the file compiles without a single diagnostic.
QString TestDesignLinter::compile(const QString& folder, const QString& source)
{
    if (!writeFile(folder + QStringLiteral("/prelude.h"), prelude))
        return QStringLiteral("prelude not written");
    QProcess gcc;
    gcc.setWorkingDirectory(folder);
    gcc.setProcessChannelMode(QProcess::MergedChannels);
    gcc.start(compiler, strictC + QStringList({"-include", "prelude.h", "-c", source, "-o", "machine.o"}));
    if (!gcc.waitForFinished(60000))
        return QStringLiteral("gcc did not finish");
    const QString output = QString::fromLocal8Bit(gcc.readAll());
    if (gcc.exitCode() != 0 && output.isEmpty())
        return QStringLiteral("gcc failed");
    return output;
}

void TestDesignLinter::designs_data()
{
    QTest::addColumn<QString>("machine");
    QTest::addColumn<Design>("design");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("clean") << "Door Ctrl" << Design([](StateMachineFixture& f) {
        twoStates(f);
        f.addMemory(QStringLiteral("count"), QStringLiteral("int"));
        f.addText(TextItem::Default, QStringLiteral("int peek(void) { return count; }"));
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
        f.addMemory(QStringLiteral("level"), QStringLiteral("unsigned int"));
        f.addText(TextItem::Defines, QStringLiteral("typedef unsigned int unsigned_int;"));
        f.addText(TextItem::Default, QStringLiteral("unsigned_int peek(void) { return level; }"));
    }) << QStringList {"Mod/M/t3: warning: transition \"t3\" from state \"Run\" has the same guard as transition "
                       "\"t2\" and can never fire [shadowed-transition]",
                       "Mod/M/t4: warning: transition \"t4\" from state \"Run\" has an empty guard but is not the "
                       "only one leaving the state [empty-guard]",
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

void TestDesignLinter::designs()
{
    QFETCH(QString, machine);
    QFETCH(Design, design);
    QFETCH(QStringList, expected);

    StateMachineFixture f(machine, QStringLiteral("checked"));
    f.module.setLabel(QStringLiteral("Mod"));
    design(f);
    const QVector<DesignLinter::Finding> names = DesignLinter::nameErrors(&f.machine, f.process);
    const QVector<DesignLinter::Finding> own = DesignLinter::generatorErrors(&f.machine, f.process);
    // Warnings are sorted after the errors here, so that rows read in order.
    QVector<DesignLinter::Finding> all = names + own;
    for (const DesignLinter::Finding& finding : DesignLinter::machineWarnings(&f.machine, f.process))
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
        QCOMPARE(compile(dir.path(), generator.getSourceFileName()), QString());
}

void TestDesignLinter::textStaysVerbatim_data()
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
}

void TestDesignLinter::textStaysVerbatim()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(QString, written);

    StateMachineFixture f(QStringLiteral("M"), field == QLatin1String("description") ? value : QString());
    f.addInitialState(QStringLiteral("Idle"), QStringLiteral("(1)"), QString(), QString(),
                      field == QLatin1String("state") ? value : QStringLiteral("idle"));
    f.addState(QStringLiteral("Run"));
    f.addTransition(QStringLiteral("Idle"), QStringLiteral("Run"),
                    field == QLatin1String("transition") ? value : QStringLiteral("t1"), QStringLiteral("(go)"));
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
    QCOMPARE(compile(dir.path(), QStringLiteral("M.c")), QString());
}

QTEST_MAIN(TestDesignLinter)
#include "tst_designlinter.moc"
