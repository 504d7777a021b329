// korvel-cli run as a process: exit codes, messages, the files it writes and
// that they match, byte for byte, what the application writes.

#include <QtTest>

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include "codegenproperties.h"
#include "createproject.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "testenvironment.h"
#include "testfiles.h"

namespace {

const QString cli = QStringLiteral(KORVEL_BINARY_DIR "/korvel-cli");
const QString twoMachines = QStringLiteral(KORVEL_SOURCE_DIR "/tests/codegen/data/two_machines.vorn");
const QString corrupt = QStringLiteral(KORVEL_SOURCE_DIR "/tests/fuzz/corpus/corrupt-missing-attribute.vorn");
const QString truncated = QStringLiteral(KORVEL_SOURCE_DIR "/tests/fuzz/corpus/corrupt-truncated.vorn");
const QByteArray epoch = "1796472000"; // Sat Dec 5 2026

struct Result
{
    int code = -1;
    QByteArray out;
    QByteArray err;
    QList<QByteArray> errLines() const { return err.trimmed().isEmpty() ? QList<QByteArray>() : err.trimmed().split('\n'); }
};

} // namespace

class TestKorvelCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void exitCodes_data();
    void exitCodes();
    void existingFilesNeedForce();
    void unwritableFileFails();
    void sameBytesAsTheApplication();
    void resaveOfApplicationFileIsIdentical();
    void lossyProjectNeedsAllowLoss();
    void lint_data();
    void lint();

private:
    Result run(const QStringList& arguments, const QProcessEnvironment& extra = QProcessEnvironment());
    QString cleanProject();
    QString path(const QString& name) const { return dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> dir;
    QString config;
};

void TestKorvelCli::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
    QVERIFY2(QFileInfo(cli).isExecutable(), qPrintable(cli));
}

void TestKorvelCli::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
    QVERIFY(QDir(dir->path()).mkdir(QStringLiteral("config")));
    config = path(QStringLiteral("config"));
}

Result TestKorvelCli::run(const QStringList& arguments, const QProcessEnvironment& extra)
{
    // No display and no platform choice: the tool must manage on its own.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "SOURCE_DATE_EPOCH"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("HOME"), config);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("XDG_CACHE_HOME"), dir->filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("SOURCE_DATE_EPOCH"), QString::fromLatin1(epoch));
    for (const QString& key : extra.keys())
        env.insert(key, extra.value(key));

    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir->path());
    process.start(cli, arguments);
    Result result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.code = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QString TestKorvelCli::cleanProject()
{
    const QString file = path(QStringLiteral("Door.vorn"));
    CreateProject::getInstance(nullptr)->processNewProject(file);
    return file;
}

void TestKorvelCli::exitCodes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("errorLines");

    const QString sound = QStringLiteral("$CLEAN");
    QTest::newRow("check sound") << QStringList{"check", sound} << 0 << 0 << 0;
    QTest::newRow("check two machines") << QStringList{"check", twoMachines} << 0 << 0 << 0;
    QTest::newRow("check corrupt") << QStringList{"check", corrupt} << 1 << 0 << 1;
    QTest::newRow("check missing file") << QStringList{"check", "nothing.vorn"} << 1 << 0 << 1;
    QTest::newRow("check a folder") << QStringList{"check", "."} << 1 << 0 << 1;
    QTest::newRow("check without file") << QStringList{"check"} << 2 << 0 << 1;
    QTest::newRow("generate clean") << QStringList{"generate", sound, "-o", "out"} << 0 << 2 << 0;
    QTest::newRow("generate design errors") << QStringList{"generate", twoMachines, "-o", "out"} << 1 << 4 << 3;
    QTest::newRow("generate long option") << QStringList{"generate", sound, "--output", "out/deep/er"} << 0 << 2 << 0;
    QTest::newRow("generate missing file") << QStringList{"generate", "nothing.vorn", "-o", "out"} << 2 << 0 << 1;
    QTest::newRow("generate without -o") << QStringList{"generate", sound} << 2 << 0 << 1;
    QTest::newRow("generate bad version") << QStringList{"generate", sound, "-o", "out", "--version", "one"} << 2 << 0 << 1;
    QTest::newRow("generate unknown option") << QStringList{"generate", sound, "-o", "out", "--frob"} << 2 << 0 << 1;
    QTest::newRow("generate into a file") << QStringList{"generate", sound, "-o", "Door.vorn"} << 2 << 0 << 1;
    QTest::newRow("resave without -o") << QStringList{"resave", sound} << 2 << 0 << 1;
    QTest::newRow("generate corrupt") << QStringList{"generate", truncated, "-o", "out"} << 2 << 0 << 1;
    QTest::newRow("resave corrupt") << QStringList{"resave", corrupt, "-o", "out/a.vorn"} << 2 << 0 << 1;
    QTest::newRow("resave over a folder") << QStringList{"resave", sound, "-o", "."} << 2 << 0 << 1;
    QTest::newRow("resave into no folder") << QStringList{"resave", sound, "-o", "out/a.vorn"} << 2 << 0 << 1;
    QTest::newRow("unknown command") << QStringList{"frob", sound} << 2 << 0 << 1;
    QTest::newRow("no command") << QStringList{} << 2 << 0 << 1;
}

