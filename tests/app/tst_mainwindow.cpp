// The main window's form, its action states, settings and small commands.

#include <QtTest>

#include <QAction>
#include <QDirIterator>
#include <QDockWidget>
#include <QGraphicsRectItem>
#include <QGraphicsView>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QShortcut>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>

#include "canvas.h"
#include "graphicsviewzoom.h"
#include "homescreen.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "stateitem.h"
#include "testenvironment.h"

namespace {

QStringList actionNames(const QList<QAction*>& actions)
{
    QStringList names;
    for (QAction* action : actions)
        names << (action->isSeparator() ? QStringLiteral("<separator>") : action->objectName());
    return names;
}

void writeSettings(const QVariantMap& values)
{
    QSettings store(QStringLiteral("Pelmora"), QStringLiteral("Korvel"));
    store.clear();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        store.setValue(it.key(), it.value());
    store.sync();
}

t_strReadProcessItem node(int level, int id, int parentId, int grandParentId, const QString& label)
{
    t_strReadProcessItem item;
    item.level = level;
    item.id = id;
    item.parentId = parentId;
    item.grandParentId = grandParentId;
    item.Nos = id;
    item.label = label;
    return item;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void formHasMenusInOrder();
    void toolBarHoldsActionsInOrder();
    void actionsCarryTextsTipsShortcutsAndIcons_data();
    void actionsCarryTextsTipsShortcutsAndIcons();
    void contextMenusHoldTheirEntries();
    void imagesAreConvertedOnTheCallingThread();
    void startsBlankWithHomeScreen();

    void actionStatesSwitchActions_data();
    void actionStatesSwitchActions();
    void saveKeepsItsStateBetweenLevels();
    void exitBrowserAndHelpAreNeverSwitched();

    void settingsDefaultsWhenKeysMissing_data();
    void settingsDefaultsWhenKeysMissing();
    void settingsWrittenAtCloseAreReadBack();

    void escapeWithoutCanvasDoesNothing();
    void escapeReturnsToSelectTool();
    void toolActionsSetModeAndCursor_data();
    void toolActionsSetModeAndCursor();
    void zoomInTwiceOutTwice();
    void sendToBackIgnoresLineItems();
    void bringToFrontTakesNextZValue();
    void canvasSizeAppliesToShownCanvasOnly();
    void canvasSizeCancelChangesNothing();
    void showProjectBrowserToggles();
    void aboutBoxNamesVersionAndBuild();
    void closeWithoutChangesAsksToQuit();
    void eulaShowsTheLicence();
    void screenChangeResizesTextDependentItems();
    void closeWithChangesCancelKeepsWindow();

private:
    MainWindow* openWithCanvases(int count);
    std::unique_ptr<MainWindow> window;
};

void TestMainWindow::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestMainWindow::init()
{
    window.reset();
    writeSettings({});
}

MainWindow* TestMainWindow::openWithCanvases(int count)
{
    window.reset(new MainWindow);
    for (int i = 1; i <= count; ++i) {
        t_strReadProcessItem n = node(i, 1, 1, 1, QStringLiteral("node%1").arg(i));
        window->createCanvasElement(&n);
    }
    if (count > 0) {
        window->setActiveScene(0);
        window->activateActionsFromKorvelState(STATE_LEVEL1);
    }
    return window.get();
}

void TestMainWindow::formHasMenusInOrder()
{
    MainWindow w;
    auto* bar = w.findChild<QMenuBar*>(QStringLiteral("menuBar"));
    QVERIFY(bar);
    QStringList titles;
    for (QAction* action : bar->actions())
        titles << action->text();
    QCOMPARE(titles, QStringList({"File", "Edit", "Draw", "View", "Run", "Help"}));

    const QMap<QString, QStringList> expected {
        {"menuFile", {"actionNew", "actionOpen", "", "actionSave", "actionSave_As", "actionExport_Canvas_as_Image",
                      "actionOpen_Examples", "actionClose_Project", "actionRename_Project", "actionExit"}},
        {"menuEdit", {"actionBringToFront", "actionSendToBack", "actionDelete"}},
        {"menuDraw", {"actionState", "actiontransition", "actionProcessRect", "actionText",
                      "actionMemory", "actionLink", "actionDataflow", "actionSelf_transition"}},
        {"menuView", {"actionSet_Canvas_Size", "actionShow_Project_Browser"}},
        {"menuRun", {"actionCode_Generator", "actionSimulate", "actionEnable_Autosave"}},
        {"menuHelp", {"actionAbout", "actionAppTour", "actionGetting_started", "actionCheck_for_update",
                      "actionReport_a_bug", "actionReuqest_feature", "actionEula", "actionAbout_Qt"}},
    };
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        auto* menu = w.findChild<QMenu*>(it.key());
        QVERIFY2(menu, qPrintable(it.key()));
        QCOMPARE(actionNames(menu->actions()), it.value());
    }
    QCOMPARE(w.windowTitle(), QString("Korvel"));
    QVERIFY(!w.windowIcon().isNull());
    QCOMPARE(w.centralWidget(), static_cast<QWidget*>(w.graphicsView()));
}

