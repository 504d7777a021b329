// Autosave and crash recovery: recovery copies of modified projects only,
// written by the save code beside the user's file, removed by Save and by a
// normal close, offered after a crash.
#include <QtTest>

#include <QAction>
#include <QStatusBar>
#include <QUndoStack>

#include "autosave.h"
#include "canvas.h"
#include "documentfile.h"
#include "machineset.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "projectnode.h"
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
    MachineSet taken;
    if (!readMachines(path, &taken))
        return -1;
    for (const ProjectNode* node : taken.machines()) {
        if (node->process.label == machine)
            return node->diagram.states.size();
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
    window.finishSaving();
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
    QTest::addColumn<QString>("afterCrash"); // what happened to the files before the restart
    QTest::newRow("recover") << "Recover" << "";
    QTest::newRow("recover, file gone") << "Recover" << "file gone";
    // A sync tool, a checkout or a touch must not hide the copy's work.
    QTest::newRow("recover, file touched") << "Recover" << "file touched";
    QTest::newRow("open as copy, file touched") << "Open as Copy..." << "file touched";
    QTest::newRow("recover, copy damaged") << "Recover" << "copy damaged";
    QTest::newRow("discard") << "Discard" << "";
    QTest::newRow("later") << "Later" << "";
}

void TestAutosave::restartAsksAboutTheCopy()
{
    QFETCH(QString, button);
    QFETCH(QString, afterCrash);
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
    const QByteArray original = readAll(file);
    const QString copy = Autosave::copyPathFor(file);
    const QDateTime later = QDateTime::currentDateTime().addSecs(3600);
    QFile touched(file);
    if (afterCrash == "file gone")
        QVERIFY(QFile::remove(file));
    if (afterCrash == "file touched")
        QVERIFY(touched.open(QIODevice::ReadWrite) && touched.setFileTime(later, QFileDevice::FileModificationTime));
    touched.close();
    if (afterCrash == "copy damaged")
        QVERIFY(writeFile(copy, "<?xml version=\"1.0\"?><VornProject>"));
    Autosave::Recovery recovery;
    QVERIFY(Autosave::offerFor(file, &recovery));

    MainWindow window;
    ModalAnswerer answer;
    const QString rescued = fixture.path("Rescued.vorn");
    answer.pressButton(button);
    if (button == "Open as Copy...")
        answer.accept([&](QWidget* dialog) { ProjectFixture::chooseFile(dialog, rescued); });
    if (afterCrash == "copy damaged")
        answer.pressButton("OK");
    window.offerRecoveryAtStart();
    QString asked = question("Example_1.vorn", recovery.time);
    if (afterCrash == "file touched")
        asked = QString("Korvel was not closed normally. The recovery copy of Example_1.vorn from %1 holds "
                        "changes that the file does not, but the file was changed on disk later, at %2.")
                    .arg(QLocale().toString(recovery.time.toLocalTime(), QLocale::ShortFormat),
                         QLocale().toString(later, QLocale::ShortFormat));
    QCOMPARE(answer.texts().value(0), asked);

    if (afterCrash == "copy damaged") {
        // Named as the recovery copy, kept aside and offered no more.
        const QStringList kept = filesIn(Autosave::folder());
        QCOMPARE(kept.size(), 2);
        QCOMPARE(answer.texts().value(1),
                 QString("The recovery copy of %1 cannot be read; it is damaged. It was kept as %2.")
                     .arg(recovery.originalPath, Autosave::folder() + '/' + kept.at(0)));
        QVERIFY(Autosave::offers().isEmpty());
        QVERIFY(window.getCanvases().isEmpty());
        return;
    }
    if (button == "Open as Copy...") {
        // The copy becomes a file of its own; the touched file stays as it was.
        QCOMPARE(window.projectIO().getFilePath(), rescued);
        QVERIFY(!window.isProjectModified());
        QCOMPARE(canvasNamed(window, "Light_Sequencer")->stateItems.size(), states);
        QCOMPARE(readAll(file), original);
        QVERIFY(filesIn(Autosave::folder()).isEmpty());
        return;
    }
    QCOMPARE(answer.answeredCount(), 1);
    if (button == "Recover") {
        QVERIFY(window.isProjectModified());
        QVERIFY(window.isWindowModified());
        QCOMPARE(window.projectIO().getFilePath(), recovery.originalPath);
        QCOMPARE(window.windowTitle(), QString("Example_1.vorn[*] - Korvel"));
        QCOMPARE(canvasNamed(window, "Light_Sequencer")->stateItems.size(), states);
        window.findChild<QAction*>("actionSave")->trigger();
        window.finishSaving();
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
    ModalAnswerer again;
    again.pressButton("Recover");
    window.openFile(file);
    QCOMPARE(again.answeredCount(), 1);
    QCOMPARE(canvasNamed(window, "Light_Sequencer")->stateItems.size(), states);
    QVERIFY(window.isProjectModified());
}

QTEST_MAIN(TestAutosave)
#include "tst_autosave.moc"
