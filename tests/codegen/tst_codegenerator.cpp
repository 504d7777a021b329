// What the code generator reads from a drawn state machine and the exact
// texts it writes: names, enumeration, counts, sections, state functions,
// design errors and their order, file header markers and the date line.

#include <QtTest>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <ctime>

#include "codegenerator.h"
#include "statemachinefixture.h"
#include "testenvironment.h"
#include "testfiles.h"

#include <functional>

using Design = std::function<void(StateMachineFixture&)>;
Q_DECLARE_METATYPE(Design)

namespace {

// Sat Dec 5 2026, 12:00 UTC.
const QByteArray fixedEpoch = "1796472000";

QByteArray expected(const QString& name)
{
    return readAll(QStringLiteral(KORVEL_SOURCE_DIR "/tests/codegen/data/") + name);
}

// Compares texts line by line first, so that a failure names the line.
void compareText(const QByteArray& actual, const QByteArray& wanted)
{
    const QList<QByteArray> a = actual.split('\n');
    const QList<QByteArray> w = wanted.split('\n');
    for (int i = 0; i < qMin(a.size(), w.size()); ++i) {
        if (a[i] != w[i]) {
            QFAIL(qPrintable(QStringLiteral("line %1 differs:\n  got  [%2]\n  want [%3]")
                                 .arg(i + 1)
                                 .arg(QString::fromUtf8(a[i]), QString::fromUtf8(w[i]))));
        }
    }
    QCOMPARE(a.size(), w.size());
    QCOMPARE(actual, wanted);
}

// A door controller using every kind of item the generator reads.
void buildDoorCtrl(StateMachineFixture& f)
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
    f.addText(TextItem::Includes, QStringLiteral("#include <stdio.h>"));
    f.addText(TextItem::Defines, QStringLiteral("#define MAX 10"));
    f.addText(TextItem::Default, QStringLiteral("static int count;"));
}

void setDoorSettings(CodeGenerator& generator, const QString& folder)
{
    generator.setOutputFolder(folder);
    generator.setAuthor(QStringLiteral("dev"));
    generator.setOrganization(QStringLiteral("lab"));
    generator.setVersionNumber(1.5);
}

// Runs header then source, as a run does, and returns the source text.
QString generateBoth(CodeGenerator& generator, QString* header = nullptr)
{
    const QString h = generator.headerFileText();
    if (header)
        *header = h;
    return generator.sourceFileText();
}

QString stateFunction(CodeGenerator& generator, int index)
{
    generateBoth(generator);
    return generator.getStateCodeVector().value(index);
}

} // namespace

class TestCodeGenerator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void doorControllerFilesAreExact();
    void generatingTwiceGivesIdenticalFiles();

    void derivedNames_data();
    void derivedNames();
    void statesInDrawingOrderWithLabelsUnchanged();
    void machineWithoutStates();
    void firstOfTwoInitialStatesWins();
    void initialPseudoStateFunction_data();
    void initialPseudoStateFunction();

    void stateFunctionText_data();
    void stateFunctionText();
    void emptyConditionIsAlwaysTaken();
    void branchesFollowAttachOrder();
    void branchTargetIsPositionInRegistry();

    void inputsAndOutputsCountedFromDataflows();
    void memoryNamesAndTypesLoseBlanks();
    void designErrorsInOrder();

    void userSections();
    void emptyUserSectionsDropTheirTrailer();

    void versionFormatting_data();
    void versionFormatting();
    void headerMarkersInValuesStayVerbatim();
    void dateLineUsesSourceDateEpochInUtc();
    void dateLineFallsBackToLocalDate_data();
    void dateLineFallsBackToLocalDate();

    void setFilePathKeepsFolder_data();
    void setFilePathKeepsFolder();
    void rewritingTruncatesAndHeaderHasNoFinalLineFeed();
    void fileNames_data();
    void fileNames();
    void unusableFolderSkipsMachine_data();
    void unusableFolderSkipsMachine();
    void unwritableFileIsReportedAndNothingWritten();
    void skippedMachineDoesNotStopNextOne();
    void noMachineGivenIsReported();
};

void TestCodeGenerator::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestCodeGenerator::init()
{
    qputenv("SOURCE_DATE_EPOCH", fixedEpoch);
}

// ---- A complete machine, byte for byte ----------------------------------------

void TestCodeGenerator::doorControllerFilesAreExact()
{
    QTemporaryDir dir;
    StateMachineFixture f(QStringLiteral("Door Ctrl"), QStringLiteral("Door controller"));
    buildDoorCtrl(f);
    CodeGenerator generator;
    setDoorSettings(generator, dir.path());
    f.prepare(generator);

    QVERIFY(generator.writeStateMachineFiles());
    QVERIFY(generator.getErrorList().isEmpty());
    QVERIFY(generator.getWriteErrors().isEmpty());
    compareText(readAll(dir.filePath(QStringLiteral("Door_Ctrl.h"))), expected(QStringLiteral("Door_Ctrl.h.expected")));
    compareText(readAll(dir.filePath(QStringLiteral("Door_Ctrl.c"))), expected(QStringLiteral("Door_Ctrl.c.expected")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"Door_Ctrl.c", "Door_Ctrl.h"}));
}

