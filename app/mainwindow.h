#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QAction>
#include <QHash>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QVector>

#include "autosave.h"
#include "canvas.h"
#include "canvassize.h"
#include "codegenerator.h"
#include "codegenerrorlog.h"
#include "codegenproperties.h"
#include "contextmenus.h"
#include "eula.h"
#include "projectcanvases.h"
#include "machinetestjob.h"
#include "problemcheck.h"
#include "projectsearch.h"
#include "xmlio.h"

class BackgroundWrite;
class QCloseEvent;
class QCursor;
class QDockWidget;
class QLabel;
class QMimeData;
class ProjectNode;
class QUndoCommand;
class QScreen;
class QSettings;
class QShortcut;
class CreateProject;
class FindDock;
class ProblemsDock;
class QTimer;
class GraphicsViewZoom;
class HomeScreen;
class SimpleUpdateInterface;
class SimulationDock;
class TourBox;
class TreeItem;
class TreeModel;
class ProcessItem;
class QModelIndex;
class RecentProjects;

namespace Ui {
class MainWindow;
}

// What the window shows; decides which actions are enabled.
enum enKorvelActionsState {
    STATE_BLANK,
    STATE_LEVEL1,
    STATE_LEVEL2,
    STATE_LEVEL3,
    STATE_LEVEL4,
    STATE_LEVEL5,
    STATE_TOUR
};

// Positions of the switchable actions in the action vector.
enum enActionsPos {
    POS_SELECT,
    POS_SAVE,
    POS_NEW,
    POS_OPEN,
    POS_BRING_TO_FRONT,
    POS_SEND_TO_BACK,
    POS_DELETE,
    POS_TRANSITION,
    POS_STATE,
    POS_TEXT,
    POS_PROCESS_RECT,
    POS_SET_CANVAS_SIZE,
    POS_LINK,
    POS_MEMORY,
    POS_DATAFLOW,
    POS_CODE_GENERATOR,
    POS_CLOSE_PROJECT,
    POS_UNDO,
    POS_REDO,
    POS_ENABLE_AUTOSAVE,
    POS_ZOOM_IN,
    POS_ZOOM_OUT,
    POS_FIT_TO_WINDOW,
    POS_SAVE_AS,
    POS_RENAME_PROJECT,
    POS_OPEN_EXAMPLES,
    POS_SELF_TRANSITION,
    POS_SIMULATE,
    POS_SELECT_ALL,
    POS_PROPERTIES,
    POS_CUT,
    POS_COPY,
    POS_PASTE,
    POS_DUPLICATE,
    POS_RUN_TESTS,
    POS_COUNT
};

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up and settings.
    void readSettings();
    void writeSettings();
    void initScreenChange();
    void setSceneScale(double sx, double sy);
    void initStatusBar();
    void displayTempStatusBarMessage(const QString& text, int timeout = 0);
    void displayPermStatusBarMessage(const QString& text);
    void clearStatusBarMessage();

    // Actions and their states.
    void activateActionsFromKorvelState(enKorvelActionsState state);
    void enableAction(enActionsPos pos);
    void disableAction(enActionsPos pos);
    void setKorvelInBlankState();
    QAction* actionAt(enActionsPos pos) const { return actionVector.value(pos); }
    enKorvelActionsState actionsState() const { return korvelState; }

    // Project commands.
    // askAboutChanges false: the caller has already asked about the open
    // project's unsaved changes.
    bool openProjectFile(const QString& path, bool askAboutChanges = true);
    void openFile(const QString& path, bool askAboutChanges = true);
    bool saveDataToFile();
    // Saves and, when that fails, tells the user why.
    bool saveAndReport();
    // Waits for a save running in the background and takes in its outcome;
    // whatever must see the file written, or drops the project, calls it.
    void finishSaving();
    bool getAllCanvasNames(QString* out);
    // Before the project is replaced: asks about unsaved changes, offering
    // Save, Discard and Cancel. Go on means saved, discarded or nothing to
    // ask; a failed save has been reported.
    enum class UnsavedAnswer { GoOn, Cancelled, SaveFailed };
    UnsavedAnswer askAboutUnsavedChanges();
    // True only for go on.
    bool checkSaveChanges();
    // The project's modified state: the history away from its clean state,
    // or a change the history does not hold. A save, or undoing back to where
    // the last save left the history, clears it. Save is enabled, and the
    // title carries Qt's modified marker, exactly while it is set.
    bool isProjectModified() const;
    // A change the history does not hold (a recovered project): it stays
    // until the next save.
    void markModified();
    // The file now holds what the window shows.
    void markSaved();
    bool getExampleFileName(QString& path);
    // Asks about every recovery copy left by a session that did not end
    // normally, until one is recovered.
    void offerRecoveryAtStart();
    // Puts back files whose save was cut off by a kill or crash, and says so.
    void restoreInterruptedSaves();
    Autosave* autosaver() const;
    void clearAllData();
    void clearProjectModel();

    // Read access for the commands, the tests and the tour.
    Canvas* getCurrentCanvas() const { return currentCanvas; }
    const QVector<Canvas*>& getCanvases() const { return projectCanvases.all(); }
    const ProjectCanvases& projectCanvasesOf() const { return projectCanvases; }
    int getCanvasWidth() const { return canvasWidth; }
    int getCanvasHeight() const { return canvasHeight; }
    GraphicsViewZoom* zoomController() const { return zoom; }
    CodeGenerator& codeGenerator() { return codegen; }
    XmlIO& projectIO() { return xmlIO; }
    QGraphicsView* graphicsView() const;
    QLabel* permanentStatusLabel() const { return permStatusLabel; }
    QCursor* cursorFor(Canvas::Mode mode) const;
    // The dock of Run > Simulate; null until it is first used.
    SimulationDock* simulationView() const { return simulationDock; }
    // The dock of Edit > Find.
    FindDock* findView() const { return findDock; }
    // The dock of View > Problems, and the check that fills it.
    ProblemsDock* problemsView() const { return problemsDock; }
    ProblemCheck* problemChecker() const { return problemCheck; }
    // Checks the project again now (the dock does so shortly after a change).
    void refreshProblems();
    // Runs the test files on the project's machines in the background; the
    // outcome goes to Problems and the canvases.
    void runMachineTests(const QStringList& files);
    MachineTestJob* machineTestJob() const { return machineTests; }
    // True from a simulation's start until it ends: nothing may be edited.
    bool isSimulationRunning() const { return simulationLocked; }

    // Canvases: one per node of the project hierarchy.
    bool createCanvasElement(t_strReadProcessItem* node, ProjectNode* shown = nullptr);
    Canvas* getCanvasItem(int level, int id, int parentId, bool* found) const;
    int getCanvasItemPos(t_strReadProcessItem* node, bool* found) const;
    bool setActiveScene(int pos);
    void createTreeElement(t_strReadProcessItem* node);
    void updateProjectModel();
    TreeItem* getCurrentTreeNode() const { return currentTreeNode; }

    // Recent projects, files handed over by a second start, pictures.
    QStringList recentProjectPaths() const;
    // Writes the shown canvas as SVG or PNG by the file's suffix; says why
    // when it cannot.
    bool exportCanvasImage(const QString& path);

