// Project commands: new, open, examples, close and rename, with the
// questions about unsaved changes. Saving is in mainwindow_save.cpp.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsView>
#include <QMessageBox>
#include <QSettings>
#include <QSet>
#include <QStandardPaths>
#include <QTreeView>
#include <QUndoStack>

#include <functional>
#include <new>

#include "createproject.h"
#include "diagramlabelcommand.h"
#include "examplesfolder.h"
#include "projectfileopener.h"
#include "processitem.h"
#include "renameproject.h"
#include "safesavefile.h"
#include "treeitem.h"
#include "treemodel.h"

namespace {

const char corruptOnOpen[] = "Design file is corrupt and cannot be opened. \nOpening Project Aborted.";
const char corruptOnCreate[] = "Design file is corrupt and cannot be opened. Creating Project Aborted.";

QString examplesFolder()
{
    return ExamplesFolder::path();
}

bool examplesFolderUsable()
{
    return ExamplesFolder::usable(examplesFolder());
}

// A named pipe would freeze the window until something writes to it, and a
// huge file would take the memory: such a file is named and left alone,
// before anything is asked. A missing one meets the integrity check as before.
bool refusedBeforeReading(QWidget* parent, const QString& path)
{
    const ProjectFileOpener::Result result = ProjectFileOpener::check(path);
    if (result != ProjectFileOpener::NotRegular && result != ProjectFileOpener::TooLarge)
        return false;
    QMessageBox::critical(parent, QStringLiteral("Korvel"),
                          QCoreApplication::translate("MainWindow", "The project file %1 cannot be opened: %2.")
                              .arg(QDir::toNativeSeparators(path), ProjectFileOpener::reason(result)));
    return true;
}

// Visits every node of the browser with its path of labels, top down.
void walkBrowser(QAbstractItemModel* model, const QModelIndex& parent, const QString& path,
                 const std::function<void(const QModelIndex&, const QString&)>& visit)
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        const QString here = path + QLatin1Char('/') + index.data().toString();
        visit(index, here);
        walkBrowser(model, index, here, visit);
    }
}

} // namespace

// Says once, after opening, what the file holds that the project does not;
// a save would leave it out.
void MainWindow::warnAboutLostItems()
{
    const QStringList& lost = projectCanvases.lostItems();
    if (lost.isEmpty())
        return;
    const int shown = 20;
    QString list = QStringLiteral("- ") + QStringList(lost.mid(0, shown)).join(QStringLiteral("\n- "));
    if (lost.size() > shown)
        list += tr("\n... and %1 more.").arg(lost.size() - shown);
    const QString count = lost.size() == 1 ? tr("1 item of this project could not be placed")
                                           : tr("%1 items of this project could not be placed").arg(lost.size());
    QMessageBox::warning(this, QStringLiteral("Korvel"),
                         count + tr(" and will be missing if you save:\n\n%1").arg(list));
}

bool MainWindow::getAllCanvasNames(QString* out)
{
    return projectCanvases.getAllCanvasNames(out);
}

void MainWindow::reportOutOfMemory(const QString& doing, const QString& outcome)
{
    QMessageBox::critical(this, QStringLiteral("Korvel"),
                          tr("Korvel ran out of memory while %1.\n\n%2").arg(doing, outcome));
}

bool MainWindow::isProjectModified() const
{
    return changedOutsideUndo || !projectCanvases.history()->isClean();
}

void MainWindow::markModified()
{
    changedOutsideUndo = true;
    ++changesOutsideUndo;
    refreshModifiedState();
    autosave->noteChange();
}

void MainWindow::markSaved()
{
    changedOutsideUndo = false;
    projectCanvases.history()->setClean();
    refreshModifiedState();
}

void MainWindow::refreshModifiedState()
{
    const bool modified = isProjectModified();
    if (modified)
        enableAction(POS_SAVE);
    else
        disableAction(POS_SAVE);
    const bool open = korvelState != STATE_BLANK && !projectCanvases.isEmpty();
    setWindowTitle(open ? QFileInfo(xmlIO.getFilePath()).fileName() + QStringLiteral("[*] - Korvel")
                        : QStringLiteral("Korvel"));
    setWindowModified(modified);
}

