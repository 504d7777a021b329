// Recent projects in the File menu and on the home screen, and File > Export
// Canvas as Image, on a real main window.

#include <QtTest>

#include <QAction>
#include <QGraphicsView>
#include <QImage>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>
#include <QTreeView>

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

// The entries of File > Recent Projects as shown, the separator and Clear included.
QStringList recentMenu(MainWindow& w)
{
    QStringList texts;
    for (QAction* entry : w.findChild<QMenu*>(QStringLiteral("menuRecent_Projects"))->actions())
        texts << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    return texts;
}

} // namespace

class TestRecentProjects : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void listKeepsOrderWithoutDuplicatesUpToEight();
    void openAndSaveFillMenuAndHomeScreen();
    void vanishedFileIsDroppedWithANote();
    void entriesOpenAfterAskingAboutChanges();
    void exportWritesThePictureWithoutChangingTheProject();
};

void TestRecentProjects::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestRecentProjects::init()
{
    QSettings().remove(QStringLiteral("recentProjects"));
}

void TestRecentProjects::listKeepsOrderWithoutDuplicatesUpToEight()
{
    QSettings settings;
    RecentProjects recent(&settings);
    for (int i = 1; i <= 10; ++i)
        recent.add(QStringLiteral("/p/%1.vorn").arg(i));
    recent.add(QStringLiteral("/p/x/../5.vorn"));
    QCOMPARE(recent.paths(), QStringList({"/p/5.vorn", "/p/10.vorn", "/p/9.vorn", "/p/8.vorn", "/p/7.vorn",
                                          "/p/6.vorn", "/p/4.vorn", "/p/3.vorn"}));
    recent.remove(QStringLiteral("/p/9.vorn"));
    QCOMPARE(recent.paths().size(), 7);
    QVERIFY(!recent.paths().contains(QStringLiteral("/p/9.vorn")));

    // A store edited by hand is read back tidy.
    settings.setValue(QStringLiteral("recentProjects"),
                      QStringList({"/a.vorn", "/a.vorn", "", "/b/./c.vorn"}));
    QCOMPARE(recent.paths(), QStringList({"/a.vorn", "/b/c.vorn"}));
    recent.clear();
    QVERIFY(recent.paths().isEmpty());
    QVERIFY(!settings.contains(QStringLiteral("recentProjects")));
}

void TestRecentProjects::openAndSaveFillMenuAndHomeScreen()
{
    ProjectFixture fixture;
    const QString one = fixture.copyExample(QStringLiteral("Example_1.vorn"));
    const QString two = fixture.copyExample(QStringLiteral("Example_2.vorn"));
    MainWindow w;
    QCOMPARE(recentMenu(w), QStringList({"-", "Clear Recent Projects"}));
    QVERIFY(!action(w, "actionClear_Recent_Projects")->isEnabled());

    w.openFile(one);
    w.openFile(two);
    w.openFile(one);
    QCOMPARE(recentMenu(w), QStringList({"&1 " + one, "&2 " + two, "-", "Clear Recent Projects"}));
    w.openFile(two);
    QVERIFY(w.saveDataToFile());
    QCOMPARE(w.recentProjectPaths(), QStringList({two, one}));
    QCOMPARE(HomeScreen::getInstance()->recentProjects(), QStringList({two, one}));

    // The menu entry opens its project.
    w.findChild<QMenu*>(QStringLiteral("menuRecent_Projects"))->actions().at(1)->trigger();
    QCOMPARE(w.projectIO().getFilePath(), one);

    action(w, "actionClear_Recent_Projects")->trigger();
    QCOMPARE(recentMenu(w), QStringList({"-", "Clear Recent Projects"}));
    QVERIFY(HomeScreen::getInstance()->recentProjects().isEmpty());
    QVERIFY(!QSettings().contains(QStringLiteral("recentProjects")));
}

