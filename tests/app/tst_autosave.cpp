// Autosave and crash recovery: recovery copies of modified projects only,
// written by the save code beside the user's file, removed by Save and by a
// normal close, offered after a crash (also of a real Korvel process).
#include <QtTest>

#include <QAction>
#include <QProcess>
#include <QSharedMemory>
#include <QStatusBar>
#include <QSystemSemaphore>
#include <QTreeView>
#include <QUndoStack>

#include "autosave.h"
#include "canvas.h"
#include "headlessproject.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "runguard.h"
#include "scenemouse.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "testfiles.h"

using namespace SceneMouse;

namespace {

// Long enough for a slow, loaded machine; the waits end as soon as the file is there.
constexpr int fileWait = 20000;
const char shortInterval[] = "50";

Canvas* canvasNamed(const MainWindow& window, const QString& label)
{
    for (Canvas* canvas : window.getCanvases()) {
        if (canvas->getLabel() == label)
            return canvas;
    }
    return nullptr;
}

// Adds a state to the example's state machine: one undoable change.
int addState(MainWindow& window)
{
    auto* tree = window.findChild<QTreeView*>("treeView");
    window.on_treeView_doubleClicked(ProjectFixture::nodeNamed(tree->model(), "Light_Sequencer"));
    Canvas* canvas = window.getCurrentCanvas();
    canvas->setMode(Canvas::InsertState);
    click(canvas, QPointF(1500, 900));
    return canvas->stateItems.size();
}

// The states of the named machine in a project file; -1 if it cannot be loaded.
int statesIn(const QString& path, const QString& machine)
{
    HeadlessProject project;
    if (project.load(path) != HeadlessProject::Loaded)
        return -1;
    for (Canvas* canvas : project.canvases().all()) {
        if (canvas->getLabel() == machine)
            return canvas->stateItems.size();
    }
    return -1;
}

QString sidecarOf(const QString& copy)
{
    return copy.left(copy.size() - 5) + ".json";
}

bool copyWritten(const QString& project)
{
    const QString copy = Autosave::copyPathFor(project);
    return QFileInfo::exists(copy) && QFileInfo::exists(sidecarOf(copy));
}

QString question(const QString& name, const QDateTime& time)
{
    return QString("Korvel was not closed normally. Recover the unsaved changes to %1 from %2?")
        .arg(name, QLocale().toString(time.toLocalTime(), QLocale::ShortFormat));
}

// A killed Korvel leaves its single-instance segment and semaphore behind;
// they live in the system, not in its folders, so they are removed here.
void releaseInstanceLock(const QString& tmp)
{
    const bool wasSet = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmp.toUtf8()); // the keys are made from files there
    {
        QSharedMemory segment(RunGuard::generateKeyHash("instance_anchor", "_segmentLabel"));
        if (segment.attach())
            segment.detach(); // the last one out removes it
        QSystemSemaphore lock(RunGuard::generateKeyHash("instance_anchor", "_semTagName"), 1,
                              QSystemSemaphore::Create); // owned now, so removed at the end of this block
    }
    if (wasSet)
        qputenv("TMPDIR", previous);
    else
        qunsetenv("TMPDIR");
}

} // namespace

class TestAutosave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void copiesModifiedProjectsOnlyAndSaveRemovesThem();
    void failedWriteSaysWhyOnceAndRetries();
    void restartAsksAboutTheCopy_data();
    void restartAsksAboutTheCopy();
    void settingIsRemembered();
    void killedProcessIsOfferedRecovery();

private:
    QTemporaryDir home;
};

void TestAutosave::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
    // Test mode keeps the data folder under HOME; a home of its own keeps the
    // copies away from every other test program.
    QVERIFY(home.isValid());
    qputenv("HOME", home.path().toUtf8());
    qputenv("KORVEL_AUTOSAVE_INTERVAL_MS", shortInterval);
    MainWindow window; // names the application, which names its data folder
    QVERIFY(Autosave::folder().startsWith(home.path()));
}

void TestAutosave::init()
{
    QDir(Autosave::folder()).removeRecursively();
}