void TestCodeGenerator::generatingTwiceGivesIdenticalFiles()
{
    QTemporaryDir dir;
    StateMachineFixture f(QStringLiteral("Door Ctrl"), QStringLiteral("Door controller"));
    buildDoorCtrl(f);
    f.addMemory(QString(), QString());
    CodeGenerator generator;
    setDoorSettings(generator, dir.path());
    f.prepare(generator);

    QVERIFY(generator.writeStateMachineFiles());
    const QByteArray header = readAll(dir.filePath(QStringLiteral("Door_Ctrl.h")));
    const QByteArray source = readAll(dir.filePath(QStringLiteral("Door_Ctrl.c")));
    const QVector<QString> errors = generator.getErrorList();
    QCOMPARE(errors.size(), 2);

    QVERIFY(generator.writeStateMachineFiles());
    QCOMPARE(readAll(dir.filePath(QStringLiteral("Door_Ctrl.h"))), header);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("Door_Ctrl.c"))), source);
    QCOMPARE(generator.getErrorList(), errors);
}

// ---- Names and the enumeration ---------------------------------------------

void TestCodeGenerator::derivedNames_data()
{
    QTest::addColumn<QString>("process");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("guard");
    QTest::addColumn<QString>("firstEnumerator");

    QTest::newRow("blank") << "Door Ctrl" << "Door_Ctrl" << "_DOOR_CTRL_H" << "STATE_DOOR_CTRL_IDLE";
    QTest::newRow("plain") << "Pump" << "Pump" << "_PUMP_H" << "STATE_PUMP_IDLE";
    QTest::newRow("several blanks") << " a  b " << "_a__b_" << "__A__B__H" << "STATE__A__B__IDLE";
    QTest::newRow("unicode upper") << QString::fromUtf8("Stra\xc3\x9f" "e") << QString::fromUtf8("Stra\xc3\x9f" "e")
                                   << "_STRASSE_H" << "STATE_STRASSE_IDLE";
    QTest::newRow("tab kept") << "a\tb" << "a\tb" << "_A\tB_H" << "STATE_A\tB_IDLE";
}

void TestCodeGenerator::derivedNames()
{
    QFETCH(QString, process);
    QFETCH(QString, name);
    QFETCH(QString, guard);
    QFETCH(QString, firstEnumerator);

    StateMachineFixture f(process);
    f.addState(QStringLiteral("Idle"));
    CodeGenerator generator;
    f.prepare(generator);
    QString header;
    generateBoth(generator, &header);

    QCOMPARE(generator.getStateMachineName(), name);
    QCOMPARE(generator.getHeaderFileName(), name + ".h");
    QCOMPARE(generator.getSourceFileName(), name + ".c");
    QCOMPARE(generator.getStateTypeName(), "t_state_" + name);
    QCOMPARE(generator.getStateVariableName(), "state_" + name);
    QCOMPARE(generator.getEnumNames().value(0), firstEnumerator);
    QCOMPARE(generator.getEnumNames().value(1), "STATE_0_" + name.toUpper());
    QVERIFY(header.contains("#ifndef " + guard + "\n#define " + guard + "\n \n"));
    QVERIFY(header.endsWith("#endif /* " + guard + " */"));
    QVERIFY(generator.getMainFunctionString().contains("\t\t\t" + name + "0();"));
    QVERIFY(header.contains(" void " + name + "Initialize(void);"));
    QVERIFY(header.contains("t_state_" + name + " " + name + "GetState(void);"));
}

void TestCodeGenerator::statesInDrawingOrderWithLabelsUnchanged()
{
    StateMachineFixture f(QStringLiteral("M"));
    f.addState(QStringLiteral("B"));
    f.addState(QStringLiteral("run fast"));
    f.addInitialState(QStringLiteral("A"), QString(), QString());
    CodeGenerator generator;
    f.prepare(generator);
    const QString source = generateBoth(generator);

    // The initial pseudo-state ends the enumeration.
    QCOMPARE(generator.getEnumString(),
             QStringLiteral("typedef enum { \n \tSTATE_M_B = 0,\n\tSTATE_M_RUN FAST = 1,\n\tSTATE_M_A = 2,\n\t"
                            "STATE_0_M = 3,\n\t}t_state_M;"));
    QVERIFY(source.contains("headers -------------------------------------*/ \n\n"
                            "static void M0(void);\nstatic void B(void);\nstatic void run fast(void);\n"
                            "static void A(void);\n\n\n/*--------------------------- function definitions"));
    QVERIFY(source.contains("\n\t\tcase STATE_M_B:\n\t\t\tB(); \n\t\t\tbreak; \n"
                            "\n\t\tcase STATE_M_RUN FAST:\n\t\t\trun fast(); \n\t\t\tbreak; \n"
                            "\n\t\tcase STATE_M_A:\n\t\t\tA(); \n\t\t\tbreak; \n\n\t\tdefault"));
}

