// korvel-cli run as a process: exit codes, messages, the files it writes and
// that they match, byte for byte, what the application writes; and pictures
// of canvases, from korvel-cli render and the renderer it shares with File >
// Export Canvas as Image.

#include <QtTest>

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <sys/stat.h>

#include "canvas.h"
#include "canvasrenderer.h"
#include "codegenproperties.h"
#include "createproject.h"
#include "windowlesscanvases.h"
#include "itemshadow.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "problemsdock.h"
#include "processitem.h"
#include "projectfixture.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "unprivileged.h"

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


QString example(const char* name)
{
    return QStringLiteral(KORVEL_SOURCE_DIR "/Examples/") + QLatin1String(name);
}

// The text of every <text> element, and the viewBox, of an SVG file; false
// when the file is not well-formed XML.
bool readSvg(const QString& path, QSet<QString>* texts, QString* viewBox)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("svg"))
            *viewBox = reader.attributes().value("viewBox").toString();
        else if (reader.name() == QLatin1String("text"))
            texts->insert(reader.readElementText());
    }
    return !reader.hasError();
}

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
    void savesWhereNoTemporaryFileFits_data();
    void savesWhereNoTemporaryFileFits();
    void sameBytesAsTheApplication();
    void resaveOfApplicationFileIsIdentical();
    void lossyProjectNeedsAllowLoss();
    void lint_data();
    void lint();
    void unreadableFilesAreRefusedAtOnce_data();
    void unreadableFilesAreRefusedAtOnce();
    void picturesFollowTheItems_data();
    void picturesFollowTheItems();
    void fileStemsAreSafeAndDistinct();
    void renderWritesEachCanvasOrOneTheSameEachTime();
    void picturesAreSizedBeforeAnyIsDrawn();

private:
    // The wrapper, when given, runs the tool: its words come first.
    Result run(const QStringList& arguments, const QProcessEnvironment& extra = QProcessEnvironment(),
               const QStringList& wrapper = QStringList());
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

Result TestKorvelCli::run(const QStringList& arguments, const QProcessEnvironment& extra,
                         const QStringList& wrapper)
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
    if (wrapper.isEmpty())
        process.start(cli, arguments);
    else
        process.start(wrapper.first(), wrapper.mid(1) + QStringList(cli) + arguments);
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

void TestKorvelCli::savesWhereNoTemporaryFileFits_data()
{
    // How the resave of a larger project over Door.vorn is run, and the
    // first line it gives on stderr ("%1" the target, "%2" the folder, "%3"
    // the backups' folder); an empty line: none.
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("error");
    const QString refused = QStringLiteral("korvel-cli: %1: the project could not be saved: ");
    QTest::newRow("completes") << "" << 0 << "";
    QTest::newRow("full disk") << "full" << 2
                               << refused + "The file could not be written completely (File too large); its "
                                            "previous version was put back.";
    // A kill half way leaves the file damaged until the next start puts it back.
    QTest::newRow("killed") << "killed" << -1 << "";
    QTest::newRow("no room for a backup")
        << "no backup" << 2
        << refused + "Korvel cannot create files in the folder %2, and could not keep a backup of the file in "
                     "%3 (The folder %3 does not exist.), so the file was not touched. Use Save As to save it "
                     "in a folder you can write.";
    QTest::newRow("symbolic link loop") << "loop" << 2
                                        << refused + "The file %1 cannot be written: Too many levels of "
                                                     "symbolic links.";
}

