// Recent projects in the File menu and on the home screen, and File > Export
// Canvas as Image, on a real main window.

#include <QtTest>

#include <QGraphicsView>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include "canvas.h"
#include "canvasrenderer.h"
#include "homescreen.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "recentprojects.h"
#include "stateitem.h"
#include "testenvironment.h"

namespace {

QAction* action(MainWindow& w, const char* name)
{
    return w.findChild<QAction*>(QString::fromLatin1(name));
}

QList<QAction*> recentMenu(MainWindow& w)
{
    return w.findChild<QMenu*>("menuRecent_Projects")->actions();
}

} // namespace

class TestRecentProjects : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { QSettings().remove("recentProjects"); }
    void listKeepsOrderWithoutDuplicatesUpToEight();
    void openAndSaveFillMenuAndHomeScreen();
    void entriesOpenAfterAskingAboutChanges();
    void exportWritesThePictureWithoutChangingTheProject();
};

void TestRecentProjects::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestRecentProjects::listKeepsOrderWithoutDuplicatesUpToEight()
{
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

void TestRecentProjects::openAndSaveFillMenuAndHomeScreen()
{
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

void TestRecentProjects::entriesOpenAfterAskingAboutChanges()
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

void TestRecentProjects::exportWritesThePictureWithoutChangingTheProject()
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
    QVERIFY(CanvasRenderer(shown).write(fixture.path("reference.svg"), CanvasRenderer::Svg));
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

QTEST_MAIN(TestRecentProjects)
#include "tst_recentprojects.moc"