void TestMainWindow::toolBarHoldsActionsInOrder()
{
    MainWindow w;
    auto* toolBar = w.findChild<QToolBar*>(QStringLiteral("mainToolBar"));
    QVERIFY(toolBar);
    QCOMPARE(w.toolBarArea(toolBar), Qt::TopToolBarArea);
    QCOMPARE(actionNames(toolBar->actions()),
             QStringList({"actionNew", "actionOpen", "actionSave", "actionSelect", "actionUndo",
                          "actionRedo", "actionProcessRect", "actionLink", "actionState", "actionText",
                          "actiontransition", "actionMemory", "actionDataflow", "actionBringToFront",
                          "actionSendToBack", "actionDelete", "actionzoom_in", "actionzoom_out",
                          "actionFit_to_window"}));
}

void TestMainWindow::actionsCarryTextsTipsShortcutsAndIcons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("hasIcon");

    QTest::newRow("new") << "actionNew" << "New" << "Create a New Project" << "Ctrl+N" << true;
    QTest::newRow("open") << "actionOpen" << "Open" << "Open an existing Project" << "Ctrl+O" << true;
    QTest::newRow("save") << "actionSave" << "Save" << "Save" << "Ctrl+S" << true;
    QTest::newRow("save as") << "actionSave_As" << "Save As" << "Save As" << "" << false;
    QTest::newRow("bring") << "actionBringToFront" << "Bring to front" << "Bring Item to front" << "" << true;
    QTest::newRow("send") << "actionSendToBack" << "Send to back" << "Send Item to back" << "" << true;
    QTest::newRow("delete") << "actionDelete" << "Delete" << "Delete" << "Del" << true;
    QTest::newRow("state") << "actionState" << "State" << "Insert State" << "" << true;
    QTest::newRow("transition") << "actiontransition" << "Transition" << "Insert Transition" << "" << true;
    QTest::newRow("process") << "actionProcessRect" << "Process" << "Insert Process" << "" << true;
    QTest::newRow("text") << "actionText" << "Text" << "Insert Text" << "" << true;
    QTest::newRow("memory") << "actionMemory" << "Memory" << "Insert Memory" << "" << true;
    QTest::newRow("link") << "actionLink" << "Link" << "Insert Connection" << "" << true;
    QTest::newRow("dataflow") << "actionDataflow" << "Dataflow" << "Insert Dataflow" << "" << true;
    QTest::newRow("self") << "actionSelf_transition" << "Self transition" << "Insert self transition" << "" << true;
    QTest::newRow("select") << "actionSelect" << "Select" << "Select" << "" << true;
    QTest::newRow("undo") << "actionUndo" << "Undo" << "Undo" << "Ctrl+Z" << true;
    QTest::newRow("redo") << "actionRedo" << "Redo" << "Redo" << "Ctrl+Y" << true;
    QTest::newRow("zoom in") << "actionzoom_in" << "Zoom in" << "Zoom in" << "Ctrl+=" << true;
    QTest::newRow("zoom out") << "actionzoom_out" << "Zoom out" << "Zoom out" << "Ctrl+-" << true;
    QTest::newRow("fit") << "actionFit_to_window" << "Fit to window" << "Fit to window" << "" << true;
    QTest::newRow("codegen") << "actionCode_Generator" << "Code Generator" << "Code Generator" << "Ctrl+G" << false;
    QTest::newRow("tour") << "actionAppTour" << "Take a tour" << "Take a tour of Korvel" << "" << false;
    QTest::newRow("feature") << "actionReuqest_feature" << "Request a feature" << "Request a feature" << "" << false;
    QTest::newRow("eula") << "actionEula" << "EULA" << "EULA" << "" << false;
}