void TestCodeGenerator::machineWithoutStates()
{
    StateMachineFixture f(QStringLiteral("Empty"));
    CodeGenerator generator;
    f.prepare(generator);
    QString header;
    const QString source = generateBoth(generator, &header);

    QCOMPARE(generator.getEnumString(), QStringLiteral("typedef enum { \n \tSTATE_0_EMPTY = 0,\n\t}t_state_Empty;"));
    QCOMPARE(generator.getMainFunctionString(),
             QStringLiteral("\n\t\tcase STATE_0_EMPTY: \n\t\t\tEmpty0();\n\t\t\tbreak;\n"
                            "\n\t\tdefault: \n\t\t\tstate_Empty = STATE_0_EMPTY;\n\t\t\tbreak;"));
    QVERIFY(generator.getStateCodeVector().isEmpty());
    QVERIFY(source.contains("/*---------------------------------- headers -------------------------------------*/ \n"
                            "\nstatic void Empty0(void);\n\n\n/*---"));
    QCOMPARE(generator.getState0CodeString(),
             QStringLiteral("/** \n * @function description:  function corresponding to the initial state of Empty \n"
                            " */ \nstatic void Empty0(void) \n{\n"
                            "\t// Error : Initial state item in state machine Empty is not assigned \n}"));
    QVERIFY(source.endsWith(generator.getState0CodeString() + "\n\n"));
    QVERIFY(header.contains(" * Number of States: 0\n * Number of Transitions: 0 \n"));
    QCOMPARE(generator.getErrorList(),
             QVector<QString>({"Initial state item in state machine Empty is not assigned"}));
}

void TestCodeGenerator::firstOfTwoInitialStatesWins()
{
    StateMachineFixture f(QStringLiteral("M"));
    f.addState(QStringLiteral("Z"));
    f.addInitialState(QStringLiteral("A"), QStringLiteral("(a)"), QStringLiteral("fromA();"));
    f.addInitialState(QStringLiteral("B"), QStringLiteral("(b)"), QStringLiteral("fromB();"));
    CodeGenerator generator;
    f.prepare(generator);
    generateBoth(generator);

    const QString state0 = generator.getState0CodeString();
    QVERIFY(state0.contains("\tif(a)\n\t{\n\t\tfromA();\n\n\t\tstate_M = STATE_M_A;\n\t}\n}"));
    QVERIFY(!state0.contains("fromB"));
    QVERIFY(generator.getErrorList().isEmpty());
}

void TestCodeGenerator::initialPseudoStateFunction_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("errors");

    const QString comment = "\t/* -- condition for transition to initial state -- */\n";
    QTest::newRow("condition and action")
        << "(ready)" << "go();" << comment + "\tif(ready)\n\t{\n\t\tgo();\n\n\t\tstate_M = STATE_M_S;\n\t}\n"
        << QStringList();
    QTest::newRow("condition only")
        << "(ready)" << "" << comment + "\tif(ready)\n\t{\n\t\t\n\n\t\tstate_M = STATE_M_S;\n\t}\n" << QStringList();
    QTest::newRow("two-line action")
        << "(1)" << "a();\nb();" << comment + "\tif(1)\n\t{\n\t\ta();\n\tb();\n\n\t\tstate_M = STATE_M_S;\n\t}\n"
        << QStringList();
    QTest::newRow("blank condition counts") << " " << "x();"
                                            << comment + "\tif \n\t{\n\t\tx();\n\n\t\tstate_M = STATE_M_S;\n\t}\n"
                                            << QStringList();
    QTest::newRow("neither") << "" << "" << "\tstate_M = STATE_M_S;\n" << QStringList();
    QTest::newRow("action without condition")
        << "" << "lost();" << "\tstate_M = STATE_M_S;\n"
        << QStringList({"Initial state action present but condition absent for State Item S is absent"});
    QTest::newRow("blank action without condition")
        << "" << " " << "\tstate_M = STATE_M_S;\n"
        << QStringList({"Initial state action present but condition absent for State Item S is absent"});
}

void TestCodeGenerator::initialPseudoStateFunction()
{
    QFETCH(QString, condition);
    QFETCH(QString, action);
    QFETCH(QString, body);
    QFETCH(QStringList, errors);

    StateMachineFixture f(QStringLiteral("M"));
    f.addState(QStringLiteral("T"));
    f.addInitialState(QStringLiteral("S"), condition, action);
    CodeGenerator generator;
    f.prepare(generator);
    generateBoth(generator);

    QCOMPARE(generator.getState0CodeString(),
             "/** \n * @function description:  function corresponding to the initial state of M \n */ \n"
             "static void M0(void) \n{\n" + body + "}");
    QCOMPARE(QStringList(generator.getErrorList().toList()), errors);
}