void TestKorvelCli::exitCodes()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(int, files);
    QFETCH(int, errorLines);
    const QString clean = cleanProject();
    arguments.replaceInStrings(QStringLiteral("$CLEAN"), clean);

    const Result result = run(arguments);
    QCOMPARE(result.code, code);
    QCOMPARE(result.errLines().size(), errorLines);
    QString out = path(QStringLiteral("out"));
    const int deep = arguments.indexOf(QStringLiteral("--output"));
    if (deep >= 0)
        out = path(arguments.at(deep + 1));
    QCOMPARE(filesIn(out).size(), files);
    // Every written file is named on stdout.
    QCOMPARE(result.out.count('\n'), files);
    if (files == 0)
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("out"))));
    if (arguments.contains(twoMachines) && code == 1)
        QCOMPARE(result.err, QByteArray("Pump: Datatype Input for Memory Item level is absent\n"
                                         "Pump: Initial state item in state machine Pump is not assigned\n"
                                         "Valve: Initial state action present but condition absent for State Item "
                                         "Closed is absent\n"));
}

void TestKorvelCli::existingFilesNeedForce()
{
    const QString out = path(QStringLiteral("out"));
    QVERIFY(QDir().mkdir(out));
    // Only the source of Valve is there: the machine is still skipped, as the
    // application would ask about it.
    QVERIFY(writeFile(out + QStringLiteral("/Valve.c"), "mine"));

    Result result = run({"generate", twoMachines, "-o", "out"});
    QCOMPARE(result.code, 2);
    QCOMPARE(filesIn(out), QStringList({"Pump.c", "Pump.h", "Valve.c"}));
    QCOMPARE(readAll(out + QStringLiteral("/Valve.c")), QByteArray("mine"));
    const QList<QByteArray> lines = result.errLines();
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.last(), QByteArray("korvel-cli: Valve: skipped, out/Valve.c already exists "
                                      "(--force replaces existing files)"));

    result = run({"generate", twoMachines, "-o", "out", "--force"});
    QCOMPARE(result.code, 1);
    QCOMPARE(filesIn(out), QStringList({"Pump.c", "Pump.h", "Valve.c", "Valve.h"}));
    QVERIFY(readAll(out + QStringLiteral("/Valve.c")).startsWith("/** \n * @file: Valve.c \n"));
}

void TestKorvelCli::unwritableFileFails()
{
    // A folder where a header should go cannot be replaced, even with --force.
    QVERIFY(QDir(dir->path()).mkpath(QStringLiteral("out/Pump.h")));
    const Result result = run({"generate", twoMachines, "-o", "out", "--force"});
    QCOMPARE(result.code, 2);
    QVERIFY2(result.err.contains("korvel-cli: Pump: File out/Pump.h of state machine Pump could not be written: "),
             result.err.constData());
    QCOMPARE(filesIn(path(QStringLiteral("out"))), QStringList({"Valve.c", "Valve.h"}));
    QVERIFY(!result.out.contains("Pump"));
}

void TestKorvelCli::sameBytesAsTheApplication()
{
    const QString appOut = path(QStringLiteral("app"));
    QVERIFY(QDir().mkdir(appOut));
    qputenv("SOURCE_DATE_EPOCH", epoch);
    {
        MainWindow window;
        window.openFile(twoMachines);
        ModalAnswerer answer;
        answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* modal) {
            qobject_cast<CodegenProperties*>(modal)->filePath = appOut;
            modal->findChild<QLineEdit*>(QStringLiteral("LE_Author"))->setText(QStringLiteral("Ann Example"));
            modal->findChild<QLineEdit*>(QStringLiteral("LE_Organization"))->setText(QStringLiteral("Lab & Co"));
            modal->findChild<QDoubleSpinBox*>(QStringLiteral("doubleSpinBox"))->setValue(2.75);
        });
        answer.pressButton(QStringLiteral("OK"));
        answer.pressButton(QStringLiteral("OK"));
        window.actionAt(POS_CODE_GENERATOR)->trigger();
        QCOMPARE(answer.answeredCount(), 3);
    }
    qunsetenv("SOURCE_DATE_EPOCH");

    const Result result = run({"generate", twoMachines, "-o", "cli", "--author", "Ann Example",
                               "--organization", "Lab & Co", "--version", "2.75"});
    QCOMPARE(result.code, 1);
    const QStringList names {"Pump.c", "Pump.h", "Valve.c", "Valve.h"};
    QCOMPARE(filesIn(appOut), names);
    QCOMPARE(filesIn(path(QStringLiteral("cli"))), names);
    for (const QString& name : names) {
        const QByteArray mine = readAll(path(QStringLiteral("cli/") + name));
        QVERIFY(mine.contains(" * @author: Ann Example \n * @organization: Lab & Co \n * @date: Sat Dec 5 2026 \n"));
        QCOMPARE(mine, readAll(appOut + '/' + name));
    }
}

