// New, Open, Save, Save As, Close, Quit, Rename, the guided tour (which
// opens the example project), recent projects and Export Canvas as Image on a
// real main window, with the dialogs and message boxes answered as a user
// would: no answer and no failed save may lose unsaved changes.

#include <QtTest>

#include <QAction>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QTreeView>

#include <sys/stat.h>

#include "canvas.h"
#include "canvasrenderer.h"
#include "codegenproperties.h"
#include "createproject.h"
#include "homescreen.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "recentprojects.h"
#include "scenemouse.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "tourbox.h"
#include "tourtext.h"
#include "treeitem.h"

namespace {

QAction* action(MainWindow& w, const char* name)
{
    return w.findChild<QAction*>(QString::fromLatin1(name));
}

// Places a state by hand on the example's state machine: an unsaved change.
void addState(MainWindow& w)
{
    ProjectFixture::showCanvas(w, "Light_Sequencer")->setMode(Canvas::InsertState);
    SceneMouse::click(w.getCurrentCanvas(), QPointF(1500, 900));
}

int nodeCount(const QAbstractItemModel* model, const QModelIndex& parent = QModelIndex())
{
    int count = 0;
    for (int row = 0; row < model->rowCount(parent); ++row)
        count += 1 + nodeCount(model, model->index(row, 0, parent));
    return count;
}

QString firstLabel(const MainWindow& w)
{
    return w.getCanvases().isEmpty() ? QString() : w.getCanvases().first()->getLabel();
}


const QString askText = QStringLiteral(
    "App tour can can only be taken on sample project. Korvel would attempt to save changes and close "
    "this project to open a sample project from this system.");

QString shownTitle(TourBox* box)
{
    return box->textBrowser()->toPlainText().section(QLatin1Char('\n'), 0, 0);
}


QList<QAction*> recentMenu(MainWindow& w)
{
    return w.findChild<QMenu*>("menuRecent_Projects")->actions();
}

} // namespace

class TestProjectCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void unsavedChangesAreAskedAbout_data();
    void unsavedChangesAreAskedAbout();
    void withoutChangesOnlyQuittingAsks();
    void newRefusesABadName();
    void saveAsContinuesOnTheCopy();
    void badFilesKeepTheOpenProject();
    void openNamesWhatCannotBePlaced();
    void rename_data();
    void rename();
    void tourOnAModifiedProjectAsksThenOffersToSave_data();
    void tourOnAModifiedProjectAsksThenOffersToSave();
    void recentListKeepsOrderWithoutDuplicatesUpToEight();
    void recentProjectsFillMenuAndHomeScreen();
    void recentEntriesOpenAfterAskingAboutChanges();
    void exportWritesThePictureWithoutChangingTheProject();
};

void TestProjectCommands::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestProjectCommands::unsavedChangesAreAskedAbout_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("saveFails");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("shownAfter"); // the first canvas afterwards; empty: none
    QTest::addColumn<bool>("saved");

    const int save = QMessageBox::Save, discard = QMessageBox::Discard, cancel = QMessageBox::Cancel;
    const QString modified = "Project has been modified.", unsaved = "There are unsaved changes in project.";
    const QString mine = "Pedestrian_Crossing";
    QTest::newRow("close, cancel") << "close" << cancel << false << modified << mine << false;
    QTest::newRow("close, discard") << "close" << discard << false << modified << "" << false;
    QTest::newRow("close, save") << "close" << save << false << modified << "" << true;
    QTest::newRow("close, save fails") << "close" << save << true << modified << mine << false;
    QTest::newRow("quit, cancel") << "quit" << cancel << false << modified << mine << false;
    QTest::newRow("quit, discard") << "quit" << discard << false << modified << "" << false;
    QTest::newRow("quit, save") << "quit" << save << false << modified << "" << true;
    QTest::newRow("quit, save fails") << "quit" << save << true << modified << mine << false;
    // Cancel leaves the project as it was, whatever was about to replace it.
    QTest::newRow("open, cancel") << "open" << cancel << false << unsaved << mine << false;
    QTest::newRow("new, cancel") << "new" << cancel << false << unsaved << mine << false;
    QTest::newRow("generate, cancel") << "generate" << cancel << false << unsaved << mine << false;
    QTest::newRow("open, discard") << "open" << discard << false << unsaved << "Battery_Charger" << false;
    QTest::newRow("open, save") << "open" << save << false << unsaved << "Battery_Charger" << true;
    QTest::newRow("open, save fails") << "open" << save << true << unsaved << mine << false;
    QTest::newRow("new, discard") << "new" << discard << false << unsaved << "Fresh" << false;
    QTest::newRow("new, save") << "new" << save << false << unsaved << "Fresh" << true;
    QTest::newRow("new, save fails") << "new" << save << true << unsaved << mine << false;
}