// ---- State functions ---------------------------------------------------------

void TestCodeGenerator::stateFunctionText_data()
{
    QTest::addColumn<Design>("design");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("source");
    QTest::addColumn<QString>("counts");
    QTest::addColumn<QString>("text");

    const QString head = QStringLiteral("/** \n * @function description  %1 \n */ \nstatic void %2(void) \n{\n"
                                        "\n\t /* -- code of the current state -- */ \n\t");
    QTest::newRow("empty action") << Design([](StateMachineFixture& f) {
        f.addState(QStringLiteral("Quiet"), QString(), QStringLiteral("does nothing"));
    }) << 0 << false << "States: 1\n * Number of Transitions: 0 " << head.arg("does nothing", "Quiet") + "\n\n}";
    QTest::newRow("two-line actions") << Design([](StateMachineFixture& f) {
        f.addState(QStringLiteral("A"), QStringLiteral("one();\ntwo();"), QStringLiteral("a"));
        f.addState(QStringLiteral("B"));
        f.addTransition(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("go"), QStringLiteral("(x)"),
                        QStringLiteral("three();\nfour();"));
    }) << 0 << true << "States: 2\n * Number of Transitions: 1 "
       << head.arg("a", "A") + "one();\n\ttwo();\n\n\t/* -- case where transition is executed go -- */\n\tif (x)\n\t{\n"
              "\t\tthree();\n\t\tfour();\n\t\t/* -- state is changed -- */ \n\t\tstate_M = STATE_M_B;\n\t}\n\n}";
    // Self transitions give no branch but are counted.
    QTest::newRow("only self transitions") << Design([](StateMachineFixture& f) {
        f.addInitialState(QStringLiteral("Loop"), QString(), QString(), QStringLiteral("spin();"), QStringLiteral("d"));
        f.addTransition(QStringLiteral("Loop"), QStringLiteral("Loop"), QStringLiteral("again"), QStringLiteral("(1)"));
        f.addTransition(QStringLiteral("Loop"), QStringLiteral("Loop"), QStringLiteral("more"), QStringLiteral("(2)"));
    }) << 0 << false << "States: 1\n * Number of Transitions: 2 " << head.arg("d", "Loop") + "spin();\n\n}";
    // A transition into a state gives no branch in that state's function.
    QTest::newRow("incoming transition") << Design([](StateMachineFixture& f) {
        f.addState(QStringLiteral("From"));
        f.addState(QStringLiteral("To"), QStringLiteral("arrive();"), QStringLiteral("t"));
        f.addTransition(QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("x"), QStringLiteral("(go)"));
    }) << 1 << false << "States: 2\n * Number of Transitions: 1 " << head.arg("t", "To") + "arrive();\n\n}";
}

void TestCodeGenerator::stateFunctionText()
{
    QFETCH(Design, design);
    QFETCH(int, index);
    QFETCH(bool, source);
    QFETCH(QString, counts);
    QFETCH(QString, text);
    StateMachineFixture f(QStringLiteral("M"));
    design(f);
    CodeGenerator generator;
    f.prepare(generator);
    QString header;
    generateBoth(generator, &header);

    QCOMPARE(generator.getStateCodeVector().value(index), text);
    QCOMPARE(generator.isSourceState(f.machine.stateItems[index]), source);
    QVERIFY(!generator.isSourceState(nullptr));
    QVERIFY(header.contains(" * Number of " + counts + "\n"));
}

void TestCodeGenerator::emptyConditionIsAlwaysTaken()
{
    StateMachineFixture f(QStringLiteral("M"));
    f.addInitialState(QStringLiteral("A"), QString(), QString());
    f.addState(QStringLiteral("B"));
    f.addState(QStringLiteral("C"));
    f.addTransition(QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("t1"));
    f.addTransition(QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("t2"));
    CodeGenerator generator;
    f.prepare(generator);
    const QString code = stateFunction(generator, 0);

    // "if" alone would not compile.
    QVERIFY(code.contains("executed t1 -- */\n\tif (1)\n\t{\n\t\t\n\t\t/* -- state is changed -- */ \n"
                          "\t\tstate_M = STATE_M_B;\n\t}\n"));
    QVERIFY(code.contains("executed t2 -- */\n\telse if (1)\n\t{\n\t\t\n\t\t/* -- state is changed -- */ \n"
                          "\t\tstate_M = STATE_M_C;\n\t}\n\n}"));
    QVERIFY(generator.getErrorList().isEmpty());
}