void TestAutosave::copiesModifiedProjectsOnlyAndSaveRemovesThem()
{
    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    const QByteArray original = readAll(file);
    MainWindow window;
    QStringList shown;
    connect(window.autosaver(), &Autosave::written, &window,
            [&] { shown << window.statusBar()->currentMessage(); });
    window.openFile(file);

    // A change undone again leaves nothing to recover.
    addState(window);
    window.getCurrentCanvas()->undoStack()->undo();
    QVERIFY(!window.isProjectModified());
    QTRY_VERIFY(!window.autosaver()->isPending());
    QVERIFY(!QFileInfo::exists(Autosave::folder()) || filesIn(Autosave::folder()).isEmpty());

    const int states = addState(window);
    QTRY_VERIFY_WITH_TIMEOUT(copyWritten(file), fileWait);
    QCOMPARE(shown.value(0), QString("Autosaved"));
    QCOMPARE(readAll(file), original);
    QCOMPARE(window.projectIO().getFilePath(), file);
    QVERIFY(window.isProjectModified());
    Autosave::Recovery recovery;
    QVERIFY(Autosave::offerFor(file, &recovery));
    QCOMPARE(recovery.originalPath, QFileInfo(file).absoluteFilePath());
    QCOMPARE(recovery.copyPath, Autosave::copyPathFor(file));
    QCOMPARE(filesIn(Autosave::folder()).size(), 2);

    // The copy is a sound project holding the change.
    QProcess cli;
    cli.start(KORVEL_BINARY_DIR "/korvel-cli", {"check", recovery.copyPath});
    QVERIFY(cli.waitForFinished(fileWait));
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(statesIn(recovery.copyPath, "Light_Sequencer"), states);

    // Save writes what the copy holds, byte for byte, and removes the copy.
    const QByteArray copied = readAll(recovery.copyPath);
    window.findChild<QAction*>("actionSave")->trigger();
    QCOMPARE(readAll(file), copied);
    QVERIFY(filesIn(Autosave::folder()).isEmpty());

    // Close Project with Discard removes it too.
    addState(window);
    QTRY_VERIFY_WITH_TIMEOUT(copyWritten(file), fileWait);
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Discard);
    window.findChild<QAction*>("actionClose_Project")->trigger();
    QCOMPARE(answer.answeredCount(), 1);
    QVERIFY(filesIn(Autosave::folder()).isEmpty());
    QCOMPARE(readAll(file), copied);
}

void TestAutosave::failedWriteSaysWhyOnceAndRetries()
{
    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    MainWindow window;
    window.openFile(file);
    // A file where the recovery folder should be: nothing can be written.
    QDir().mkpath(QFileInfo(Autosave::folder()).path());
    QVERIFY(writeFile(Autosave::folder(), "in the way"));
    QSignalSpy failed(window.autosaver(), &Autosave::failed);
    addState(window);
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, fileWait);
    QVERIFY(!failed.first().first().toString().isEmpty());
    QVERIFY(window.statusBar()->currentMessage().startsWith("Autosave failed: "));
    QTest::qWait(10 * QByteArray(shortInterval).toInt()); // further attempts fail silently
    QCOMPARE(failed.count(), 1);
    QVERIFY(window.autosaver()->isPending());

    QVERIFY(QFile::remove(Autosave::folder()));
    QTRY_VERIFY_WITH_TIMEOUT(copyWritten(file), fileWait);
    QCOMPARE(failed.count(), 1);
}

void TestAutosave::restartAsksAboutTheCopy_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("fileGone");
    QTest::newRow("recover") << "Recover" << false;
    QTest::newRow("recover, file gone") << "Recover" << true;
    QTest::newRow("discard") << "Discard" << false;
    QTest::newRow("later") << "Later" << false;
}

void TestAutosave::restartAsksAboutTheCopy()
{
    QFETCH(QString, button);
    QFETCH(bool, fileGone);
    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    int states = 0;
    {
        // A session that ends without closing, as a crash would.
        MainWindow crashed;
        crashed.openFile(file);
        states = addState(crashed);
        QTRY_VERIFY_WITH_TIMEOUT(copyWritten(file), fileWait);
    }
    if (fileGone)
        QVERIFY(QFile::remove(file));
    Autosave::Recovery recovery;
    QVERIFY(Autosave::offerFor(file, &recovery));

    MainWindow window;
    ModalAnswerer answer;
    answer.pressButton(button);
    window.offerRecoveryAtStart();
    QCOMPARE(answer.texts(), QStringList {question("Example_1.vorn", recovery.time)});

    if (button == "Recover") {
        QVERIFY(window.isProjectModified());
        QVERIFY(window.isWindowModified());
        QCOMPARE(window.projectIO().getFilePath(), recovery.originalPath);
        QCOMPARE(window.windowTitle(), QString("Example_1.vorn[*] - Korvel"));
        QCOMPARE(canvasNamed(window, "Light_Sequencer")->stateItems.size(), states);
        window.findChild<QAction*>("actionSave")->trigger();
        QVERIFY(!window.isProjectModified());
        QCOMPARE(statesIn(file, "Light_Sequencer"), states);
        QVERIFY(filesIn(Autosave::folder()).isEmpty());
        return;
    }
    QVERIFY(window.getCanvases().isEmpty());
    if (button == "Discard") {
        QVERIFY(filesIn(Autosave::folder()).isEmpty());
        return;
    }
    // Later: the copy stays and is offered again when the project is opened.
    QCOMPARE(filesIn(Autosave::folder()).size(), 2);
    answer.pressButton("Recover");
    window.openFile(file);
    QCOMPARE(answer.answeredCount(), 2);
    QCOMPARE(canvasNamed(window, "Light_Sequencer")->stateItems.size(), states);
    QVERIFY(window.isProjectModified());
}