void TestProjectCommands::unsavedChangesAreAskedAbout()
{
    QFETCH(QString, command);
    QFETCH(int, button);
    QFETCH(bool, saveFails);
    QFETCH(QString, question);
    QFETCH(QString, shownAfter);
    QFETCH(bool, saved);

    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    const QString other = fixture.copyExample("Example_2.vorn");
    const QByteArray before = fixture.bytes(file);
    MainWindow w;
    w.show();
    w.openFile(file);
    addState(w);
    QVERIFY(w.isProjectModified());
    if (saveFails)
        w.projectIO().setFilePath(fixture.path("missing-folder/Example_1.vorn"));

    ModalAnswerer answer;
    const QString generated = fixture.path("generated");
    if (command == "new")
        answer.accept([&](QWidget* dialog) { ProjectFixture::chooseFile(dialog, fixture.path("Fresh")); });
    if (command == "generate")
        answer.pressButton(QDialogButtonBox::Ok,
                           [&](QWidget* dialog) { qobject_cast<CodegenProperties*>(dialog)->filePath = generated; });
    answer.pressButton(QMessageBox::StandardButton(button));
    if (saveFails)
        answer.accept();
    bool closed = false;
    if (command == "close")
        action(w, "actionClose_Project")->trigger();
    else if (command == "quit")
        closed = w.close();
    else if (command == "open")
        w.openFile(other);
    else if (command == "generate")
        w.actionAt(POS_CODE_GENERATOR)->trigger();
    else
        action(w, "actionNew")->trigger();

    QCOMPARE(answer.pendingCount(), 0);
    QCOMPARE(answer.texts().value(0), question);
    QVERIFY(QDir(generated).isEmpty());
    if (saveFails)
        QVERIFY2(answer.texts().value(1).contains("does not exist"), qPrintable(answer.texts().value(1)));
    QCOMPARE(firstLabel(w), shownAfter);
    QCOMPARE(fixture.bytes(file) != before, saved);
    QCOMPARE(closed, command == "quit" && shownAfter.isEmpty());
    const bool kept = shownAfter == "Pedestrian_Crossing";
    QCOMPARE(w.isProjectModified(), kept);
    QCOMPARE(action(w, "actionSave")->isEnabled(), kept);
    if (kept) {
        // The kept project has its whole browser, pointing at the shown canvas.
        QCOMPARE(nodeCount(w.findChild<QTreeView*>("treeView")->model()), w.getCanvases().size());
        QVERIFY(w.getCurrentTreeNode());
        QCOMPARE(w.getCurrentTreeNode()->data(0).toString(), w.getCurrentCanvas()->getLabel());
    }
}