void MainWindow::watchHistory()
{
    QUndoStack* history = projectCanvases.history();
    connect(history, &QUndoStack::cleanChanged, this, &MainWindow::refreshModifiedState);
    connect(history, &QUndoStack::indexChanged, this, &MainWindow::updateUndoRedoTexts);
    connect(history, &QUndoStack::indexChanged, autosave, &Autosave::noteChange);
    projectCanvases.setStructureListener([this] { restoreBrowserTree(); });
    projectCanvases.setCanvasListener([this](Canvas* canvas) { watchCanvas(canvas); });
}

void MainWindow::watchCanvas(Canvas* canvas)
{
    if (canvas)
        connect(canvas, &Canvas::processEdited, this, &MainWindow::followProcessName, Qt::UniqueConnection);
}

void MainWindow::updateUndoRedoTexts()
{
    const QString undo = projectCanvases.history()->undoText();
    const QString redo = projectCanvases.history()->redoText();
    ui->actionUndo->setText(undo.isEmpty() ? tr("Undo") : tr("Undo %1").arg(undo));
    ui->actionRedo->setText(redo.isEmpty() ? tr("Redo") : tr("Redo %1").arg(redo));
    const bool editable = korvelState != STATE_BLANK && !simulationLocked;
    ui->actionUndo->setEnabled(editable && projectCanvases.history()->canUndo());
    ui->actionRedo->setEnabled(editable && projectCanvases.history()->canRedo());
}

void MainWindow::restorePreviousPath()
{
    xmlIO.setFilePath(previousProjectPath);
    codegen.setFilePath(previousProjectPath);
}

void MainWindow::loadProject(const QString& outline)
{
    clearProjectModel();
    projectModel->setupModelData(outline.split(QLatin1Char('\n')),
                                 projectModel->getItem(QModelIndex()), true);
    updateProjectModel();

    TreeItem* root = projectModel->getItem(QModelIndex());
    currentTreeNode = root->childCount() > 0 ? root->child(0) : nullptr;
    setActiveScene(0);
    ui->treeView->expandAll();

    activateActionsFromKorvelState(STATE_LEVEL1);
    on_actionSelect_triggered();
    markSaved();
    noteRecentProject(xmlIO.getFilePath());
    scheduleProblems();
}

void MainWindow::restoreBrowserTree()
{
    // Nodes the user folded stay folded, found again by their paths.
    QSet<QString> folded;
    walkBrowser(projectModel, QModelIndex(), QString(), [&](const QModelIndex& index, const QString& path) {
        if (projectModel->rowCount(index) > 0 && !ui->treeView->isExpanded(index))
            folded.insert(path);
    });
    clearProjectModel();
    QString outline;
    if (!projectCanvases.getAllCanvasNames(&outline))
        return;
    TreeItem* root = projectModel->getItem(QModelIndex());
    projectModel->setupModelData(outline.split(QLatin1Char('\n')), root, true);
    updateProjectModel();
    ui->treeView->expandAll();
    if (!folded.isEmpty()) {
        walkBrowser(projectModel, QModelIndex(), QString(), [&](const QModelIndex& index, const QString& path) {
            if (folded.contains(path))
                ui->treeView->collapse(index);
        });
    }
    // The node of the shown canvas becomes the current tree node again.
    currentTreeNode = treeNodeOf(currentCanvas);
}

TreeItem* MainWindow::treeNodeOf(const Canvas* canvas) const
{
    if (!canvas)
        return nullptr;
    QVector<TreeItem*> pending {projectModel->getItem(QModelIndex())};
    while (!pending.isEmpty()) {
        TreeItem* node = pending.takeLast();
        for (int row = 0; row < node->childCount(); ++row) {
            TreeItem* child = node->child(row);
            if (child->getLevel() == canvas->getLevel() && child->getId() == canvas->getId()
                && child->getParentId() == canvas->getParentId()
                && child->getGrandParentId() == canvas->getGrandParentId()
                && child->data(0).toString() == canvas->getLabel())
                return child;
            pending.append(child);
        }
    }
    return nullptr;
}