void TestRecentProjects::vanishedFileIsDroppedWithANote()
{
    ProjectFixture fixture;
    const QString kept = fixture.copyExample(QStringLiteral("Example_1.vorn"));
    const QString gone = fixture.copyExample(QStringLiteral("Example_2.vorn"));
    MainWindow w;
    w.openFile(gone);
    w.openFile(kept);
    QVERIFY(QFile::remove(gone));

    w.findChild<QMenu*>(QStringLiteral("menuRecent_Projects"))->actions().at(1)->trigger();
    QCOMPARE(w.recentProjectPaths(), QStringList({kept}));
    QCOMPARE(w.statusBar()->currentMessage(),
             gone + QStringLiteral(" no longer exists; it was removed from the recent projects."));
    QCOMPARE(w.projectIO().getFilePath(), kept);
}

void TestRecentProjects::entriesOpenAfterAskingAboutChanges()
{
    ProjectFixture fixture;
    const QString first = fixture.copyExample(QStringLiteral("Example_1.vorn"));
    const QString second = fixture.copyExample(QStringLiteral("Example_2.vorn"));
    MainWindow w;
    w.openFile(second);
    w.openFile(first);
    w.markModified();

    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Discard);
    w.findChild<QMenu*>(QStringLiteral("menuRecent_Projects"))->actions().at(1)->trigger();
    QCOMPARE(answer.answeredCount(), 1);
    QCOMPARE(answer.text(), QStringLiteral("There are unsaved changes in project."));
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
    QCOMPARE(w.recentProjectPaths(), QStringList({first, second}));
}

void TestRecentProjects::exportWritesThePictureWithoutChangingTheProject()
{
    ProjectFixture fixture;
    const QString file = fixture.copyExample(QStringLiteral("Example_1.vorn"));
    MainWindow w;
    QVERIFY(!action(w, "actionExport_Canvas_as_Image")->isEnabled());
    w.openFile(file);
    auto* tree = w.findChild<QTreeView*>(QStringLiteral("treeView"));
    w.on_treeView_doubleClicked(ProjectFixture::nodeNamed(tree->model(), QStringLiteral("Light_Sequencer")));
    Canvas* shown = w.getCurrentCanvas();
    QCOMPARE(shown->getLabel(), QStringLiteral("Light_Sequencer"));
    shown->stateItems.first()->setSelected(true);

    const QString picture = fixture.path(QStringLiteral("shot.svg"));
    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) { ProjectFixture::chooseFile(dialog, picture); });
    QVERIFY(action(w, "actionExport_Canvas_as_Image")->isEnabled());
    action(w, "actionExport_Canvas_as_Image")->trigger();
    QCOMPARE(answer.answeredCount(), 1);
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Canvas exported to ") + picture);
    const QString reference = fixture.path(QStringLiteral("reference.svg"));
    QVERIFY(CanvasRenderer(shown).write(reference, CanvasRenderer::Svg));
    QCOMPARE(fixture.bytes(picture), fixture.bytes(reference));
    QVERIFY(shown->stateItems.first()->isSelected());
    QVERIFY(!w.isProjectModified());
    QVERIFY(!action(w, "actionSave")->isEnabled());

    // Bad names and folders are refused in plain words; nothing is written.
    answer.accept().accept();
    QVERIFY(!w.exportCanvasImage(fixture.path(QStringLiteral("shot.jpg"))));
    QVERIFY(!w.exportCanvasImage(fixture.path(QStringLiteral("missing/shot.png"))));
    QCOMPARE(answer.texts().value(0),
             QStringLiteral("Canvas pictures are saved as SVG or PNG: choose a file name ending in .svg or .png "
                            "instead of ")
                 + fixture.path(QStringLiteral("shot.jpg")) + QLatin1Char('.'));
    QVERIFY(answer.texts().value(1).startsWith(QStringLiteral("The picture of the canvas could not be written to ")
                                               + fixture.path(QStringLiteral("missing/shot.png"))));
    QVERIFY(!QFile::exists(fixture.path(QStringLiteral("shot.jpg"))));
}

QTEST_MAIN(TestRecentProjects)
#include "tst_recentprojects.moc"