void TestProjectCommands::withoutChangesOnlyQuittingAsks()
{
    ProjectFixture fixture;
    MainWindow w;
    w.show();
    w.openFile(fixture.copyExample("Example_2.vorn"));
    ModalAnswerer answer;
    action(w, "actionClose_Project")->trigger();
    QCOMPARE(answer.answeredCount(), 0);
    QVERIFY(w.getCanvases().isEmpty());
    QCOMPARE(w.actionsState(), STATE_BLANK);

    answer.pressButton(QMessageBox::Cancel);
    QVERIFY(!w.close());
    QCOMPARE(answer.text(), QString("Are you sure you want to quit Korvel?\n"));
    answer.pressButton(QMessageBox::Yes);
    QVERIFY(w.close());
}

void TestProjectCommands::newRefusesABadName()
{
    ProjectFixture fixture;
    MainWindow w;
    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) { ProjectFixture::chooseFile(dialog, fixture.path("bad-name")); });
    answer.accept();
    action(w, "actionNew")->trigger();
    QCOMPARE(answer.text(), QString("File name cannot be blank or contain special characters. Creating Project Aborted."));
    QVERIFY(!QFile::exists(fixture.path("bad-name.vorn")));
    QVERIFY(w.getCanvases().isEmpty());
}

void TestProjectCommands::saveAsContinuesOnTheCopy()
{
    ProjectFixture fixture;
    const QString original = fixture.copyExample("Example_1.vorn");
    const QByteArray before = fixture.bytes(original);
    MainWindow w;
    w.openFile(original);
    addState(w);
    const int states = w.getCurrentCanvas()->stateItems.size();

    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) { ProjectFixture::chooseFile(dialog, fixture.path("copy")); });
    action(w, "actionSave_As")->trigger();

    const QString copy = fixture.path("copy.vorn");
    QCOMPARE(fixture.bytes(original), before);
    QCOMPARE(w.projectIO().getFilePath(), copy);
    QVERIFY(!w.isProjectModified());
    QVERIFY(!action(w, "actionSave")->isEnabled());
    addState(w); // the reopened copy holds the state added before
    QCOMPARE(w.getCurrentCanvas()->stateItems.size(), states + 1);
}

void TestProjectCommands::badFilesKeepTheOpenProject()
{
    ProjectFixture fixture;
    const QString good = fixture.copyExample("Example_1.vorn");
    const QString cut = fixture.path("broken.vorn");
    QFile file(cut);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(fixture.bytes(good).left(900));
    file.close();

    MainWindow w;
    w.openFile(good);
    ModalAnswerer answer;
    answer.accept();
    w.openFile(cut);
    QCOMPARE(answer.text(), QString("Design file is corrupt and cannot be opened. \nOpening Project Aborted."));
    answer.accept();
    QVERIFY(!w.openProjectFile("/no/such/file.vorn"));
    QCOMPARE(answer.text(), QString("There was an error opening the file /no/such/file.vorn. Try opening the file "
                                    "with Open Project."));
    QCOMPARE(w.getCanvases().size(), 7);
    QCOMPARE(w.projectIO().getFilePath(), good);

    // A pipe would freeze the window and a huge file fill the memory: each is
    // named before anything is asked, from every way in: Open, the hand-over
    // of a second start, and a recent project replaced by a pipe since.
    const QString replaced = fixture.copyExample("Example_2.vorn");
    w.openFile(replaced);
    w.openFile(good);
    const QString pipe = fixture.path("pipe.vorn");
    const QString huge = fixture.path("huge.vorn");
    QVERIFY(QFile::remove(replaced));
    for (const QString& path : {pipe, replaced})
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    QFile sparse(huge);
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize((qint64(2) << 30) + 1));
    sparse.close();
    w.markModified();
    for (int i = 0; i < 4; ++i)
        answer.accept();
    w.openFile(pipe);
    w.openRequestedFile(pipe);
    QCOMPARE(recentMenu(w).at(1)->data().toString(), replaced);
    recentMenu(w).at(1)->trigger();
    w.openFile(huge);
    const QString refused = QStringLiteral("The project file %1 cannot be opened: it is %2.");
    QCOMPARE(answer.texts().mid(2), QStringList({refused.arg(pipe, "not a regular file"),
                                                 refused.arg(pipe, "not a regular file"),
                                                 refused.arg(replaced, "not a regular file"),
                                                 refused.arg(huge, "larger than 2 GiB")}));
    QCOMPARE(w.projectIO().getFilePath(), good);
    QVERIFY(w.isProjectModified());
}