void TestCodeGenerator::branchesFollowAttachOrder()
{
    StateMachineFixture f(QStringLiteral("M"));
    StateItem* a = f.addState(QStringLiteral("A"));
    StateItem* b = f.addState(QStringLiteral("B"));
    StateItem* c = f.addState(QStringLiteral("C"));
    TransitionItem* toB = f.join(a, b, QStringLiteral("toB"), QStringLiteral("(b)"));
    f.join(c, a, QStringLiteral("fromC"), QStringLiteral("(c)"));
    f.join(a, c, QStringLiteral("toC"), QStringLiteral("(c)"));
    // Detach and attach again: now last in A's list, still first in the registry.
    a->removeTransition(toB);
    a->addTransition(toB);
    CodeGenerator generator;
    f.prepare(generator);
    const QString code = stateFunction(generator, 0);

    const int first = code.indexOf("executed toC -- */\n\tif (c)");
    const int second = code.indexOf("executed toB -- */\n\telse if (b)");
    QVERIFY(first > 0);
    QVERIFY(second > first);
    QVERIFY(!code.contains("fromC"));
}

void TestCodeGenerator::branchTargetIsPositionInRegistry()
{
    StateMachineFixture f(QStringLiteral("M"));
    QVector<StateItem*> s;
    for (int i = 0; i < 10; ++i)
        s.append(f.addState(QStringLiteral("S%1").arg(i)));
    f.join(s[5], s[9], QStringLiteral("later"), QStringLiteral("(a)"));
    f.join(s[5], s[0], QStringLiteral("first"), QStringLiteral("(b)"));
    f.join(s[5], s[5], QStringLiteral("self"), QStringLiteral("(c)"));
    f.join(s[5], s[3], QStringLiteral("earlier"), QStringLiteral("(d)"));
    CodeGenerator generator;
    f.prepare(generator);
    generateBoth(generator);

    const QString code = generator.getStateCodeVector().value(5);
    const QString change = QStringLiteral("\n\t{\n\t\t\n\t\t/* -- state is changed -- */ \n\t\tstate_M = ");
    QVERIFY(code.contains("\tif (a)" + change + "STATE_M_S9;"));
    QVERIFY(code.contains("\telse if (b)" + change + "STATE_M_S0;"));
    QVERIFY(code.contains("\telse if (d)" + change + "STATE_M_S3;"));
    QVERIFY(!code.contains("(c)"));
    QCOMPARE(code.count("state is changed"), 3);
}

// ---- Counts, variables, errors ----------------------------------------------

void TestCodeGenerator::inputsAndOutputsCountedFromDataflows()
{
    StateMachineFixture f(QStringLiteral("M"));
    QVERIFY(f.addInput(QStringLiteral("speed")));
    QVERIFY(f.addOutput(QStringLiteral("motor")));
    QVERIFY(f.addInput(QStringLiteral("limit")));
    f.addMemory(QStringLiteral("local"), QStringLiteral("int"));
    CodeGenerator generator;
    f.prepare(generator);

    QCOMPARE(generator.getNumberOfInputVariables(), 2);
    QCOMPARE(generator.getNumberOfOutputVariables(), 1);
    const QString header = generator.headerFileText();
    QVERIFY(header.contains(" * Input variables: 2 \n * Output variables: 1 \n * local variables : 1 \n"));

    // Counted again from scratch on every call.
    generator.setNumberOfInputOutputVariables();
    QCOMPARE(generator.getNumberOfInputVariables(), 2);
    StateMachineFixture other(QStringLiteral("N"));
    other.prepare(generator);
    QCOMPARE(generator.getNumberOfInputVariables(), 0);
    QCOMPARE(generator.getNumberOfOutputVariables(), 0);
}

void TestCodeGenerator::memoryNamesAndTypesLoseBlanks()
{
    StateMachineFixture f(QStringLiteral("M"));
    f.addMemory(QStringLiteral("time out"), QStringLiteral("unsigned int"));
    f.addMemory(QStringLiteral("x"), QStringLiteral("struct  pair"));
    f.addMemory(QString(), QStringLiteral("int"));
    f.addMemory(QStringLiteral("y"), QString());
    CodeGenerator generator;
    f.prepare(generator);
    generateBoth(generator);

    QCOMPARE(generator.getGlobalVariablesString(),
             QStringLiteral("static unsigned_int time_out;\nstatic struct__pair x;\nstatic int ;\nstatic  y;\n"
                            "\nstatic t_state_M state_M = STATE_0_M;\n\n"));
}