void TestMainWindow::actionsCarryTextsTipsShortcutsAndIcons()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QFETCH(QString, shortcut);
    QFETCH(bool, hasIcon);

    MainWindow w;
    auto* action = w.findChild<QAction*>(name);
    QVERIFY(action);
    QCOMPARE(action->text(), text);
    QCOMPARE(action->toolTip(), toolTip);
    QCOMPARE(action->shortcut(), QKeySequence(shortcut));
    QCOMPARE(!action->icon().isNull(), hasIcon);
    if (hasIcon)
        QVERIFY(!action->icon().pixmap(24, 24).isNull());
}

void TestMainWindow::contextMenusHoldTheirEntries()
{
    MainWindow w;
    // The item menus are handed to canvases; reach them through a canvas.
    t_strReadProcessItem n = node(5, 1, 1, 1, "machine");
    w.createCanvasElement(&n);
    t_strContextMenu* set = w.getCanvases().first()->contextMenus();
    const QList<QMenu*> itemMenus {set->stateMenu, set->transitionMenu, set->textMenu, set->processMenu,
                                  set->linkMenu, set->memoryMenu, set->dataflowMenu};
    for (QMenu* menu : itemMenus) {
        QVERIFY(menu);
        const QList<QAction*> actions = menu->actions();
        QStringList expected {"actionBringToFront", "actionSendToBack", "actionDelete"};
        if (menu == set->stateMenu)
            expected << "actionSelf_transition";
        QCOMPARE(actions.size(), expected.size() + 1);
        QCOMPARE(actionNames(actions.mid(0, expected.size())), expected);
        QCOMPARE(actions.last()->text(), QString("Properties"));
        QVERIFY(!actions.last()->icon().isNull());
    }
    // Seven distinct properties actions.
    QSet<QAction*> properties;
    for (QMenu* menu : itemMenus)
        properties.insert(menu->actions().last());
    QCOMPARE(properties.size(), 7);
}