void TestProjectCommands::openNamesWhatCannotBePlaced()
{
    ProjectFixture fixture;
    const QString file = fixture.path("orphan.vorn");
    QVERIFY(QFile::copy(QStringLiteral(KORVEL_SOURCE_DIR "/tests/fuzz/regressions/loss-orphan-subtree.vorn"), file));
    MainWindow w;
    ModalAnswerer answer;
    answer.accept();
    w.openFile(file);
    QCOMPARE(answer.text(),
             QString("3 items of this project could not be placed and will be missing if you save:\n\n"
                     "- process \"Software Module\" (level 4, id 1): no diagram (level 3, id 1, parent -1) to "
                     "place it on\n"
                     "- 1 item(s) on the diagram \"Software Module\" (level 4), which no process of the "
                     "project owns\n"
                     "- 3 item(s) on the diagram \"StateMachine_1\" (level 5), which no process of the "
                     "project owns"));
    // What could be placed is open; nothing was changed by opening.
    QCOMPARE(w.projectIO().getFilePath(), file);
    QVERIFY(!w.getCanvases().isEmpty());
    QVERIFY(!w.isProjectModified());
}

void TestProjectCommands::rename_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("refusal");
    const QString special = QStringLiteral(
        "Korvel could not rename the project as the name contains special characters. "
        "Please remove special characters from the project name and try again.");
    QTest::newRow("accepted") << "Door Control 2" << QString();
    QTest::newRow("hyphen") << "Door-Control" << special;
    QTest::newRow("umlaut") << QString::fromUtf8("T\xc3\xbcr") << special;
    QTest::newRow("empty") << "" << "The project name cannot be blank.";
    QTest::newRow("blanks") << "   " << "The project name cannot be blank.";
    QTest::newRow("trailing blank") << "Door " << "The project name cannot begin or end with a blank.";
}

void TestProjectCommands::rename()
{
    QFETCH(QString, name);
    QFETCH(QString, refusal);
    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    const QByteArray before = fixture.bytes(file);
    MainWindow w;
    w.openFile(file);
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("lineEdit");
        QCOMPARE(edit->text(), QString("Pedestrian_Crossing"));
        edit->setText(name);
    });
    if (!refusal.isEmpty())
        answer.accept();
    action(w, "actionRename_Project")->trigger();
    QCOMPARE(answer.pendingCount(), 0);
    QCOMPARE(answer.text(), refusal);
    if (!refusal.isEmpty()) {
        QCOMPARE(firstLabel(w), QString("Pedestrian_Crossing"));
        QCOMPARE(fixture.bytes(file), before);
        return;
    }
    // Renaming saves at once: browser, canvas and file all carry the name.
    QCOMPARE(firstLabel(w), name);
    QCOMPARE(w.findChild<QTreeView*>("treeView")->model()->index(0, 0).data().toString(), name);
    QVERIFY(fixture.bytes(file).contains("\r\n" + name.toUtf8() + "\r\n"));
    QVERIFY(fixture.bytes(file).contains("label=\"" + name.toUtf8() + "\""));
    QVERIFY(!w.isProjectModified());
}

void TestProjectCommands::tourOnAModifiedProjectAsksThenOffersToSave_data()
{
    QTest::addColumn<bool>("goOn");
    QTest::newRow("Yes, then Discard") << true;
    QTest::newRow("No") << false;
}