void TestCodeGenerator::designErrorsInOrder()
{
    StateMachineFixture f(QStringLiteral("Ctl Unit"));
    f.addState(QStringLiteral("A"));
    f.addMemory(QString(), QStringLiteral("int"));
    f.addMemory(QStringLiteral("speed"), QString());
    f.addMemory(QStringLiteral("ok"), QStringLiteral("int"));
    f.addMemory(QString(), QString());
    CodeGenerator generator;
    f.prepare(generator);
    QTemporaryDir dir;
    generator.setOutputFolder(dir.path());

    QVERIFY(generator.writeStateMachineFiles());
    QCOMPARE(generator.getErrorList(),
             QVector<QString>({"Label Input for Memory Item  is absent",
                               "Datatype Input for Memory Item speed is absent",
                               "Label Input for Memory Item  is absent",
                               "Datatype Input for Memory Item  is absent",
                               "Initial state item in state machine Ctl_Unit is not assigned"}));
    // The files are written in full all the same.
    QVERIFY(QFile::exists(dir.filePath("Ctl_Unit.h")));
    QVERIFY(readAll(dir.filePath("Ctl_Unit.c")).endsWith("\n\n"));

    // The initial-state action error comes last as well.
    StateMachineFixture g(QStringLiteral("G"));
    g.addMemory(QString(), QStringLiteral("int"));
    g.addInitialState(QStringLiteral("Start"), QString(), QStringLiteral("boot();"));
    g.prepare(generator);
    QVERIFY(generator.writeStateMachineFiles());
    QCOMPARE(generator.getErrorList(),
             QVector<QString>({"Label Input for Memory Item  is absent",
                               "Initial state action present but condition absent for State Item Start is absent"}));
    QVERIFY(!readAll(dir.filePath("G.c")).contains("boot();"));
}

void TestCodeGenerator::userSections()
{
    StateMachineFixture f(QStringLiteral("M"));
    f.addText(TextItem::Default, QStringLiteral("int a;"));
    f.addText(TextItem::Includes, QStringLiteral("#include <a.h>\n#include <b.h>"));
    f.addText(TextItem::Defines, QStringLiteral("#define A 1"));
    f.addText(TextItem::Default, QStringLiteral("int b;"));
    f.addText(TextItem::Includes, QStringLiteral("#include <c.h>"));
    f.addText(TextItem::Defines, QString());
    CodeGenerator generator;
    f.prepare(generator);
    QString header;
    const QString source = generateBoth(generator, &header);

    QCOMPARE(generator.getUserIncludesString(), QStringLiteral("#include <a.h>\n#include <b.h>\n#include <c.h>\n"));
    QCOMPARE(generator.getUserMacrosString(), QStringLiteral("#define A 1\n\n\n \n"));
    QCOMPARE(generator.getUserCodeString(), QStringLiteral("int a;\nint b;\n\n \n"));
    QVERIFY(header.contains("user includes ---------------------------------*/ \n#include <a.h>\n#include <b.h>\n"
                            "#include <c.h>\n\n \n/*------------------------------ global declarations"));
    QVERIFY(source.contains("user defines ---------------------------------*/ \n\n#define A 1\n\n\n \n"
                            "/*---------------------------------- variables"));
    QVERIFY(source.contains("user code -----------------------------------*/ \n\nint a;\nint b;\n\n \n"
                            "/*---------------------------------- headers"));
}

void TestCodeGenerator::emptyUserSectionsDropTheirTrailer()
{
    StateMachineFixture f(QStringLiteral("M"));
    CodeGenerator generator;
    f.prepare(generator);
    QString header;
    const QString source = generateBoth(generator, &header);

    QVERIFY(generator.getUserIncludesString().isEmpty());
    QVERIFY(generator.getUserMacrosString().isEmpty());
    QVERIFY(generator.getUserCodeString().isEmpty());
    QVERIFY(header.contains("user includes ---------------------------------*/ \n\n \n/*---"));
    QVERIFY(source.contains("user defines ---------------------------------*/ \n\n"
                            "/*---------------------------------- variables -----------------------------------*/ \n"
                            "\n\nstatic t_state_M state_M = STATE_0_M;\n\n"
                            "/*---------------------------------- user code -----------------------------------*/ \n"
                            "\n/*---------------------------------- headers"));
}

// ---- File header -------------------------------------------------------------

void TestCodeGenerator::versionFormatting_data()
{
    QTest::addColumn<double>("version");
    QTest::addColumn<QString>("text");
    QTest::newRow("1.5") << 1.5 << "1.5";
    QTest::newRow("2.0") << 2.0 << "2";
    QTest::newRow("0") << 0.0 << "0";
    QTest::newRow("1.25") << 1.25 << "1.25";
    QTest::newRow("99.99") << 99.99 << "99.99";
    QTest::newRow("six digits") << 12.3456789 << "12.3457";
    QTest::newRow("large") << 1234567.0 << "1.23457e+06";
    QTest::newRow("never set") << -1.0 << "1";
}

void TestCodeGenerator::versionFormatting()
{
    QFETCH(double, version);
    QFETCH(QString, text);
    StateMachineFixture f(QStringLiteral("M"));
    CodeGenerator generator;
    if (version >= 0)
        generator.setVersionNumber(version);
    f.prepare(generator);
    QVERIFY(generator.headerFileText().contains(" * @version: " + text + " \n \n"));
}