void TestMainWindow::imagesAreConvertedOnTheCallingThread()
{
    // Qt 5.15 converts an image of 128 KiB or more on pool threads, and a race
    // in its QSemaphore then writes into the caller's finished stack frame
    // (tests/repro/qimageconversionrace.cpp); windows load these images.
    int frames = 0;
    QDirIterator it(QStringLiteral(":/Images"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        QImageReader reader(file);
        do {
            const QImage frame = reader.read();
            QVERIFY2(!frame.isNull(), qPrintable(file));
            QVERIFY2(frame.sizeInBytes() < 128 * 1024,
                     qPrintable(QStringLiteral("%1: %2 x %3").arg(file).arg(frame.width()).arg(frame.height())));
            ++frames;
        } while (reader.jumpToNextImage());
    }
    QVERIFY2(frames > 0, "no images in the resources");
}

void TestMainWindow::startsBlankWithHomeScreen()
{
    MainWindow w;
    QCOMPARE(w.actionsState(), STATE_BLANK);
    QCOMPARE(w.graphicsView()->scene(), static_cast<QGraphicsScene*>(HomeScreen::getInstance()));
    QCOMPARE(w.permanentStatusLabel()->text(), QString("Ready"));
    QCOMPARE(w.statusBar()->currentMessage(), QString("Korvel is in blank state."));
    QVERIFY(!w.zoomController()->isEnabled());
    QCOMPARE(w.graphicsView()->transform().m11(), 1.0);
    QVERIFY(HomeScreen::getInstance()->items().isEmpty());
    QVERIFY(HomeScreen::getInstance()->getWelcomeText().startsWith("Welcome to Korvel\n______________________\n\n"));
    auto* dock = w.findChild<QDockWidget*>();
    QVERIFY(dock);
    QCOMPARE(dock->windowTitle(), QString("Project Browser"));
    QCOMPARE(dock->maximumWidth(), 1000);
    QCOMPARE(w.dockWidgetArea(dock), Qt::LeftDockWidgetArea);
}

void TestMainWindow::actionStatesSwitchActions_data()
{
    QTest::addColumn<int>("pos");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("switches"); // blank, level 1..5, tour: E, D or - (unchanged)

    QTest::newRow("select") << int(POS_SELECT) << "actionSelect" << "DEEEEEE";
    QTest::newRow("save") << int(POS_SAVE) << "actionSave" << "D------";
    QTest::newRow("new") << int(POS_NEW) << "actionNew" << "EEEEEED";
    QTest::newRow("open") << int(POS_OPEN) << "actionOpen" << "EEEEEED";
    QTest::newRow("bring") << int(POS_BRING_TO_FRONT) << "actionBringToFront" << "DEEEEEE";
    QTest::newRow("send") << int(POS_SEND_TO_BACK) << "actionSendToBack" << "DEEEEEE";
    QTest::newRow("delete") << int(POS_DELETE) << "actionDelete" << "DEEEEED";
    QTest::newRow("transition") << int(POS_TRANSITION) << "actiontransition" << "DDDDDED";
    QTest::newRow("state") << int(POS_STATE) << "actionState" << "DDDDDED";
    QTest::newRow("text") << int(POS_TEXT) << "actionText" << "DDDDDED";
    QTest::newRow("process") << int(POS_PROCESS_RECT) << "actionProcessRect" << "DDDEEDD";
    QTest::newRow("canvas size") << int(POS_SET_CANVAS_SIZE) << "actionSet_Canvas_Size" << "DEEEEEE";
    QTest::newRow("link") << int(POS_LINK) << "actionLink" << "DDDEEDD";
    QTest::newRow("memory") << int(POS_MEMORY) << "actionMemory" << "DDEEEED";
    QTest::newRow("dataflow") << int(POS_DATAFLOW) << "actionDataflow" << "DEEEEDD";
    QTest::newRow("codegen") << int(POS_CODE_GENERATOR) << "actionCode_Generator" << "DEEEEEE";
    QTest::newRow("close") << int(POS_CLOSE_PROJECT) << "actionClose_Project" << "DEEEEEE";
    QTest::newRow("undo") << int(POS_UNDO) << "actionUndo" << "DDDDDEE";
    QTest::newRow("redo") << int(POS_REDO) << "actionRedo" << "DDDDDEE";
    QTest::newRow("autosave") << int(POS_ENABLE_AUTOSAVE) << "actionEnable_Autosave" << "DEEEEED";
    QTest::newRow("zoom in") << int(POS_ZOOM_IN) << "actionzoom_in" << "DEEEEED";
    QTest::newRow("zoom out") << int(POS_ZOOM_OUT) << "actionzoom_out" << "DEEEEED";
    QTest::newRow("fit") << int(POS_FIT_TO_WINDOW) << "actionFit_to_window" << "DEEEEEE";
    QTest::newRow("save as") << int(POS_SAVE_AS) << "actionSave_As" << "DEEEEEE";
    QTest::newRow("rename") << int(POS_RENAME_PROJECT) << "actionRename_Project" << "DEEEEED";
    QTest::newRow("examples") << int(POS_OPEN_EXAMPLES) << "actionOpen_Examples" << "EEEEEED";
    QTest::newRow("self transition") << int(POS_SELF_TRANSITION) << "actionSelf_transition" << "DDDDDED";
    QTest::newRow("wheel zoom") << -1 << "" << "DEEEEED";
}

void TestMainWindow::actionStatesSwitchActions()
{
    QFETCH(int, pos);
    QFETCH(QString, name);
    QFETCH(QString, switches);

    MainWindow w;
    if (pos >= 0) {
        QCOMPARE(w.actionAt(enActionsPos(pos))->objectName(), name);
    }
    const enKorvelActionsState states[] = {STATE_BLANK, STATE_LEVEL1, STATE_LEVEL2, STATE_LEVEL3,
                                           STATE_LEVEL4, STATE_LEVEL5, STATE_TOUR};
    for (bool startEnabled : {true, false}) {
        for (int column = 0; column < 7; ++column) {
            if (pos >= 0)
                w.actionAt(enActionsPos(pos))->setEnabled(startEnabled);
            w.activateActionsFromKorvelState(states[column]);
            const bool enabled = pos >= 0 ? w.actionAt(enActionsPos(pos))->isEnabled()
                                          : w.zoomController()->isEnabled();
            const QChar expected = switches.at(column);
            const bool want = expected == 'E' || (expected == '-' && startEnabled);
            QVERIFY2(enabled == want,
                     qPrintable(QStringLiteral("state %1, started %2").arg(column).arg(startEnabled)));
        }
    }
}

void TestMainWindow::saveKeepsItsStateBetweenLevels()
{
    MainWindow w;
    QAction* save = w.findChild<QAction*>("actionSave");
    QVERIFY(!save->isEnabled()); // created disabled
    w.activateActionsFromKorvelState(STATE_LEVEL1);
    QVERIFY(!save->isEnabled());
    w.slot_enableSaveAction();
    w.activateActionsFromKorvelState(STATE_LEVEL3);
    w.activateActionsFromKorvelState(STATE_LEVEL5);
    QVERIFY(save->isEnabled());
    w.setKorvelInBlankState();
    QVERIFY(!save->isEnabled());
}

void TestMainWindow::exitBrowserAndHelpAreNeverSwitched()
{
    MainWindow w;
    const QStringList names {"actionExit", "actionShow_Project_Browser", "actionAbout", "actionAppTour",
                             "actionGetting_started", "actionCheck_for_update", "actionReport_a_bug",
                             "actionReuqest_feature", "actionEula", "actionAbout_Qt"};
    for (const enKorvelActionsState state : {STATE_BLANK, STATE_LEVEL5, STATE_TOUR}) {
        w.activateActionsFromKorvelState(state);
        for (const QString& name : names)
            QVERIFY2(w.findChild<QAction*>(name)->isEnabled(), qPrintable(name));
    }
    QAction* browser = w.findChild<QAction*>("actionShow_Project_Browser");
    QVERIFY(browser->isCheckable());
    QVERIFY(browser->isChecked());
}

void TestMainWindow::settingsDefaultsWhenKeysMissing_data()
{
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<double>("scaleX");
    QTest::addColumn<double>("scaleY");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("author");
    QTest::addColumn<double>("version");

    QTest::newRow("nothing stored") << QVariantMap() << 1.0 << 1.0 << 2000 << 1050 << "" << 1.0;
    QTest::newRow("only scale_x") << QVariantMap {{"scale_x", 2.5}} << 1.0 << 1.0 << 2000 << 1050 << "" << 1.0;
    QTest::newRow("only scale_y") << QVariantMap {{"scale_y", 0.5}} << 1.0 << 1.0 << 2000 << 1050 << "" << 1.0;
    QTest::newRow("both scales") << QVariantMap {{"scale_x", 2.5}, {"scale_y", 0.5}}
                                 << 2.5 << 0.5 << 2000 << 1050 << "" << 1.0;
    QTest::newRow("only canvas_width") << QVariantMap {{"canvas_width", 3000}}
                                       << 1.0 << 1.0 << 2000 << 1050 << "" << 1.0;
    QTest::newRow("both sizes") << QVariantMap {{"canvas_width", 3000}, {"canvas_height", 900}}
                                << 1.0 << 1.0 << 3000 << 900 << "" << 1.0;
    QTest::newRow("author and version") << QVariantMap {{"author", "Ada"}, {"version", 2.25}}
                                        << 1.0 << 1.0 << 2000 << 1050 << "Ada" << 2.25;
    QTest::newRow("unconvertible width") << QVariantMap {{"canvas_width", "wide"}, {"canvas_height", 700}}
                                         << 1.0 << 1.0 << 0 << 700 << "" << 1.0;
}

void TestMainWindow::settingsDefaultsWhenKeysMissing()
{
    QFETCH(QVariantMap, stored);
    QFETCH(double, scaleX);
    QFETCH(double, scaleY);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, author);
    QFETCH(double, version);

    writeSettings(stored);
    MainWindow w;
    // The blank state shows the home screen at scale 1; the stored scale is
    // what readSettings applied before that, so read it back through a
    // window that skips nothing: the canvas size and the generator settings.
    QCOMPARE(w.getCanvasWidth(), width);
    QCOMPARE(w.getCanvasHeight(), height);
    QCOMPARE(w.codeGenerator().getAuthor(), author);
    QCOMPARE(w.codeGenerator().getVersionNo(), version);

    w.readSettings();
    QCOMPARE(w.graphicsView()->transform().m11(), scaleX);
    QCOMPARE(w.graphicsView()->transform().m22(), scaleY);
}