void TestKorvelCli::resaveOfApplicationFileIsIdentical()
{
    // Saved by the application, from a file written by hand.
    const QString saved = path(QStringLiteral("saved.vorn"));
    {
        MainWindow window;
        window.openFile(twoMachines);
        window.projectIO().setFilePath(saved);
        QVERIFY(window.saveDataToFile());
    }
    const Result result = run({"resave", saved, "-o", "again.vorn"});
    QCOMPARE(result.code, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(readAll(path(QStringLiteral("again.vorn"))), readAll(saved));

    // In place, too.
    QCOMPARE(run({"resave", "again.vorn", "-o", "again.vorn"}).code, 0);
    QCOMPARE(readAll(path(QStringLiteral("again.vorn"))), readAll(saved));
    QCOMPARE(run({"check", "again.vorn"}).code, 0);
}

void TestKorvelCli::lossyProjectNeedsAllowLoss()
{
    const QString lossy = QStringLiteral(KORVEL_SOURCE_DIR "/tests/fuzz/regressions/loss-orphan-subtree.vorn");
    const QByteArray prefix = "korvel-cli: " + QDir::toNativeSeparators(lossy).toLocal8Bit() + ": not placed: ";
    const QList<QByteArray> named {
        prefix + "process \"Software Module\" (level 4, id 1): no diagram (level 3, id 1, parent -1) to place it on",
        prefix + "1 item(s) on the diagram \"Software Module\" (level 4), which no process of the project owns",
        prefix + "3 item(s) on the diagram \"StateMachine_1\" (level 5), which no process of the project owns"};

    const Result check = run({"check", lossy});
    QCOMPARE(check.code, 1);
    QCOMPARE(check.errLines(), named);

    const Result refused = run({"resave", lossy, "-o", "out.vorn"});
    QCOMPARE(refused.code, 2);
    QCOMPARE(refused.errLines().mid(0, 3), named);
    QCOMPARE(refused.errLines().size(), 4);
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("out.vorn"))));

    const Result allowed = run({"resave", lossy, "-o", "out.vorn", "--allow-loss"});
    QCOMPARE(allowed.code, 0);
    QCOMPARE(allowed.errLines(), named);
    const Result again = run({"check", "out.vorn"});
    QCOMPARE(again.code, 0);
    QCOMPARE(again.err, QByteArray());
}

void TestKorvelCli::lint_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("out");

    const QByteArray twoMachinesText =
        "Software Module/Pump/level: error: Datatype Input for Memory Item level is absent [memory-datatype-missing]\n"
        "Software Module/Pump: error: Initial state item in state machine Pump is not assigned "
        "[initial-state-missing]\n"
        "Software Module/Pump/Idle: warning: no transition leaves state \"Idle\"; the machine stays there "
        "[dead-end-state]\n"
        "Software Module/Valve/Closed: error: Initial state action present but condition absent for State Item "
        "Closed is absent [initial-action-without-condition]\n"
        "Software Module/Valve/Opened: warning: no transition leaves state \"Opened\"; the machine stays there "
        "[dead-end-state]\n";
    QTest::newRow("text") << QStringList {"lint", twoMachines} << 1 << twoMachinesText;
    QTest::newRow("new project, warnings only") << QStringList {"lint", "$CLEAN"} << 3
        << QByteArray("Software Module/StateMachine_1/SecondaryState: warning: no transition leaves state "
                      "\"SecondaryState\"; the machine stays there [dead-end-state]\n");
    QTest::newRow("corrupt") << QStringList {"lint", truncated} << 1
                             << (truncated.toUtf8() + ": error: design file is corrupt: ");
    QTest::newRow("missing json") << QStringList {"lint", "nothing.vorn", "--format", "json"} << 1
                                  << QByteArray("[\n{\"rule\": \"corrupt-file\", \"severity\": \"error\", \"path\": "
                                                "\"nothing.vorn\", \"message\": \"cannot be read: the file does not "
                                                "exist\"}\n]\n");
    QTest::newRow("bad format") << QStringList {"lint", twoMachines, "--format", "xml"} << 2 << QByteArray();
    QTest::newRow("no file") << QStringList {"lint"} << 2 << QByteArray();
    for (const char* example : {"Example_1.vorn", "Example_2.vorn"}) {
        QTest::newRow(example) << QStringList {"lint", QStringLiteral(KORVEL_SOURCE_DIR "/Examples/") + example}
                               << 0 << QByteArray();
    }
}

void TestKorvelCli::lint()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QByteArray, out);
    arguments.replaceInStrings(QStringLiteral("$CLEAN"), cleanProject());
    const Result result = run(arguments);
    QCOMPARE(result.code, code);
    if (code == 2) {
        QCOMPARE(result.errLines().size(), 1);
        return;
    }
    QCOMPARE(result.err, QByteArray());
    if (arguments.contains(truncated))
        QVERIFY2(result.out.startsWith(out) && result.out.count('\n') == 1, result.out.constData());
    else
        QCOMPARE(result.out, out);
}

QTEST_MAIN(TestKorvelCli)
#include "tst_korvelcli.moc"