void TestKorvelCli::savesWhereNoTemporaryFileFits()
{
    QFETCH(QString, how);
    QFETCH(int, code);
    QFETCH(QString, error);
    // A folder the tool's user cannot write, holding a file it can.
    QFile::setPermissions(dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                           | QFileDevice::ReadOther | QFileDevice::ExeOther);
    const QString folder = path(QStringLiteral("shared"));
    const QString target = folder + QStringLiteral("/Door.vorn");
    QVERIFY(QDir().mkdir(folder));
    QVERIFY(QFile::rename(cleanProject(), target));
    const QByteArray old = readAll(target);
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther
                                      | QFileDevice::WriteOther);
    QVERIFY(Unprivileged::handOver(target));
    if (how == "loop") {
        QVERIFY(QFile::remove(target));
        QVERIFY(QFile::link(target, target));
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                      | QFileDevice::ExeOther);
    const QString data = Unprivileged::ownFolder();
    if (how == "no backup")
        QVERIFY(writeFile(data + QStringLiteral("/Pelmora"), "in the way"));
    QProcessEnvironment env;
    env.insert(QStringLiteral("XDG_DATA_HOME"), data);
    env.insert(QStringLiteral("HOME"), data);
    const QString backups = data + QStringLiteral("/Pelmora/Korvel/backups");

    // The backup of the old file fits under the file-size limit; the new
    // text does not.
    const QString source = example("Example_1.vorn");
    QVERIFY(QFileInfo(source).size() > old.size());
    for (const QString& needed : {cli, source}) {
        const QString blocked = Unprivileged::isSuperuser() ? Unprivileged::blockedOnTheWay(needed) : QString();
        QVERIFY2(blocked.isEmpty(), qPrintable(blocked + " is closed to other users"));
    }
    QStringList wrapper {QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("exec \"$@\""),
                         QStringLiteral("sh")};
    if (how == "full" || how == "killed")
        wrapper << QStringLiteral("prlimit") << QStringLiteral("--fsize=%1").arg(old.size());
    if (how == "full")
        wrapper[2] = QStringLiteral("trap '' XFSZ; exec \"$@\"");
    wrapper << Unprivileged::prefix();
    const Result result = run({"resave", source, "-o", target}, env, wrapper);
    const Result again = run({"check", target}, env, wrapper);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir(data).removeRecursively();

    QCOMPARE(result.code, code);
    if (!error.isEmpty())
        error = error.arg(target, folder, backups);
    QCOMPARE(QString::fromLocal8Bit(result.errLines().value(0)), error);
    if (how == "loop") {
        QVERIFY(QFileInfo(target).isSymLink());
        return;
    }
    if (how.isEmpty()) {
        QCOMPARE(readAll(target), readAll(source));
        return;
    }
    // Killed: the next start of the tool puts the old file back, and says so.
    const QString putBack = QStringLiteral("korvel-cli: A save of %1 was cut off; the file was put back as it was "
                                           "before that save.")
                                .arg(target);
    QCOMPARE(again.errLines().value(0), how == "killed" ? putBack.toLocal8Bit() : QByteArray());
    QCOMPARE(again.code, 0);
    QCOMPARE(readAll(target), old);
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
        window.actionAt(POS_CODE_GENERATOR)->trigger();
        QCOMPARE(answer.answeredCount(), 1);
        // The design errors are listed in Problems, not in a dialog of their own.
        QCOMPARE(window.problemsView()->errorCount(), 4);
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
        "[dead-end-state]\n"
        "Software Module/Valve/Go: error: transition \"Go\" does not compile: 'pressure' undeclared (first use in "
        "this function) [c-syntax]\n";
    QTest::newRow("text") << QStringList {"lint", twoMachines, "--cc", "gcc"} << 1 << twoMachinesText;
    // Without a compiler the C is not checked, and that alone is no finding to fail on.
    QTest::newRow("no compiler") << QStringList {"lint", QStringLiteral(KORVEL_SOURCE_DIR "/Examples/Example_1.vorn"),
                                                 "--cc", "no-such-cc"}
                                 << 0
                                 << QByteArray("Signal_Control/Light_Sequencer: info: the C syntax check was skipped: "
                                               "no C compiler: no-such-cc was not found on the PATH [c-syntax]\n"
                                               "Push_Button/Button_Debounce: info: the C syntax check was skipped: "
                                               "no C compiler: no-such-cc was not found on the PATH [c-syntax]\n");
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

void TestKorvelCli::unreadableFilesAreRefusedAtOnce_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<QByteArray>("out");

    // A named pipe nobody writes to would block every command for good.
    const QByteArray pipe = "korvel-cli: pipe.vorn: cannot be read: not a regular file\n";
    QTest::newRow("check a pipe") << QStringList {"check", "pipe.vorn"} << 1 << pipe << QByteArray();
    QTest::newRow("generate a pipe") << QStringList {"generate", "pipe.vorn", "-o", "out"} << 2 << pipe << QByteArray();
    QTest::newRow("resave a pipe") << QStringList {"resave", "pipe.vorn", "-o", "a.vorn"} << 2 << pipe << QByteArray();
    QTest::newRow("simulate a pipe") << QStringList {"simulate", "pipe.vorn", "--machine", "M"} << 2 << pipe
                                     << QByteArray();
    QTest::newRow("render a pipe") << QStringList {"render", "pipe.vorn", "-o", "out"} << 2 << pipe << QByteArray();
    QTest::newRow("lint a pipe") << QStringList {"lint", "pipe.vorn"} << 1 << QByteArray()
                                 << QByteArray("pipe.vorn: error: cannot be read: not a regular file [corrupt-file]\n");
    QTest::newRow("over 2 GiB") << QStringList {"check", "huge.vorn"} << 1
                                << QByteArray("korvel-cli: huge.vorn: cannot be read: the file is larger than 2 GiB\n")
                                << QByteArray();
    // Judged by its start, without reading the rest.
    QTest::newRow("1 GiB of zeros") << QStringList {"check", "zeros.vorn"} << 1
                                    << QByteArray("korvel-cli: zeros.vorn: design file is corrupt: not well-formed XML "
                                                  "at line 1, column 1: Start tag expected.\n")
                                    << QByteArray();
}