void TestMainWindow::settingsWrittenAtCloseAreReadBack()
{
    {
        MainWindow w;
        w.codeGenerator().setAuthor("Grace");
        w.codeGenerator().setOrganization("Firmware Team");
        w.codeGenerator().setVersionNumber(3.5);
        w.setSceneScale(1.5, 1.25);
        w.writeSettings();
    }
    QSettings store(QStringLiteral("Pelmora"), QStringLiteral("Korvel"));
    QCOMPARE(store.value("scale_x").toDouble(), 1.5);
    QCOMPARE(store.value("scale_y").toDouble(), 1.25);
    QCOMPARE(store.value("canvas_width").toInt(), 2000);
    QCOMPARE(store.value("canvas_height").toInt(), 1050);
    QCOMPARE(store.value("version").toDouble(), 3.5);
    QVERIFY(QFile::exists(TestEnvironment::settingsFile()));

    MainWindow again;
    QCOMPARE(again.codeGenerator().getAuthor(), QString("Grace"));
    QCOMPARE(again.codeGenerator().getOrganization(), QString("Firmware Team"));
    QCOMPARE(again.codeGenerator().getVersionNo(), 3.5);
    again.readSettings();
    QCOMPARE(again.graphicsView()->transform().m11(), 1.5);
    QCOMPARE(again.graphicsView()->transform().m22(), 1.25);
}