MainWindow::UnsavedAnswer MainWindow::askAboutUnsavedChanges()
{
    finishSaving();
    if (!isProjectModified())
        return UnsavedAnswer::GoOn;
    // Cancel is always offered: a file opened by mistake must not force a
    // choice between saving and losing the work.
    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("Korvel"));
    box.setText(tr("There are unsaved changes in project."));
    box.setInformativeText(tr("Do you want to save your changes?"));
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
    case QMessageBox::Save:
        // A save that failed has been reported; going on would drop the changes.
        return saveAndReport() ? UnsavedAnswer::GoOn : UnsavedAnswer::SaveFailed;
    case QMessageBox::Discard:
        return UnsavedAnswer::GoOn;
    default:
        return UnsavedAnswer::Cancelled;
    }
}

bool MainWindow::checkSaveChanges()
{
    return askAboutUnsavedChanges() == UnsavedAnswer::GoOn;
}

void MainWindow::on_actionNew_triggered()
{
    CreateProject* dialog = CreateProject::getInstance(this);
    dialog->setWindowTitle(tr("Create Project"));

    const QString start = settings->value(QStringLiteral("previousDirectory"),
                                          QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .toString();
    QFileDialog chooser(this, tr("Create a new project"), start, QStringLiteral("*.vorn"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const QString path = chooser.selectedFiles().first();
    if (path.isEmpty())
        return;

    const int result = dialog->processNewProject(path);
    if (result == 2) {
        QMessageBox::critical(this, QStringLiteral("Korvel"),
                              tr("File name cannot be blank or contain special characters. Creating Project Aborted."));
        return;
    }
    if (result == 3) {
        // Nothing was written and the open project, browser included, is as it was.
        QMessageBox::critical(this, QStringLiteral("Korvel"),
                              tr("The project file %1 could not be written.\n\n%2\n\nCreating Project Aborted.")
                                  .arg(QDir::toNativeSeparators(dialog->getProjectFilePath()),
                                       dialog->writeError()));
        return;
    }
    if (result != 1)
        return;

    // The dialog emptied the browser; its nodes are gone.
    currentTreeNode = nullptr;
    if (!checkSaveChanges()) {
        // The old project stays open, so it gets its browser back.
        restoreBrowserTree();
        return;
    }
    endTour();
    clearAllData();
    previousProjectPath = xmlIO.getFilePath();
    xmlIO.setFilePath(dialog->getProjectFilePath());
    codegen.setFilePath(dialog->getProjectFilePath());

    QString outline;
    projectCanvases.setCanvasSize(canvasWidth, canvasHeight);
    if (projectCanvases.load(xmlIO, &outline)) {
        loadProject(outline);
        displayTempStatusBarMessage(tr("Project %1 created successfully").arg(xmlIO.getFilePath()), 0);
        return;
    }
    restorePreviousPath();
    clearAllData();
    clearProjectModel();
    setKorvelInBlankState();
    QMessageBox::critical(this, QStringLiteral("Korvel"), tr(corruptOnCreate));
}

void MainWindow::on_actionOpen_triggered()
{
    const QString start = settings->value(QStringLiteral("previousDirectory"),
                                          QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .toString();
    QFileDialog chooser(nullptr, tr("Open Project"), start, QStringLiteral("*.vorn"));
    chooser.setFileMode(QFileDialog::ExistingFile);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    openFile(chooser.selectedFiles().first());
    settings->setValue(QStringLiteral("previousDirectory"), chooser.directory().absolutePath());
}

void MainWindow::openFile(const QString& path, bool askAboutChanges)
{
    if (refusedBeforeReading(this, path))
        return;
    if (askAboutChanges && !checkSaveChanges())
        return;
    if (recoverInsteadOfOpening(path))
        return;
    endTour();
    previousProjectPath = xmlIO.getFilePath();
    xmlIO.setFilePath(path);
    codegen.setFilePath(path);

    bool sound = false;
    try {
        sound = xmlIO.checkProjectFileCorrupt();
    } catch (const std::bad_alloc&) {
        xmlIO.clearRecords();
        restorePreviousPath();
        reportOutOfMemory(tr("reading %1").arg(QDir::toNativeSeparators(path)),
                          tr("The open project stays as it was."));
        return;
    }
    if (!sound) {
        restorePreviousPath();
        QMessageBox::critical(this, QStringLiteral("Korvel"), tr(corruptOnOpen));
        return;
    }

    clearAllData();
    QString outline;
    projectCanvases.setCanvasSize(canvasWidth, canvasHeight);
    bool loaded = false;
    try {
        loaded = projectCanvases.load(xmlIO, &outline);
    } catch (const std::bad_alloc&) {
        restorePreviousPath();
        clearAllData();
        clearProjectModel();
        setKorvelInBlankState();
        reportOutOfMemory(tr("opening %1").arg(QDir::toNativeSeparators(path)),
                          tr("The project was not opened; its file is unchanged."));
        return;
    }
    if (loaded) {
        loadProject(outline);
        displayTempStatusBarMessage(tr("Project %1 opened successfully").arg(xmlIO.getFilePath()), 0);
        warnAboutLostItems();
        return;
    }
    restorePreviousPath();
    clearAllData();
    clearProjectModel();
    setKorvelInBlankState();
    QMessageBox::critical(this, QStringLiteral("Korvel"), tr(corruptOnOpen));
}

bool MainWindow::openProjectFile(const QString& path, bool askAboutChanges)
{
    if (!QFileInfo(path).isFile()) {
        QMessageBox::critical(this, QStringLiteral("Korvel"),
                              tr("There was an error opening the file ") + path
                                  + tr(". Try opening the file with Open Project."));
        setKorvelInBlankState();
        return false;
    }
    openFile(path, askAboutChanges);
    return !projectCanvases.isEmpty();
}

bool MainWindow::getExampleFileName(QString& path)
{
    const QString candidate = QDir(examplesFolder()).absoluteFilePath(QStringLiteral("Example_1.vorn"));
    if (examplesFolderUsable() && QFileInfo(candidate).isFile()) {
        path = candidate;
        return true;
    }
    path.clear();
    return false;
}

void MainWindow::on_actionOpen_Examples_triggered()
{
    if (!examplesFolderUsable()) {
        QMessageBox::critical(this, QStringLiteral("Korvel"),
                              tr("Korvel could not find the Examples directory on this computer."));
        return;
    }
    QFileDialog chooser(nullptr, tr("Open Project"), examplesFolder(), QStringLiteral("*.vorn"));
    chooser.setFileMode(QFileDialog::ExistingFile);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    openFile(chooser.selectedFiles().first());
}

void MainWindow::on_actionClose_Project_triggered()
{
    if (isProjectModified()) {
        QMessageBox box(this);
        box.setWindowTitle(QStringLiteral("Korvel"));
        box.setText(tr("Project has been modified."));
        box.setInformativeText(tr("Do you want to save your changes?"));
        box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Save);
        const int answer = box.exec();
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::Save && !saveAndReport())
            return; // keep the project open rather than lose the changes
    }
    endTour();
    clearAllData();
    setKorvelInBlankState();
}

void MainWindow::on_actionRename_Project_triggered()
{
    if (projectCanvases.isEmpty())
        return;
    RenameProject* dialog = RenameProject::getInstance(this, projectCanvases.at(0)->getLabel());
    if (dialog->exec() == QDialog::Accepted && dialog->getValidationStatus())
        renameActiveProject(dialog->getNewName());
}

void MainWindow::renameActiveProject(const QString& new_label)
{
    if (projectCanvases.isEmpty())
        return;
    // Should the save fail, the new name is still a change to keep.
    projectCanvases.history()->push(
        new DiagramLabelCommand(projectCanvases.at(0), new_label, tr("Rename Project %1").arg(new_label)));
    if (saveAndReport())
        displayTempStatusBarMessage(tr("Changes have been saved successfully"), 0);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Quitting never leaves a file half written.
    finishSaving();
    if (isProjectModified()) {
        QMessageBox box(this);
        box.setWindowTitle(QStringLiteral("Korvel"));
        box.setText(tr("Project has been modified."));
        box.setInformativeText(tr("Do you want to save your changes before closing?"));
        box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Save);
        const int answer = box.exec();
        if (answer == QMessageBox::Cancel) {
            event->ignore();
            return;
        }
        // A failed save has been reported; closing now would lose the work.
        if (answer == QMessageBox::Save && !saveAndReport()) {
            event->ignore();
            return;
        }
        clearAllData();
        setKorvelInBlankState();
        event->accept();
        writeSettings();
        return;
    }

    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("Korvel"));
    box.setText(tr("Are you sure you want to quit Korvel?\n"));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    if (box.exec() == QMessageBox::Yes) {
        autosave->projectClosed();
        event->accept();
        writeSettings();
    } else {
        event->ignore();
    }
}

void MainWindow::on_actionExit_triggered()
{
    QApplication::closeAllWindows();
}
