// Autosave and crash recovery: recovery copies of modified projects only,
// written by the save code beside the user's file, removed by Save and by a
// normal close, offered after a crash.
#include <QtTest>

#include <QAction>
#include <QStatusBar>
#include <QUndoStack>

#include "autosave.h"
#include "canvas.h"
#include "headlessproject.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
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
    Canvas* canvas = ProjectFixture::showCanvas(window, "Light_Sequencer");
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

} // namespace

class TestAutosave : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void copiesModifiedProjectsOnlyAndSaveRemovesThem();
    void restartAsksAboutTheCopy_data();
    void restartAsksAboutTheCopy();

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

QTEST_MAIN(TestAutosave)
#include "tst_autosave.moc"