void TestCodeGenerator::headerMarkersInValuesStayVerbatim()
{
    StateMachineFixture f(QStringLiteral("M"), QStringLiteral("load 100%1"));
    CodeGenerator generator;
    generator.setAuthor(QStringLiteral("%5"));
    generator.setOrganization(QStringLiteral("org"));
    generator.setprojectName(QStringLiteral("Plant"));
    f.prepare(generator);
    const QString header = generator.headerFileText();

    // A marker inside a value is never filled again.
    QVERIFY(header.contains(" * @author: %5 \n * @organization: org \n"));
    QVERIFY(header.contains(" * @project: Plant \n"));
    QVERIFY(header.contains(" * \n * load 100%1 \n */\n \n#ifndef"));
    QVERIFY(header.startsWith("/** \n * @file: M.h \n"));
    QVERIFY(generator.sourceFileText().startsWith("/** \n * @file: M.c \n"));
}

void TestCodeGenerator::dateLineUsesSourceDateEpochInUtc()
{
    const QByteArray oldTz = qgetenv("TZ");
    // Fourteen hours ahead of UTC: late on Dec 5 in UTC is Dec 6 locally.
    qputenv("TZ", "XYZ-14");
    tzset();
    qputenv("SOURCE_DATE_EPOCH", "1796511600"); // 2026-12-05 23:00 UTC
    const QString text = CodeGenerator::getCurrentDateTime();
    const QDate localDay = QDateTime::fromSecsSinceEpoch(1796511600).date();
    qputenv("SOURCE_DATE_EPOCH", "0");
    const QString epoch = CodeGenerator::getCurrentDateTime();
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();

    QCOMPARE(localDay, QDate(2026, 12, 6));
    QCOMPARE(text, QDate(2026, 12, 5).toString(Qt::TextDate));
    QCOMPARE(epoch, QDate(1970, 1, 1).toString(Qt::TextDate));
    QCOMPARE(QDate(2026, 12, 5).toString(Qt::TextDate), QStringLiteral("Sat Dec 5 2026"));
}

void TestCodeGenerator::dateLineFallsBackToLocalDate_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("unset") << QByteArray();
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("letters") << QByteArray("soon");
    QTest::newRow("trailing junk") << QByteArray("12x");
    QTest::newRow("negative") << QByteArray("-5");
    QTest::newRow("too large") << QByteArray("99999999999999999999999");
    QTest::newRow("largest integer") << QByteArray("9223372036854775807");
    QTest::newRow("after year 9999") << QByteArray("253402300800");
}

void TestCodeGenerator::dateLineFallsBackToLocalDate()
{
    QFETCH(QByteArray, value);
    if (value.isNull())
        qunsetenv("SOURCE_DATE_EPOCH");
    else
        qputenv("SOURCE_DATE_EPOCH", value);
    const QString before = QDate::currentDate().toString(Qt::TextDate);
    const QString text = CodeGenerator::getCurrentDateTime();
    const QString after = QDate::currentDate().toString(Qt::TextDate);
    QVERIFY2(text == before || text == after, qPrintable(text));
    // The command-line tool refuses what the application falls back from.
    QCOMPARE(CodeGenerator::sourceDateEpochProblem().isEmpty(), value.isEmpty());
}

// ---- Writing -------------------------------------------------------------------

void TestCodeGenerator::setFilePathKeepsFolder_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");
    QTest::newRow("project file") << "/home/u/p/door.vorn" << "/home/u/p/";
    QTest::newRow("no slash") << "door.vorn" << "";
    QTest::newRow("root") << "/door.vorn" << "/";
    QTest::newRow("folder") << "/home/u/p/" << "/home/u/p/";
    QTest::newRow("empty") << "" << "";
}

void TestCodeGenerator::setFilePathKeepsFolder()
{
    QFETCH(QString, path);
    QFETCH(QString, folder);
    CodeGenerator generator;
    generator.setFilePath(path);
    QCOMPARE(generator.getFilePath(), folder);
}

void TestCodeGenerator::rewritingTruncatesAndHeaderHasNoFinalLineFeed()
{
    QTemporaryDir dir;
    QFile old(dir.filePath(QStringLiteral("M.h")));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    StateMachineFixture f(QStringLiteral("M"));
    f.addInitialState(QStringLiteral("S"), QStringLiteral("(1)"), QString());
    CodeGenerator generator;
    generator.setFilePath(dir.filePath(QStringLiteral("project.vorn")));
    f.prepare(generator);
    QVERIFY(generator.writeStateMachineFiles());

    // The folder ends in "/", so the path holds "//", which is one "/".
    QCOMPARE(generator.headerFilePath(), dir.path() + "//M.h");
    const QByteArray header = readAll(dir.filePath(QStringLiteral("M.h")));
    QVERIFY(header.startsWith("/** \n"));
    QVERIFY(header.endsWith("\n \n#endif /* _M_H */"));
    QVERIFY(!header.contains("xx"));
    const QByteArray source = readAll(dir.filePath(QStringLiteral("M.c")));
    QVERIFY(source.endsWith("\n}\n\n"));
    QVERIFY(!source.endsWith("\n}\n\n\n"));
}