void TestMainWindow::escapeWithoutCanvasDoesNothing()
{
    MainWindow* w = openWithCanvases(0);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->setCursor(Qt::WaitCursor);
    QTest::keyClick(w, Qt::Key_Escape);
    QCOMPARE(w->cursor().shape(), Qt::WaitCursor);
}

void TestMainWindow::escapeReturnsToSelectTool()
{
    MainWindow* w = openWithCanvases(1);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->findChild<QAction*>("actionMemory")->setEnabled(true);
    w->findChild<QAction*>("actionMemory")->trigger();
    QCOMPARE(w->getCurrentCanvas()->getMode(), Canvas::InsertMemory);
    QCOMPARE(w->cursor().shape(), Qt::BitmapCursor);
    QTest::keyClick(w, Qt::Key_Escape);
    QCOMPARE(w->getCurrentCanvas()->getMode(), Canvas::SelectItem);
    QCOMPARE(w->cursor().shape(), Qt::ArrowCursor);
}

void TestMainWindow::toolActionsSetModeAndCursor_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("mode");
    QTest::newRow("state") << "actionState" << int(Canvas::InsertState);
    QTest::newRow("transition") << "actiontransition" << int(Canvas::InsertTransition);
    QTest::newRow("text") << "actionText" << int(Canvas::InsertText);
    QTest::newRow("process") << "actionProcessRect" << int(Canvas::InsertProcess);
    QTest::newRow("link") << "actionLink" << int(Canvas::InsertLink);
    QTest::newRow("memory") << "actionMemory" << int(Canvas::InsertMemory);
    QTest::newRow("dataflow") << "actionDataflow" << int(Canvas::InsertDataflow);
}

void TestMainWindow::toolActionsSetModeAndCursor()
{
    QFETCH(QString, action);
    QFETCH(int, mode);
    MainWindow* w = openWithCanvases(1);
    w->getCurrentCanvas()->setDrawProcessShape(0);
    QAction* tool = w->findChild<QAction*>(action);
    tool->setEnabled(true);
    tool->trigger();
    QCOMPARE(int(w->getCurrentCanvas()->getMode()), mode);
    QCOMPARE(w->cursor().shape(), Qt::BitmapCursor);
    // Pixmap cursors keep the default hot spot, the centre of the image.
    const QPixmap pixmap = w->cursor().pixmap();
    QVERIFY(!pixmap.isNull());
    QCOMPARE(w->cursor().hotSpot(), QPoint(pixmap.width() / 2, pixmap.height() / 2));
    if (mode == Canvas::InsertProcess)
        QCOMPARE(w->getCurrentCanvas()->getDrawProcessShape(), 1);
}