// ... and once it ends, the project the user had open is open again.
void TestProjectCommands::tourOnAModifiedProjectAsksThenOffersToSave()
{
    QFETCH(bool, goOn);
    // The examples folder is looked up relative to the working folder.
    ProjectFixture fixture;
    fixture.enter();
    const QString example = fixture.path("Examples/Example_1.vorn");
    QVERIFY(QDir().mkpath(fixture.path("Examples")) && QFile::copy(fixture.copyExample("Example_1.vorn"), example));
    const std::unique_ptr<MainWindow> window(new MainWindow);
    MainWindow* w = window.get();
    w->resize(1600, 1000);
    w->show();
    const QString mine = fixture.path(QStringLiteral("Mine.vorn"));
    QCOMPARE(CreateProject::getInstance(w)->processNewProject(mine), 1);
    w->openFile(mine);
    w->markModified(); // as after an edit

    QString informative;
    ModalAnswerer answer;
    answer.pressButton(goOn ? QMessageBox::Yes : QMessageBox::No, [&](QWidget* box) {
        informative = static_cast<QMessageBox*>(box)->informativeText();
    });
    if (goOn)
        answer.pressButton(QMessageBox::Discard);
    answer.reject();
    w->findChild<QAction*>(QStringLiteral("actionAppTour"))->trigger();

    QCOMPARE(informative, QString("Do you wish to continue?"));
    auto* box = w->findChild<TourBox*>();
    QVERIFY(box);
    if (goOn) {
        QCOMPARE(answer.texts(), QStringList({askText, "There are unsaved changes in project."}));
        QCOMPARE(w->projectIO().getFilePath(), example);
        QCOMPARE(w->actionsState(), STATE_TOUR);
        QVERIFY(box->isVisible());
        QCOMPARE(shownTitle(box), QString("Project Browser"));
        // Quitting the tour brings back the project it replaced.
        w->tourQuitLinkClicked();
        QVERIFY(!box->isVisible());
        QCOMPARE(w->projectIO().getFilePath(), mine);
        QCOMPARE(w->actionsState(), STATE_LEVEL1);
    } else {
        QCOMPARE(answer.texts(), QStringList({askText}));
        QCOMPARE(w->projectIO().getFilePath(), mine);
        QCOMPARE(w->actionsState(), STATE_LEVEL1);
        QVERIFY(w->actionAt(POS_SAVE)->isEnabled());
        QVERIFY(!box->isVisible());
    }
}

void TestProjectCommands::recentListKeepsOrderWithoutDuplicatesUpToEight()
{
    QSettings().remove("recentProjects");
    QSettings settings;
    RecentProjects recent(&settings);
    for (int i = 1; i <= 10; ++i)
        recent.add(QString("/p/%1.vorn").arg(i));
    recent.add("/p/x/../5.vorn");
    QCOMPARE(recent.paths(), QStringList({"/p/5.vorn", "/p/10.vorn", "/p/9.vorn", "/p/8.vorn", "/p/7.vorn",
                                          "/p/6.vorn", "/p/4.vorn", "/p/3.vorn"}));
    // A store edited by hand is read back tidy.
    settings.setValue("recentProjects", QStringList({"/a.vorn", "/a.vorn", "", "/b/./c.vorn"}));
    QCOMPARE(recent.paths(), QStringList({"/a.vorn", "/b/c.vorn"}));
}