void TestKorvelCli::unreadableFilesAreRefusedAtOnce()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QByteArray, err);
    QFETCH(QByteArray, out);
    QCOMPARE(mkfifo(QFile::encodeName(path("pipe.vorn")).constData(), 0600), 0);
    // Sparse: no disk space is taken.
    for (const auto& file : {qMakePair(QStringLiteral("huge.vorn"), (qint64(2) << 30) + 1),
                             qMakePair(QStringLiteral("zeros.vorn"), qint64(1) << 30)}) {
        QFile sparse(path(file.first));
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(file.second));
    }
    const Result result = run(arguments);
    QCOMPARE(result.err, err);
    QCOMPARE(result.out, out);
    QCOMPARE(result.code, code);
    QVERIFY(!QFileInfo::exists(path("out")) && !QFileInfo::exists(path("a.vorn")));
}

void TestKorvelCli::picturesFollowTheItems_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("Example_1") << example("Example_1.vorn");
    QTest::newRow("Example_2") << example("Example_2.vorn");
}

// Every canvas of both examples: the picture holds every item with the
// margin and no more, its size follows the scale, the SVG names every state
// and process, and the PNG shows each process where it stands.
void TestKorvelCli::picturesFollowTheItems()
{
    QFETCH(QString, file);
    WindowlessCanvases project;
    QCOMPARE(project.load(file), WindowlessCanvases::Loaded);
    QTemporaryDir dir;
    int states = 0;
    for (Canvas* canvas : project.canvases().all()) {
        project.canvases().refillMirrors(canvas);
        CanvasRenderer renderer(canvas);
        const QString svg = dir.filePath("c.svg"), png = dir.filePath("c.png"), small = dir.filePath("s.png");
        QVERIFY2(renderer.write(svg, PictureFile::Svg), qPrintable(renderer.errorString()));
        QVERIFY2(renderer.write(png, PictureFile::Png), qPrintable(renderer.errorString()));
        QVERIFY2(renderer.write(small, PictureFile::Png, 0.5), qPrintable(renderer.errorString()));

        QRectF items;
        for (QGraphicsItem* item : canvas->items()) {
            if (item->isVisible())
                items |= ItemShadow::sceneRectOf(item);
        }
        const QRect source = renderer.sourceRect();
        const int m = PictureFile::margin;
        QCOMPARE(source, items.toAlignedRect().adjusted(-m, -m, m, m));

        const QImage image(png);
        QCOMPARE(image.size(), source.size());
        QCOMPARE(QImage(small).size(), QSize((source.width() + 1) / 2, (source.height() + 1) / 2));
        for (ProcessItem* process : canvas->processItems) {
            const QRectF box = ItemShadow::sceneRectOf(process);
            const QPoint inside = (QPointF(box.center().x(), box.bottom() - 20) - source.topLeft()).toPoint();
            QCOMPARE(image.pixelColor(inside), process->getBackgroundColor());
        }

        QSet<QString> texts;
        QString viewBox;
        QVERIFY2(readSvg(svg, &texts, &viewBox), qPrintable(svg));
        QCOMPARE(viewBox, QString("0 0 %1 %2").arg(source.width()).arg(source.height()));
        QVERIFY(texts.contains(canvas->getLabel()));
        for (StateItem* state : canvas->stateItems) {
            QVERIFY2(texts.contains(state->getLabel()), qPrintable(state->getLabel()));
            ++states;
        }
        for (ProcessItem* process : canvas->processItems)
            QVERIFY2(texts.contains(process->getLabel()), qPrintable(process->getLabel()));
    }
    QVERIFY(states > 0);
}