public slots:
    // Opens the file after asking about unsaved changes, or drops it from
    // the list with a note when it no longer exists.
    void openRecentProject(const QString& path);
    // Comes forward and opens the file once no dialog is running.
    void openRequestedFile(const QString& path);
    void renameActiveProject(const QString& new_label);
    void on_treeView_doubleClicked(const QModelIndex& index);
    void sscreenChanged(QScreen* screen);
    void slot_processItemAdded();
    void displaySIPropertiesFromScene();
    void displayTIPropertiesFromScene();
    void displayTextItemPropertiesFromScene();
    void displayProcessItemPropertiesFromScene();
    void displayLinkItemPropertiesFromScene();
    void displayMemoryItemPropertiesFromScene();
    void displayDataflowItemPropertiesFromScene();
    void stateMachineAppTour(bool quit);
    void tourNextLinkClicked();
    void tourQuitLinkClicked();

private slots:
    void on_actionNew_triggered();
    void on_actionOpen_triggered();
    void on_actionSave_triggered();
    void on_actionSave_As_triggered();
    void on_actionOpen_Examples_triggered();
    void on_actionExport_Canvas_as_Image_triggered();
    void on_actionClose_Project_triggered();
    void on_actionRename_Project_triggered();
    void on_actionExit_triggered();
    void on_actionBringToFront_triggered();
    void on_actionSendToBack_triggered();
    void on_actionDelete_triggered();
    void on_actionSelect_All_triggered();
    void on_actionCut_triggered();
    void on_actionCopy_triggered();
    void on_actionPaste_triggered();
    void on_actionDuplicate_triggered();
    void on_actionFind_triggered();
    void on_actionFind_Next_triggered();
    void on_actionFind_Previous_triggered();
    void on_actionProperties_triggered();
    void on_actionKeyboard_Shortcuts_triggered();
    void on_actionState_triggered();
    void on_actiontransition_triggered();
    void on_actionProcessRect_triggered();
    void on_actionText_triggered();
    void on_actionMemory_triggered();
    void on_actionLink_triggered();
    void on_actionDataflow_triggered();
    void on_actionSelf_transition_triggered();
    void on_actionSelect_triggered();
    void on_actionUndo_triggered();
    void on_actionRedo_triggered();
    void on_actionzoom_in_triggered();
    void on_actionzoom_out_triggered();
    void on_actionFit_to_window_triggered();
    void on_actionSet_Canvas_Size_triggered();
    void on_actionShow_Project_Browser_triggered();
    void on_actionCode_Generator_triggered();
    void on_actionSimulate_triggered();
    void on_actionRun_Tests_triggered();
    void on_actionAbout_triggered();
    void on_actionAppTour_triggered();
    void on_actionGetting_started_triggered();
    void on_actionCheck_for_update_triggered();
    void on_actionReport_a_bug_triggered();
    void on_actionReuqest_feature_triggered();
    void on_actionEula_triggered();
    void on_actionAbout_Qt_triggered();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void addActionsToGraphicsItems();
    void addActionsToVector();
    void InitCursors();
    void initShortcuts();
    void initMisc();
    void setToolMode(Canvas::Mode mode, QCursor* cursor);
    void zoomBy(double factor);

    void loadProject(const QString& outline);
    void restoreBrowserTree();
    TreeItem* treeNodeOf(const Canvas* canvas) const;
    void restorePreviousPath();
    // Shows a canvas of the project as a double-click in the browser does.
    void showCanvas(Canvas* canvas);
    // After undo or redo: the canvas the step changed comes into view.
    void showCanvasOf(const QUndoCommand* command);
    void pushZOrder(QGraphicsItem* item, qreal z, const QString& text);
    // A process was renamed (dialog, undo or redo): its diagram follows.
    void followProcessName(ProcessItem* process);
    QString saveFailureReason() const;
    // Says that the project could not be saved, why, and what became of the
    // previous file; Save stays enabled.
    void reportSaveFailure(bool previousKept, const QString& reason);
    // Save: the project is taken on the window's thread and written on
    // another; the title, Save and the status bar follow the outcome.
    void saveInBackground();
    // Tells the user that memory ran out while doing what; the caller has
    // left the project as it was.
    void reportOutOfMemory(const QString& doing, const QString& outcome);
    void refreshModifiedState();
    void watchHistory();
    void watchCanvas(Canvas* canvas);
    // Undo and Redo name the step they would undo or redo, and are enabled
    // on every canvas while there is one.
    void updateUndoRedoTexts();
    void warnAboutLostItems();

    // Autosave and crash recovery.
    enum RecoveryAnswer { RecoverNow, RecoverAsCopy, RecoveryDiscarded, RecoverLater };
    void initAutosave();
    RecoveryAnswer askAboutRecovery(const Autosave::Recovery& recovery);
    // Opens the copy as a modified project bound to its original path.
    bool recoverFrom(const Autosave::Recovery& recovery);
    bool recoverAsCopy(const Autosave::Recovery& recovery);
    bool recover(const Autosave::Recovery& recovery, RecoveryAnswer answer);
    // False, after saying so, when the copy cannot be read; it is kept aside.
    bool recoveryCopyReadable(const Autosave::Recovery& recovery);
    // True when the user chose to recover the copy of path instead.
    bool recoverInsteadOfOpening(const QString& path);

    void initRecentProjects();
    void refreshRecentProjects();
    void noteRecentProject(const QString& path);
    void openRequestedFiles();

    // Filled by later features.
    void startAppTour();
    // Hides the bubble and forgets the tour; the project stays as it is.
    void endTour();
    void runCodeGenerator();
    // True when the machine has design errors; refused tells whether they
    // kept its files from being written.
    bool generateMachine(const ProjectNode* machine, const QVector<DesignLinter::Finding>& clashes, bool* refused);

    // Run > Simulate (mainwindow_simulation.cpp).
    void startSimulation();
    void endSimulation();
    void setSimulationLock(bool on);
    // Keeps every editing action off while a simulation runs.
    void applySimulationLock();
    void showSimulationProblems(const QStringList& messages);

    // Cut, copy, paste and duplicate (mainwindow_clipboard.cpp).
    bool copySelection();
    // Puts the items of data on the shown canvas as one undo step named text,
    // and selects them; says why when they cannot go there.
    void pasteItems(const QMimeData* data, const QPointF* at, QPointF offset, const QString& text);
    // Deletes the selection; with a text, as one step of that name.
    void deleteSelection(const QString& text = QString());

    // View > Problems (mainwindow_problems.cpp).
    void initProblems();
    // The project changed: the checks run again shortly, if the dock shows.
    void scheduleProblems();
    void showProblem(const ProblemCheck::Problem& problem);
    // Generate found design errors: the dock shows them at once, and the
    // status bar keeps message until the user acts.
    void showProblemsOfGenerate(const QString& message);

    // Run > Run Tests (mainwindow_tests.cpp).
    void showTestOutcome(const MachineTestJob::Outcome& outcome);
    // Frames what the tests reached (green) and did not (red) until the next edit.
    void markCoverage(Canvas* canvas, const MachineTestReport::MachineCoverage& machine);
    void clearCoverageMarks();

    // Edit > Find (mainwindow_find.cpp).
    void initFind();
    void runFind(const QString& text);
    void showFound(const ProjectSearch::Hit& hit);

    bool changedOutsideUndo = false;
    // Counts the changes the history does not hold, so that a background
    // save can tell whether one came while it wrote.
    int changesOutsideUndo = 0;
    Canvas* currentCanvas = nullptr;
    HomeScreen* homeScreen = nullptr;
    Ui::MainWindow* ui;
    CreateProject* createProjectDialog = nullptr;
    XmlIO xmlIO;
    QMenu stateMenu;
    QMenu transitionMenu;
    QMenu textMenu;
    QMenu processMenu;
    QMenu linkMenu;
    QMenu memoryMenu;
    QMenu dataflowMenu;
    t_strContextMenu contextMenus;
    CanvasSize canvasSizeDialog;
    Eula eula;
    QDockWidget* projectBrowserDock = nullptr;
    QLabel* permStatusLabel = nullptr;
    int canvasWidth = 2000;
    int canvasHeight = 1050;
    QVector<QAction*> actionVector;
    QAction statePropertiesAction;
    QAction transitionPropertiesAction;
    QAction textPropertiesAction;
    QAction processPropertiesAction;
    QAction linkPropertiesAction;
    QAction memoryPropertiesAction;
    QAction dataflowPropertiesAction;
    QAction processAddedAction;
    QAction processLabelChangedAction;
    QAction returnToSelectAction;
    ProjectCanvases projectCanvases;
    QString previousProjectPath;
    // Why the last save failed when the save walk itself could not say.
    QString saveFailure;
    BackgroundWrite* backgroundSave = nullptr;
    TreeItem* currentTreeNode = nullptr;
    TreeModel* projectModel = nullptr;
    CodeGenerator codegen;
    // The Code Generator command's settings dialog and the log it shows.
    CodegenProperties codegenDialog;
    CodegenErrorLog codegenLog;
    QSettings* settings = nullptr;
    Autosave* autosave = nullptr;
    QString buildNumber;
    SimpleUpdateInterface* updateInterface = nullptr;
    QShortcut* selectShortcut = nullptr;
    QShortcut* fitShortcut = nullptr;
    GraphicsViewZoom* zoom = nullptr;
    TourBox* tourBox = nullptr;
    SimulationDock* simulationDock = nullptr;
    FindDock* findDock = nullptr;
    ProblemsDock* problemsDock = nullptr;
    ProblemCheck* problemCheck = nullptr;
    QTimer* problemsTimer = nullptr;
    // A change came since the problems shown were found.
    bool problemsStale = true;
    // The status bar tells what Generate could not write; nothing else
    // replaces it on its own (autosave) until the user acts.
    bool heldStatus = false;
    MachineTestJob* machineTests = nullptr;
    QVector<QPair<QPointer<Canvas>, QGraphicsItem*>> coverageMarks;
    // The test files of the last run, by the names their cases carry.
    QHash<QString, QString> testFiles;
    // The history's index when the last test run took the machines.
    int testedAt = -1;
    // Pastes since the last copy: each lands a step further from the originals.
    int pastesSinceCopy = 0;
    bool simulationLocked = false;
    // The example the running tour opened; empty while no tour runs.
    QString tourExamplePath;
    // The project open before the tour, opened again when it ends.
    QString tourPreviousPath;
    QCursor* stateCursor = nullptr;
    QCursor* transitionCursor = nullptr;
    QCursor* textCursor = nullptr;
    QCursor* processCursor = nullptr;
    QCursor* linkCursor = nullptr;
    QCursor* memoryCursor = nullptr;
    QCursor* dataflowCursor = nullptr;
    QCursor* selectCursor = nullptr;
    enKorvelActionsState korvelState = STATE_BLANK;
    RecentProjects* recentProjects = nullptr;
    QStringList requestedFiles;
    bool openingRequested = false;
    bool requestRetryPending = false;
};

#endif // MAINWINDOW_H