void TestCodeGenerator::fileNames_data()
{
    QTest::addColumn<QString>("label");
    QTest::newRow("slash") << "a/b";
    QTest::newRow("parent path") << "../evil";
    QTest::newRow("leading slash") << "/tmp/evil";
    QTest::newRow("only slash") << "/";
    QTest::newRow("dot") << ".";
    QTest::newRow("dot dot") << "..";
    QTest::newRow("dots inside") << "a..b";
    QTest::newRow("dot blank") << ". ";
    QTest::newRow("backslash") << "a\\b";
    QTest::newRow("empty") << "";
}

// A machine name that is not a C identifier is a design error before it can
// become a file name: nothing is written, anywhere.
void TestCodeGenerator::fileNames()
{
    QFETCH(QString, label);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("out/a")));
    const QString out = root.filePath(QStringLiteral("out"));
    StateMachineFixture f(label);
    f.addMemory(QString(), QString());
    CodeGenerator generator;
    generator.setOutputFolder(out);
    f.prepare(generator);

    QVERIFY(!generator.writeStateMachineFiles());
    QVERIFY(generator.refusedForDesignErrors());
    QVERIFY(generator.getWriteErrors().isEmpty());
    QCOMPARE(generator.getErrorList().size(), 1);
    QVERIFY2(generator.getErrorList().constFirst().startsWith("/" + DesignLinter::printable(label) + ": "),
             qPrintable(generator.getErrorList().constFirst()));
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    QVERIFY2(!it.hasNext(), qPrintable(it.hasNext() ? it.next() : QString()));
    QVERIFY(!QFile::exists(root.filePath(QStringLiteral("evil.h"))));
    QVERIFY(!QFile::exists(QStringLiteral("/tmp/evil.h")));
}

void TestCodeGenerator::unusableFolderSkipsMachine_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << "not/there" << "does not exist";
    QTest::newRow("plain file") << "file" << "is not a folder";
    QTest::newRow("read-only") << "readonly" << "is not writable";
}

void TestCodeGenerator::unusableFolderSkipsMachine()
{
    QFETCH(QString, folder);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString out = dir.filePath(folder);
    QFile plain(dir.filePath(QStringLiteral("file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("readonly")));
    QFile::setPermissions(dir.filePath(QStringLiteral("readonly")), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (folder == QLatin1String("readonly") && QFileInfo(out).isWritable())
        QSKIP("this user may write into read-only folders");
    StateMachineFixture f(QStringLiteral("M"));
    CodeGenerator generator;
    generator.setOutputFolder(out);
    f.prepare(generator);

    QVERIFY(!generator.writeStateMachineFiles());
    QCOMPARE(generator.getWriteErrors(),
             QVector<QString>({"State machine M was skipped: the output folder " + out + ' ' + reason}));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("not"))));
    QVERIFY(QDir(dir.filePath(QStringLiteral("readonly"))).isEmpty());
    QFile::setPermissions(dir.filePath(QStringLiteral("readonly")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestCodeGenerator::unwritableFileIsReportedAndNothingWritten()
{
    QTemporaryDir dir;
    // A folder in the way of the header file cannot be opened as a file.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("M.h")));
    StateMachineFixture f(QStringLiteral("M"));
    CodeGenerator generator;
    generator.setOutputFolder(dir.path());
    f.prepare(generator);

    QVERIFY(!generator.writeStateMachineFiles());
    QCOMPARE(generator.getWriteErrors().size(), 1);
    QVERIFY(generator.getWriteErrors().value(0).startsWith(
        "File " + dir.path() + "/M.h of state machine M could not be written: "));
    // Both files or neither: a header from one run beside a source from
    // another would not compile or, worse, would.
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("M.c"))));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestCodeGenerator::skippedMachineDoesNotStopNextOne()
{
    QTemporaryDir dir;
    StateMachineFixture bad(QStringLiteral(".."));
    StateMachineFixture good(QStringLiteral("Good"));
    CodeGenerator generator;
    generator.setOutputFolder(dir.path());

    bad.prepare(generator);
    QVERIFY(!generator.writeStateMachineFiles());
    good.prepare(generator);
    QVERIFY(generator.writeStateMachineFiles());
    QVERIFY(generator.getWriteErrors().isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"Good.c", "Good.h"}));
}

void TestCodeGenerator::noMachineGivenIsReported()
{
    CodeGenerator generator;
    QTemporaryDir dir;
    generator.setOutputFolder(dir.path());
    QVERIFY(!generator.writeStateMachineFiles());
    QCOMPARE(generator.getWriteErrors().size(), 1);
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

QTEST_MAIN(TestCodeGenerator)
#include "tst_codegenerator.moc"