void TestProjectCommands::recentProjectsFillMenuAndHomeScreen()
{
    QSettings().remove("recentProjects");
    ProjectFixture fixture;
    const QString one = fixture.copyExample("Example_1.vorn");
    const QString two = fixture.copyExample("Example_2.vorn");
    MainWindow w;
    QCOMPARE(recentMenu(w).size(), 2); // separator, Clear
    QVERIFY(!action(w, "actionClear_Recent_Projects")->isEnabled());

    w.openFile(one);
    w.openFile(two);
    w.openFile(one);
    QCOMPARE(recentMenu(w).at(0)->text(), "&1 " + one);
    QCOMPARE(recentMenu(w).at(1)->text(), "&2 " + two);
    QCOMPARE(recentMenu(w).last()->text(), QString("Clear Recent Projects"));
    w.openFile(two);
    QVERIFY(w.saveDataToFile());
    QCOMPARE(w.recentProjectPaths(), QStringList({two, one}));
    QCOMPARE(HomeScreen::getInstance()->recentProjects(), QStringList({two, one}));

    // A file gone since is dropped when chosen, with a note; nothing else changes.
    QVERIFY(QFile::remove(one));
    recentMenu(w).at(1)->trigger();
    QCOMPARE(w.recentProjectPaths(), QStringList({two}));
    QCOMPARE(w.statusBar()->currentMessage(), one + " no longer exists; it was removed from the recent projects.");
    QCOMPARE(w.projectIO().getFilePath(), two);

    action(w, "actionClear_Recent_Projects")->trigger();
    QCOMPARE(recentMenu(w).size(), 2);
    QVERIFY(HomeScreen::getInstance()->recentProjects().isEmpty());
    QVERIFY(!QSettings().contains("recentProjects"));
}

void TestProjectCommands::recentEntriesOpenAfterAskingAboutChanges()
{
    ProjectFixture fixture;
    const QString first = fixture.copyExample("Example_1.vorn");
    const QString second = fixture.copyExample("Example_2.vorn");
    MainWindow w;
    w.openFile(second);
    w.openFile(first);
    w.markModified();

    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Discard);
    recentMenu(w).at(1)->trigger();
    QCOMPARE(answer.text(), QString("There are unsaved changes in project."));
    QCOMPARE(w.projectIO().getFilePath(), second);

    // On the home screen, a click on an entry opens it.
    action(w, "actionClose_Project")->trigger();
    QCOMPARE(w.actionsState(), STATE_BLANK);
    w.resize(900, 700);
    w.show();
    QGraphicsView* view = w.graphicsView();
    view->viewport()->grab();
    const QRectF entry = HomeScreen::getInstance()->recentEntryRect(1);
    QVERIFY(!entry.isEmpty());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(entry.center()));
    QTRY_COMPARE(w.projectIO().getFilePath(), first);
}

void TestProjectCommands::exportWritesThePictureWithoutChangingTheProject()
{
    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    MainWindow w;
    QVERIFY(!action(w, "actionExport_Canvas_as_Image")->isEnabled());
    w.openFile(file);
    Canvas* shown = ProjectFixture::showCanvas(w, "Light_Sequencer");
    shown->stateItems.first()->setSelected(true);

    const QString picture = fixture.path("shot.svg");
    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) { ProjectFixture::chooseFile(dialog, picture); });
    action(w, "actionExport_Canvas_as_Image")->trigger();
    QCOMPARE(w.statusBar()->currentMessage(), "Canvas exported to " + picture);
    // What korvel-cli render writes for the canvas, with the selection kept.
    QVERIFY(CanvasRenderer(shown).write(fixture.path("reference.svg"), PictureFile::Svg));
    QCOMPARE(fixture.bytes(picture), fixture.bytes(fixture.path("reference.svg")));
    QVERIFY(shown->stateItems.first()->isSelected());
    QVERIFY(!w.isProjectModified());
    QVERIFY(!action(w, "actionSave")->isEnabled());

    // Bad names and folders are refused in plain words.
    answer.accept().accept();
    QVERIFY(!w.exportCanvasImage(fixture.path("shot.jpg")));
    QVERIFY(!w.exportCanvasImage(fixture.path("missing/shot.png")));
    QCOMPARE(answer.texts().value(0), "Canvas pictures are saved as SVG or PNG: choose a file name ending in .svg or "
                                      ".png instead of " + fixture.path("shot.jpg") + ".");
    QVERIFY(answer.texts().value(1).startsWith("The picture of the canvas could not be written to "
                                               + fixture.path("missing/shot.png")));
}

QTEST_MAIN(TestProjectCommands)
#include "tst_projectcommands.moc"