void TestKorvelCli::fileStemsAreSafeAndDistinct()
{
    QCOMPARE(PictureFile::fileStems({"P/Hardware Module/Micro:controller", ".hidden", "a b", "A_B", "a_b", ""}),
             QStringList({"P-Hardware_Module-Micro_controller", "_hidden", "a_b", "A_B_2", "a_b_3", "canvas"}));
    QVERIFY(PictureFile::fileStems({QString(300, QChar(0x00e9))}).first().toUtf8().size() <= 200);
}

// One file per canvas, the same bytes on every run; --canvas picks one.
void TestKorvelCli::renderWritesEachCanvasOrOneTheSameEachTime()
{
    QTemporaryDir first, second, one;
    const auto render = [this](const QString& folder, const QStringList& options) {
        return run(QStringList({"render", example("Example_1.vorn"), "-o", folder}) + options);
    };
    for (QTemporaryDir* dir : {&first, &second}) {
        QCOMPARE(render(dir->path(), {}).code, 0);
        QCOMPARE(render(dir->path(), {"--format", "png"}).code, 0);
    }
    const QStringList names = filesIn(first.path());
    QCOMPARE(names.size(), 14);
    QVERIFY(names.contains("Pedestrian_Crossing-Hardware_Module-Microcontroller-Signal_Control-Light_Sequencer.svg"));
    QCOMPARE(filesIn(second.path()), names);
    for (const QString& name : names)
        QVERIFY2(readAll(first.filePath(name)) == readAll(second.filePath(name)), qPrintable(name));

    QCOMPARE(render(one.path(), {"--canvas", "Pedestrian_Crossing/Hardware Module/Microcontroller/Push_Button"}).code,
             0);
    QCOMPARE(filesIn(one.path()), QStringList({"Pedestrian_Crossing-Hardware_Module-Microcontroller-Push_Button.svg"}));
    const Result unknown = render(one.path(), {"--canvas", "Pedestrian_Crossing/Nowhere"});
    QCOMPARE(unknown.code, 2);
    QVERIFY2(unknown.err.contains("has no canvas \"Pedestrian_Crossing/Nowhere\" (it has: Pedestrian_Crossing, "),
             unknown.err.constData());
    QCOMPARE(filesIn(one.path()).size(), 1);
}

// A canvas with a state a million units out: every canvas is sized first,
// and none is drawn when one would be too large; the window's Export asks
// for no file name then.
void TestKorvelCli::picturesAreSizedBeforeAnyIsDrawn()
{
    QByteArray far = readAll(example("Example_1.vorn"));
    const QByteArray red = "<xCoord>120</xCoord>\n                    <yCoord>140</yCoord>";
    QVERIFY(far.contains(red));
    // The first state of the example: Red, on the light sequencer.
    far.replace(far.indexOf(red), 20, "<xCoord>1000000</xCoord>");
    QVERIFY(writeFile(path("far.vorn"), far));
    const QString name = QStringLiteral("Light_Sequencer");
    const QString browserPath = "Pedestrian_Crossing/Hardware Module/Microcontroller/Signal_Control/" + name;

    WindowlessCanvases project;
    QCOMPARE(project.load(path("far.vorn")), WindowlessCanvases::Loaded);
    Canvas* canvas = nullptr;
    for (Canvas* each : project.canvases().all())
        canvas = project.canvases().browserPath(each) == browserPath ? each : canvas;
    QVERIFY(canvas);
    project.canvases().refillMirrors(canvas);
    const QSize size = CanvasRenderer(canvas).imageSize(1.0);
    QVERIFY(qint64(size.width()) * size.height() > PictureFile::largestPixelCount);
    const QString tooLarge = QStringLiteral("the picture would be %1 by %2 pixels, more than 100 megapixels")
                                 .arg(size.width())
                                 .arg(size.height());

    const Result result = run({"render", "far.vorn", "-o", "out", "--format", "png"});
    QCOMPARE(result.code, 2);
    QCOMPARE(QString::fromUtf8(result.err), "korvel-cli: " + browserPath + ": not drawn: " + tooLarge + "\n");
    QCOMPARE(result.out, QByteArray());
    QVERIFY(!QFileInfo::exists(path("out")));

    MainWindow window;
    window.openFile(path("far.vorn"));
    ProjectFixture::showCanvas(window, name);
    ModalAnswerer answer;
    answer.accept();
    window.findChild<QAction*>("actionExport_Canvas_as_Image")->trigger();
    QCOMPARE(answer.texts(), QStringList {"The canvas " + name + " cannot be exported as a picture: " + tooLarge + "."});
}

QTEST_MAIN(TestKorvelCli)
#include "tst_korvelcli.moc"