void TestAutosave::settingIsRemembered()
{
    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    {
        MainWindow window;
        QAction* action = window.findChild<QAction*>("actionEnable_Autosave");
        QVERIFY(action->isCheckable());
        QVERIFY(action->isChecked()); // on by default
        QVERIFY(!action->isEnabled()); // no project
        window.openFile(file);
        QVERIFY(action->isEnabled());
        action->trigger();
        QVERIFY(!action->isChecked());
        addState(window);
        QVERIFY(!window.autosaver()->isPending());
        ModalAnswerer answer;
        answer.pressButton(QMessageBox::Discard);
        window.findChild<QAction*>("actionClose_Project")->trigger();
        QVERIFY(!action->isEnabled());
    }
    {
        MainWindow window;
        QAction* action = window.findChild<QAction*>("actionEnable_Autosave");
        QVERIFY(!action->isChecked());
        window.openFile(file);
        action->trigger();
        QVERIFY(action->isChecked());
    }
    MainWindow window;
    QVERIFY(window.findChild<QAction*>("actionEnable_Autosave")->isChecked());
    QVERIFY(!QFileInfo::exists(Autosave::folder()) || filesIn(Autosave::folder()).isEmpty());
}

void TestAutosave::killedProcessIsOfferedRecovery()
{
    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    QTemporaryDir own;
    QVERIFY(own.isValid());
    for (const char* folder : {"home", "config", "tmp"})
        QVERIFY(QDir(own.path()).mkpath(folder));

    // Its own settings, home and single-instance lock; the data folder is the
    // one this test's windows use, so that they find what it leaves.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", own.filePath("home"));
    env.insert("XDG_CONFIG_HOME", own.filePath("config"));
    env.insert("XDG_DATA_HOME", home.path() + "/.qttest/share");
    env.insert("TMPDIR", own.filePath("tmp"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KORVEL_AUTOSAVE_INTERVAL_MS", shortInterval);
    env.insert("KORVEL_TEST_UNSAVED_RENAME", "Renamed_Before_The_Crash");
    QProcess korvel;
    korvel.setProcessEnvironment(env);
    korvel.setProcessChannelMode(QProcess::ForwardedChannels);
    korvel.start(KORVEL_BINARY_DIR "/korvel", {file});
    QVERIFY(korvel.waitForStarted(fileWait));
    QTRY_VERIFY_WITH_TIMEOUT(copyWritten(file) || korvel.state() == QProcess::NotRunning, fileWait);
    QCOMPARE(korvel.state(), QProcess::Running);
    korvel.kill(); // SIGKILL: nothing gets to clean up
    QVERIFY(korvel.waitForFinished(fileWait));
    QCOMPARE(korvel.exitStatus(), QProcess::CrashExit);
    releaseInstanceLock(own.filePath("tmp"));

    MainWindow window;
    ModalAnswerer answer;
    answer.pressButton("Recover");
    window.offerRecoveryAtStart();
    QCOMPARE(answer.answeredCount(), 1);
    QVERIFY(answer.text().startsWith("Korvel was not closed normally. Recover the unsaved changes to "
                                      "Example_1.vorn from "));
    QVERIFY(window.isProjectModified());
    QCOMPARE(window.getCanvases().first()->getLabel(), QString("Renamed_Before_The_Crash"));
    QCOMPARE(window.projectIO().getFilePath(), QFileInfo(file).absoluteFilePath());
    window.findChild<QAction*>("actionSave")->trigger();
    QVERIFY(readAll(file).contains("Renamed_Before_The_Crash"));
    QVERIFY(filesIn(Autosave::folder()).isEmpty());
}

QTEST_MAIN(TestAutosave)
#include "tst_autosave.moc"