void TestMainWindow::zoomInTwiceOutTwice()
{
    MainWindow* w = openWithCanvases(1);
    QAction* in = w->findChild<QAction*>("actionzoom_in");
    QAction* out = w->findChild<QAction*>("actionzoom_out");
    in->trigger();
    QVERIFY(qAbs(w->graphicsView()->transform().m11() - 1.1) < 1e-12);
    in->trigger();
    out->trigger();
    out->trigger();
    QVERIFY(qAbs(w->graphicsView()->transform().m11() - 0.9801) < 1e-12);
    QVERIFY(qAbs(w->graphicsView()->transform().m22() - 0.9801) < 1e-12);
}

void TestMainWindow::sendToBackIgnoresLineItems()
{
    MainWindow* w = openWithCanvases(1);
    Canvas* canvas = w->getCurrentCanvas();
    auto* line = new QGraphicsLineItem(0, 0, 100, 100);
    line->setFlag(QGraphicsItem::ItemIsSelectable);
    line->setZValue(7);
    canvas->addItem(line);
    line->setSelected(true);
    QAction* save = w->findChild<QAction*>("actionSave");
    QVERIFY(!save->isEnabled());
    w->findChild<QAction*>("actionSendToBack")->trigger();
    w->findChild<QAction*>("actionBringToFront")->trigger();
    QCOMPARE(line->zValue(), 7.0);
    QVERIFY(!save->isEnabled());
}

void TestMainWindow::bringToFrontTakesNextZValue()
{
    MainWindow* w = openWithCanvases(1);
    Canvas* canvas = w->getCurrentCanvas();
    auto* box = new QGraphicsRectItem(0, 0, 10, 10);
    box->setFlag(QGraphicsItem::ItemIsSelectable);
    canvas->addItem(box);
    box->setSelected(true);
    canvas->zCounter = 41.0;
    w->findChild<QAction*>("actionBringToFront")->trigger();
    QCOMPARE(box->zValue(), 42.0);
    QCOMPARE(canvas->zCounter, 42.0);
    QVERIFY(w->findChild<QAction*>("actionSave")->isEnabled());
    w->findChild<QAction*>("actionSendToBack")->trigger();
    QCOMPARE(box->zValue(), 1.0);
    QCOMPARE(canvas->zCounter, 42.0);
}

