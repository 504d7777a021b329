#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "backgroundwrite.h"

#include <QApplication>
#include <QDockWidget>
#include <QGraphicsView>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QWindow>

#include "graphicsviewzoom.h"
#include "homescreen.h"
#include "korvelresources.h"
#include "recentprojects.h"
#include "simpleupdateinterface.h"
#include "simulationdock.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
#include "treemodel.h"

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , projectCanvases(&contextMenus, {&processAddedAction, &processLabelChangedAction, &returnToSelectAction})
    , buildNumber(QStringLiteral("#dce7afc"))
{
    initKorvelResources();

    ui->setupUi(this);
    createMenus();
    addActionsToGraphicsItems();

    setUnifiedTitleAndToolBarOnMac(true);
    ui->actionShow_Project_Browser->setChecked(true);
    // The tree view moves into the dock below; keep it alive while the form's
    // central widget is replaced by the graphics view.
    ui->treeView->setParent(this);
    setCentralWidget(ui->graphicsView);

    projectBrowserDock = new QDockWidget(tr("Dock Widget"), this);
    projectBrowserDock->setWindowTitle(tr("Project Browser"));
    projectBrowserDock->setObjectName(QStringLiteral("projectBrowserDock"));
    projectBrowserDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    projectBrowserDock->setWidget(ui->treeView);
    addDockWidget(Qt::LeftDockWidgetArea, projectBrowserDock);
    projectBrowserDock->setMaximumWidth(1000);

    // Screen readers and UI automation find the tool buttons and the dock by
    // these names; a tool button alone would only offer its icon.
    projectBrowserDock->setAccessibleName(projectBrowserDock->windowTitle());
    for (QAction* action : ui->mainToolBar->actions()) {
        if (QWidget* button = ui->mainToolBar->widgetForAction(action))
            button->setAccessibleName(action->text());
    }

    addActionsToVector();

    // The window owns its model; the global points at the model of the window
    // most recently made, which in the application is the only one.
    projectModel = new TreeModel(QStringList{tr("")}, QString(), nullptr);
    projmodel = projectModel;
    ui->treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->treeView->setModel(projectModel);
    for (int column = 0; column < projectModel->columnCount(); ++column)
        ui->treeView->resizeColumnToContents(column);
    ui->treeView->setContextMenuPolicy(Qt::CustomContextMenu);

    ui->graphicsView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A band selects what it encloses whole; what it took shows as a click
    // shows what it took.
    ui->graphicsView->setRubberBandSelectionMode(Qt::ContainsItemShape);
    connect(ui->graphicsView, &QGraphicsView::rubberBandChanged, this, [this](const QRect& band) {
        if (band.isNull() && currentCanvas && ui->graphicsView->scene() == currentCanvas)
            currentCanvas->highlightSelection();
    });

    InitCursors();

    QCoreApplication::setOrganizationName(QStringLiteral("Pelmora"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("korvel.example.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Korvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1.3"));

    initScreenChange();

    settings = new QSettings();
    readSettings();
    backgroundSave = new BackgroundWrite(this);
    initAutosave();
    watchHistory();
    initRecentProjects();

    initStatusBar();
    initShortcuts();
    initMisc();
    initFind();
    initProblems();

    updateInterface = new SimpleUpdateInterface();

    setKorvelInBlankState();
}

MainWindow::~MainWindow()
{
    // The simulation lets go of its machine before the canvases go.
    delete simulationDock;
    simulationDock = nullptr;
    // Canvases have no parent; the window releases them itself.
    ui->graphicsView->setScene(nullptr);
    projectCanvases.clear();
    ui->treeView->setModel(nullptr);
    if (projmodel == projectModel)
        projmodel = nullptr;
    delete projectModel;
    delete updateInterface;
    delete recentProjects;
    delete settings;
    delete stateCursor;
    delete transitionCursor;
    delete textCursor;
    delete processCursor;
    delete linkCursor;
    delete memoryCursor;
    delete dataflowCursor;
    delete selectCursor;
    delete ui;
}

QGraphicsView* MainWindow::graphicsView() const
{
    return ui->graphicsView;
}

// ---- Settings ---------------------------------------------------------------

void MainWindow::readSettings()
{
    double sx = 1.0;
    double sy = 1.0;
    if (settings->contains(QStringLiteral("scale_x")) && settings->contains(QStringLiteral("scale_y"))) {
        sx = settings->value(QStringLiteral("scale_x")).toDouble();
        sy = settings->value(QStringLiteral("scale_y")).toDouble();
    }
    setSceneScale(sx, sy);

    if (settings->contains(QStringLiteral("author")))
        codegen.setAuthor(settings->value(QStringLiteral("author")).toString());
    if (settings->contains(QStringLiteral("organization")))
        codegen.setOrganization(settings->value(QStringLiteral("organization")).toString());
    if (settings->contains(QStringLiteral("version")))
        codegen.setVersionNumber(settings->value(QStringLiteral("version")).toDouble());

    if (settings->contains(QStringLiteral("canvas_width"))
        && settings->contains(QStringLiteral("canvas_height"))) {
        canvasWidth = settings->value(QStringLiteral("canvas_width")).toInt();
        canvasHeight = settings->value(QStringLiteral("canvas_height")).toInt();
        projectCanvases.setCanvasSize(canvasWidth, canvasHeight);
    }
}

void MainWindow::writeSettings()
{
    const QTransform transform = ui->graphicsView->transform();
    settings->setValue(QStringLiteral("scale_x"), transform.m11());
    settings->setValue(QStringLiteral("scale_y"), transform.m22());
    settings->setValue(QStringLiteral("author"), codegen.getAuthor());
    settings->setValue(QStringLiteral("organization"), codegen.getOrganization());
    settings->setValue(QStringLiteral("version"), codegen.getVersionNo());
    settings->setValue(QStringLiteral("canvas_width"), canvasWidth);
    settings->setValue(QStringLiteral("canvas_height"), canvasHeight);
    settings->sync();
}

void MainWindow::setSceneScale(double sx, double sy)
{
    const QTransform old = ui->graphicsView->transform();
    ui->graphicsView->resetTransform();
    ui->graphicsView->translate(old.dx(), old.dy());
    ui->graphicsView->scale(sx, sy);
    GraphicsViewZoom::clampScale(ui->graphicsView);
}

// ---- Screens ----------------------------------------------------------------

void MainWindow::initScreenChange()
{
    // A native window owns its handle already now, so the signal can be wired
    // before the window is shown.
    setAttribute(Qt::WA_NativeWindow);
    if (QWindow* handle = windowHandle())
        connect(handle, &QWindow::screenChanged, this, &MainWindow::sscreenChanged);
}

void MainWindow::sscreenChanged(QScreen* /*screen*/)
{
    // Item sizes follow the font metrics, which may differ on the new screen.
    for (Canvas* canvas : projectCanvases.all()) {
        for (TextItem* item : qAsConst(canvas->textItems)) {
            canvas->fitText(item);
            canvas->update();
        }
        canvas->fitMachine();
    }
}

// ---- Status bar -------------------------------------------------------------

void MainWindow::initStatusBar()
{
    permStatusLabel = new QLabel(tr("Ready"), this);
    ui->statusBar->addPermanentWidget(permStatusLabel);
}

void MainWindow::displayTempStatusBarMessage(const QString& text, int /*timeout*/)
{
    // Messages stay until the next one replaces them.
    ui->statusBar->showMessage(text, 0);
}

void MainWindow::displayPermStatusBarMessage(const QString& text)
{
    permStatusLabel->clear();
    permStatusLabel->setText(text);
}

void MainWindow::clearStatusBarMessage()
{
    ui->statusBar->clearMessage();
}

// ---- Action states ----------------------------------------------------------

namespace {

enum Switch { D, E, U }; // disabled, enabled, unchanged

// One row per action of the action vector, one column per window state
// (blank, level 1 to 5, tour).
const Switch actionTable[POS_COUNT][7] = {
    /* POS_SELECT           */ {D, E, E, E, E, E, E},
    /* POS_SAVE             */ {D, U, U, U, U, U, U},
    /* POS_NEW              */ {E, E, E, E, E, E, D},
    /* POS_OPEN             */ {E, E, E, E, E, E, D},
    /* POS_BRING_TO_FRONT   */ {D, E, E, E, E, E, E},
    /* POS_SEND_TO_BACK     */ {D, E, E, E, E, E, E},
    /* POS_DELETE           */ {D, E, E, E, E, E, D},
    /* POS_TRANSITION       */ {D, D, D, D, D, E, D},
    /* POS_STATE            */ {D, D, D, D, D, E, D},
    /* POS_TEXT             */ {D, D, D, D, D, E, D},
    /* POS_PROCESS_RECT     */ {D, D, D, E, E, D, D},
    /* POS_SET_CANVAS_SIZE  */ {D, E, E, E, E, E, E},
    /* POS_LINK             */ {D, D, D, E, E, D, D},
    /* POS_MEMORY           */ {D, D, E, E, E, E, D},
    /* POS_DATAFLOW         */ {D, E, E, E, E, D, D},
    /* POS_CODE_GENERATOR   */ {D, E, E, E, E, E, E},
    /* POS_CLOSE_PROJECT    */ {D, E, E, E, E, E, E},
    /* POS_UNDO             */ {D, E, E, E, E, E, E},
    /* POS_REDO             */ {D, E, E, E, E, E, E},
    /* POS_ENABLE_AUTOSAVE  */ {D, E, E, E, E, E, D},
    /* POS_ZOOM_IN          */ {D, E, E, E, E, E, D},
    /* POS_ZOOM_OUT         */ {D, E, E, E, E, E, D},
    /* POS_FIT_TO_WINDOW    */ {D, E, E, E, E, E, E},
    /* POS_SAVE_AS          */ {D, E, E, E, E, E, E},
    /* POS_RENAME_PROJECT   */ {D, E, E, E, E, E, D},
    /* POS_OPEN_EXAMPLES    */ {E, E, E, E, E, E, D},
    /* POS_SELF_TRANSITION  */ {D, D, D, D, D, E, D},
    /* POS_SIMULATE         */ {D, D, D, D, D, E, D},
    /* POS_SELECT_ALL       */ {D, E, E, E, E, E, D},
    /* POS_PROPERTIES       */ {D, E, E, E, E, E, D},
    /* POS_CUT              */ {D, E, E, E, E, E, D},
    /* POS_COPY             */ {D, E, E, E, E, E, D},
    /* POS_PASTE            */ {D, E, E, E, E, E, D},
    /* POS_DUPLICATE        */ {D, E, E, E, E, E, D},
    /* POS_RUN_TESTS        */ {D, E, E, E, E, E, D},
};

const bool wheelZoomTable[7] = {false, true, true, true, true, true, false};

} // namespace

void MainWindow::addActionsToVector()
{
    actionVector.resize(POS_COUNT);
    actionVector[POS_SELECT] = ui->actionSelect;
    actionVector[POS_SAVE] = ui->actionSave;
    actionVector[POS_NEW] = ui->actionNew;
    actionVector[POS_OPEN] = ui->actionOpen;
    actionVector[POS_BRING_TO_FRONT] = ui->actionBringToFront;
    actionVector[POS_SEND_TO_BACK] = ui->actionSendToBack;
    actionVector[POS_DELETE] = ui->actionDelete;
    actionVector[POS_TRANSITION] = ui->actiontransition;
    actionVector[POS_STATE] = ui->actionState;
    actionVector[POS_TEXT] = ui->actionText;
    actionVector[POS_PROCESS_RECT] = ui->actionProcessRect;
    actionVector[POS_SET_CANVAS_SIZE] = ui->actionSet_Canvas_Size;
    actionVector[POS_LINK] = ui->actionLink;
    actionVector[POS_MEMORY] = ui->actionMemory;
    actionVector[POS_DATAFLOW] = ui->actionDataflow;
    actionVector[POS_CODE_GENERATOR] = ui->actionCode_Generator;
    actionVector[POS_CLOSE_PROJECT] = ui->actionClose_Project;
    actionVector[POS_UNDO] = ui->actionUndo;
    actionVector[POS_REDO] = ui->actionRedo;
    actionVector[POS_ENABLE_AUTOSAVE] = ui->actionEnable_Autosave;
    actionVector[POS_ZOOM_IN] = ui->actionzoom_in;
    actionVector[POS_ZOOM_OUT] = ui->actionzoom_out;
    actionVector[POS_FIT_TO_WINDOW] = ui->actionFit_to_window;
    actionVector[POS_SELECT_ALL] = ui->actionSelect_All;
    actionVector[POS_PROPERTIES] = ui->actionProperties;
    actionVector[POS_SAVE_AS] = ui->actionSave_As;
    actionVector[POS_RENAME_PROJECT] = ui->actionRename_Project;
    actionVector[POS_OPEN_EXAMPLES] = ui->actionOpen_Examples;
    actionVector[POS_SELF_TRANSITION] = ui->actionSelf_transition;
    actionVector[POS_SIMULATE] = ui->actionSimulate;
    actionVector[POS_CUT] = ui->actionCut;
    actionVector[POS_COPY] = ui->actionCopy;
    actionVector[POS_PASTE] = ui->actionPaste;
    actionVector[POS_DUPLICATE] = ui->actionDuplicate;
    actionVector[POS_RUN_TESTS] = ui->actionRun_Tests;
}

void MainWindow::enableAction(enActionsPos pos)
{
    QAction* action = actionVector.value(pos);
    if (action && !action->isEnabled())
        action->setEnabled(true);
}

void MainWindow::disableAction(enActionsPos pos)
{
    QAction* action = actionVector.value(pos);
    if (action && action->isEnabled())
        action->setEnabled(false);
}

void MainWindow::activateActionsFromKorvelState(enKorvelActionsState state)
{
    korvelState = state;
    for (int pos = 0; pos < POS_COUNT; ++pos) {
        switch (actionTable[pos][state]) {
        case E: enableAction(enActionsPos(pos)); break;
        case D: disableAction(enActionsPos(pos)); break;
        case U: break;
        }
    }
    zoom->setEnable(wheelZoomTable[state]);
    updateUndoRedoTexts();
    ui->actionExport_Canvas_as_Image->setEnabled(state != STATE_BLANK);
    ui->menuRecent_Projects->menuAction()->setEnabled(state != STATE_TOUR);
    applySimulationLock();
}


void MainWindow::setKorvelInBlankState()
{
    clearProjectModel();
    changedOutsideUndo = false;
    activateActionsFromKorvelState(STATE_BLANK);
    refreshModifiedState();
    displayTempStatusBarMessage(tr("Korvel is in blank state."), 0);
    displayPermStatusBarMessage(tr("Ready"));

    homeScreen = HomeScreen::getInstance();
    homeScreen->setState(HOME_NORMAL);
    ui->graphicsView->setScene(homeScreen);
    ui->graphicsView->setDragMode(QGraphicsView::NoDrag);
    ui->graphicsView->setSceneRect(QRectF());
    setSceneScale(1.0, 1.0);

    updateInterface->checkForUpdates(true);
}