void TestMainWindow::canvasSizeAppliesToShownCanvasOnly()
{
    MainWindow* w = openWithCanvases(3);
    w->setActiveScene(2);
    ModalAnswerer answer;
    answer.accept([](QWidget* dialog) {
        auto* width = dialog->findChild<QSpinBox*>("widthBox");
        auto* height = dialog->findChild<QSpinBox*>("heightBox");
        QCOMPARE(width->value(), 2000);
        QCOMPARE(height->value(), 1050);
        QCOMPARE(width->maximum(), 167244);
        QCOMPARE(dialog->windowTitle(), QString("Korvel - Set Canvas Size"));
        width->setValue(4000);
        height->setValue(3000);
        // OK reads the boxes back; press it the way a user does.
        dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
    w->findChild<QAction*>("actionSet_Canvas_Size")->trigger();
    QCOMPARE(answer.answeredCount(), 1);
    QCOMPARE(w->getCanvases().at(2)->sceneRect(), QRectF(0, 0, 4000, 3000));
    QCOMPARE(w->getCanvases().at(0)->sceneRect(), QRectF(0, 0, 2000, 1050));
    QCOMPARE(w->getCanvases().at(1)->sceneRect(), QRectF(0, 0, 2000, 1050));
    QCOMPARE(w->getCanvasWidth(), 4000);
    t_strReadProcessItem n = node(4, 1, 1, 1, "late");
    w->createCanvasElement(&n);
    QCOMPARE(w->getCanvases().last()->sceneRect(), QRectF(0, 0, 4000, 3000));
}

void TestMainWindow::canvasSizeCancelChangesNothing()
{
    MainWindow* w = openWithCanvases(1);
    ModalAnswerer answer;
    answer.reject([](QWidget* dialog) {
        dialog->findChild<QSpinBox*>("widthBox")->setValue(10);
    });
    w->findChild<QAction*>("actionSet_Canvas_Size")->trigger();
    QCOMPARE(answer.answeredCount(), 1);
    QCOMPARE(w->getCurrentCanvas()->sceneRect(), QRectF(0, 0, 2000, 1050));
    QCOMPARE(w->getCanvasWidth(), 2000);
}

void TestMainWindow::showProjectBrowserToggles()
{
    MainWindow* w = openWithCanvases(0);
    w->show();
    auto* dock = w->findChild<QDockWidget*>();
    QVERIFY(dock->isVisible());
    w->findChild<QAction*>("actionShow_Project_Browser")->trigger();
    QVERIFY(!dock->isVisible());
    w->findChild<QAction*>("actionShow_Project_Browser")->trigger();
    QVERIFY(dock->isVisible());
}

void TestMainWindow::aboutBoxNamesVersionAndBuild()
{
    MainWindow* w = openWithCanvases(0);
    ModalAnswerer answer;
    answer.accept();
    w->findChild<QAction*>("actionAbout")->trigger();
    QCOMPARE(answer.title(), QString("Korvel"));
    QVERIFY2(answer.text().startsWith("Korvel 1.1.3 \n\nBuild Number: #dce7afc\nPowered by Qt\n\n"),
             qPrintable(answer.text()));
}

void TestMainWindow::closeWithoutChangesAsksToQuit()
{
    MainWindow* w = openWithCanvases(1);
    w->show();
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Cancel);
    QVERIFY(!w->close());
    QCOMPARE(answer.text(), QString("Are you sure you want to quit Korvel?\n"));
    QVERIFY(w->isVisible());

    answer.pressButton(QMessageBox::Yes);
    QVERIFY(w->close());
}

void TestMainWindow::closeWithChangesCancelKeepsWindow()
{
    MainWindow* w = openWithCanvases(2);
    w->show();
    w->slot_enableSaveAction();
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Cancel);
    QVERIFY(!w->close());
    QCOMPARE(answer.text(), QString("Project has been modified."));
    QCOMPARE(w->getCanvases().size(), 2);
    QVERIFY(w->findChild<QAction*>("actionSave")->isEnabled());

    answer.pressButton(QMessageBox::Discard);
    QVERIFY(w->close());
    QVERIFY(w->getCanvases().isEmpty());
    QCOMPARE(w->actionsState(), STATE_BLANK);
}

void TestMainWindow::eulaShowsTheLicence()
{
    MainWindow* w = openWithCanvases(0);
    ModalAnswerer answer;
    QString shown;
    answer.reject([&shown](QWidget* dialog) {
        auto* browser = dialog->findChild<QTextBrowser*>();
        QVERIFY(browser);
        shown = browser->toPlainText();
    });
    w->findChild<QAction*>("actionEula")->trigger();
    QCOMPARE(answer.answeredCount(), 1);
    QVERIFY2(shown.contains("MIT"), qPrintable(shown));
    QVERIFY(shown.contains("Permission is hereby granted, free of charge"));
}

void TestMainWindow::screenChangeResizesTextDependentItems()
{
    MainWindow* w = openWithCanvases(5);
    Canvas* machine = w->getCanvases().last();
    t_stateItemReadFromXML record;
    record.level = 6;
    record.label = QStringLiteral("Busy");
    record.action = QString(120, QLatin1Char('x'));
    record.width = 280;
    record.height = 150;
    QVERIFY(machine->addStateItem(&record));
    StateItem* state = machine->stateItems.first();
    QCOMPARE(state->getWidth(), 280);

    w->sscreenChanged(nullptr);
    // The long action line now sets the width, within the cap.
    QVERIFY2(state->getWidth() > 280, qPrintable(QString::number(state->getWidth())));
    const double cw = QFontMetricsF(QApplication::font()).averageCharWidth();
    QVERIFY(state->getWidth() <= int(850 + 6 * cw));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
