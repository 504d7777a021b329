// Menus, tool modes and the small commands that act on the shown canvas.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QDockWidget>
#include <QGraphicsLineItem>
#include <QGraphicsView>
#include <QMessageBox>
#include <QShortcut>
#include <QUrl>

#include <algorithm>

#include "graphicsviewzoom.h"
#include "simpleupdateinterface.h"

namespace {
const char gettingStartedUrl[] = "https://korvel.example.org/docs/getting-started";
const char featureRequestUrl[] = "https://korvel.example.org/community/feature-requests";
} // namespace

void MainWindow::createMenus()
{
    struct Entry {
        QMenu* menu;
        QAction* properties;
    };
    const Entry entries[] = {
        {&stateMenu, &statePropertiesAction},
        {&transitionMenu, &transitionPropertiesAction},
        {&textMenu, &textPropertiesAction},
        {&processMenu, &processPropertiesAction},
        {&linkMenu, &linkPropertiesAction},
        {&memoryMenu, &memoryPropertiesAction},
        {&dataflowMenu, &dataflowPropertiesAction},
    };
    for (const Entry& entry : entries) {
        entry.menu->addAction(ui->actionBringToFront);
        entry.menu->addAction(ui->actionSendToBack);
        entry.menu->addAction(ui->actionDelete);
        if (entry.menu == &stateMenu)
            entry.menu->addAction(ui->actionSelf_transition);
        entry.menu->addAction(entry.properties);
    }
    contextMenus.stateMenu = &stateMenu;
    contextMenus.transitionMenu = &transitionMenu;
    contextMenus.textMenu = &textMenu;
    contextMenus.processMenu = &processMenu;
    contextMenus.linkMenu = &linkMenu;
    contextMenus.memoryMenu = &memoryMenu;
    contextMenus.dataflowMenu = &dataflowMenu;
}

void MainWindow::addActionsToGraphicsItems()
{
    const QIcon propertiesIcon(QStringLiteral(":/Images/Images/Properties.png"));
    QAction* properties[] = {&statePropertiesAction, &transitionPropertiesAction,
                             &textPropertiesAction, &processPropertiesAction,
                             &linkPropertiesAction, &memoryPropertiesAction,
                             &dataflowPropertiesAction};
    for (QAction* action : properties) {
        action->setText(tr("Properties"));
        action->setIcon(propertiesIcon);
    }
    connect(&statePropertiesAction, &QAction::triggered, this, &MainWindow::displaySIPropertiesFromScene);
    connect(&transitionPropertiesAction, &QAction::triggered, this, &MainWindow::displayTIPropertiesFromScene);
    connect(&textPropertiesAction, &QAction::triggered, this, &MainWindow::displayTextItemPropertiesFromScene);
    connect(&processPropertiesAction, &QAction::triggered, this, &MainWindow::displayProcessItemPropertiesFromScene);
    connect(&linkPropertiesAction, &QAction::triggered, this, &MainWindow::displayLinkItemPropertiesFromScene);
    connect(&memoryPropertiesAction, &QAction::triggered, this, &MainWindow::displayMemoryItemPropertiesFromScene);
    connect(&dataflowPropertiesAction, &QAction::triggered, this, &MainWindow::displayDataflowItemPropertiesFromScene);

    // The hidden actions by which canvases call back into the window.
    connect(&processAddedAction, &QAction::triggered, this, &MainWindow::slot_processItemAdded);
    connect(&processLabelChangedAction, &QAction::triggered, this, &MainWindow::displayProcessItemPropertiesFromScene);
    connect(&returnToSelectAction, &QAction::triggered, this, &MainWindow::on_actionSelect_triggered);
}

void MainWindow::InitCursors()
{
    // Through QIcon, which takes the @2x image on a scaled screen; the hot
    // spot stays at the centre either way.
    const auto cursorFrom = [](const char* file) {
        return new QCursor(QIcon(QLatin1String(file)).pixmap(QSize(32, 32)));
    };
    stateCursor = cursorFrom(":/Images/Images/stateCursor.png");
    transitionCursor = cursorFrom(":/Images/Images/transitionCursor.png");
    textCursor = cursorFrom(":/Images/Images/TextCursor.png");
    processCursor = cursorFrom(":/Images/Images/Process_Rect_Cursor.png");
    linkCursor = cursorFrom(":/Images/Images/link_cursor.png");
    memoryCursor = cursorFrom(":/Images/Images/Memory_cursor.png");
    dataflowCursor = cursorFrom(":/Images/Images/Dataflow_cursor.png");
    selectCursor = new QCursor(Qt::ArrowCursor);
}

QCursor* MainWindow::cursorFor(Canvas::Mode mode) const
{
    switch (mode) {
    case Canvas::InsertState: return stateCursor;
    case Canvas::InsertTransition: return transitionCursor;
    case Canvas::InsertText: return textCursor;
    case Canvas::InsertProcess: return processCursor;
    case Canvas::InsertLink: return linkCursor;
    case Canvas::InsertMemory: return memoryCursor;
    case Canvas::InsertDataflow: return dataflowCursor;
    case Canvas::SelectItem: return selectCursor;
    }
    return selectCursor;
}

void MainWindow::initShortcuts()
{
    // Both spellings of Redo that Qt users know.
    ui->actionRedo->setShortcuts({QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_Z), QKeySequence(Qt::CTRL + Qt::Key_Y)});

    selectShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    selectShortcut->setAutoRepeat(false);
    connect(selectShortcut, &QShortcut::activated, this, &MainWindow::on_actionSelect_triggered);

    fitShortcut = new QShortcut(QKeySequence(Qt::Key_Space), this);
    fitShortcut->setAutoRepeat(false);
    connect(fitShortcut, &QShortcut::activated, this, &MainWindow::on_actionFit_to_window_triggered);

    zoom = new GraphicsViewZoom(ui->graphicsView);
    zoom->setModifiers(Qt::NoModifier);
}

void MainWindow::initMisc()
{
    tourBox = nullptr;
}

// ---- Tool modes -------------------------------------------------------------

void MainWindow::setToolMode(Canvas::Mode mode, QCursor* cursor)
{
    setCursor(*cursor);
    if (currentCanvas)
        currentCanvas->setMode(mode);
}

void MainWindow::on_actionState_triggered() { setToolMode(Canvas::InsertState, stateCursor); }
void MainWindow::on_actiontransition_triggered() { setToolMode(Canvas::InsertTransition, transitionCursor); }
void MainWindow::on_actionText_triggered() { setToolMode(Canvas::InsertText, textCursor); }
void MainWindow::on_actionLink_triggered() { setToolMode(Canvas::InsertLink, linkCursor); }
void MainWindow::on_actionMemory_triggered() { setToolMode(Canvas::InsertMemory, memoryCursor); }
void MainWindow::on_actionDataflow_triggered() { setToolMode(Canvas::InsertDataflow, dataflowCursor); }

void MainWindow::on_actionProcessRect_triggered()
{
    if (currentCanvas)
        currentCanvas->setDrawProcessShape(1);
    setToolMode(Canvas::InsertProcess, processCursor);
}

void MainWindow::on_actionSelect_triggered()
{
    if (projectCanvases.isEmpty())
        return;
    setToolMode(Canvas::SelectItem, selectCursor);
}

void MainWindow::on_actionSelf_transition_triggered()
{
    if (currentCanvas)
        currentCanvas->addSelfTransitionItem();
}

// ---- Commands on the shown canvas -------------------------------------------

void MainWindow::on_actionUndo_triggered()
{
    QUndoStack* history = projectCanvases.history();
    if (!history->canUndo() || simulationLocked)
        return;
    history->undo();
    showCanvasOf(history->command(history->index()));
}

void MainWindow::on_actionRedo_triggered()
{
    QUndoStack* history = projectCanvases.history();
    if (!history->canRedo() || simulationLocked)
        return;
    history->redo();
    showCanvasOf(history->command(history->index() - 1));
}

void MainWindow::zoomBy(double factor)
{
    QGraphicsView* view = ui->graphicsView;
    view->centerOn(0, 0);
    const QTransform transform = view->transform();
    view->translate(transform.dx(), transform.dy());
    GraphicsViewZoom::scaleWithinLimits(view, factor);
}

void MainWindow::on_actionzoom_in_triggered() { zoomBy(1.1); }
void MainWindow::on_actionzoom_out_triggered() { zoomBy(0.9); }

void MainWindow::on_actionFit_to_window_triggered()
{
    if (projectCanvases.isEmpty() || !currentCanvas)
        return;
    ui->graphicsView->ensureVisible(currentCanvas->area(), 50, 50);
    ui->graphicsView->fitInView(currentCanvas->contentRect(), Qt::KeepAspectRatio);
    GraphicsViewZoom::clampScale(ui->graphicsView);
}

void MainWindow::on_actionBringToFront_triggered()
{
    if (!currentCanvas || currentCanvas->selectedItems().isEmpty())
        return;
    QGraphicsItem* item = currentCanvas->selectedItems().first();
    if (item->type() == QGraphicsLineItem::Type)
        return;
    pushZOrder(item, currentCanvas->nextZValue(), tr("Bring to Front"));
}

void MainWindow::on_actionSendToBack_triggered()
{
    if (!currentCanvas || currentCanvas->selectedItems().isEmpty())
        return;
    QGraphicsItem* item = currentCanvas->selectedItems().first();
    if (item->type() == QGraphicsLineItem::Type)
        return;
    pushZOrder(item, 1.0, tr("Send to Back"));
}

void MainWindow::on_actionSet_Canvas_Size_triggered()
{
    canvasSizeDialog.setWidth(canvasWidth);
    canvasSizeDialog.setHeight(canvasHeight);
    canvasSizeDialog.fillValues();
    if (canvasSizeDialog.exec() != QDialog::Accepted)
        return;
    canvasWidth = canvasSizeDialog.getWidth();
    canvasHeight = canvasSizeDialog.getHeight();
    // The diagrams of processes drawn from now on take the size too.
    projectCanvases.setCanvasSize(canvasWidth, canvasHeight);
    if (currentCanvas) {
        currentCanvas->setArea(QRectF(0, 0, canvasWidth, canvasHeight));
        ui->graphicsView->setSceneRect(currentCanvas->area());
    }
}

void MainWindow::on_actionShow_Project_Browser_triggered()
{
    projectBrowserDock->setVisible(!projectBrowserDock->isVisible());
}

// ---- Item properties from the context menus ---------------------------------

void MainWindow::displaySIPropertiesFromScene()
{
    if (!currentCanvas)
        return;
    currentCanvas->displayStateProperties();
}

void MainWindow::displayTIPropertiesFromScene()
{
    if (!currentCanvas)
        return;
    currentCanvas->displayTransitionProperties();
}

void MainWindow::displayTextItemPropertiesFromScene()
{
    if (!currentCanvas)
        return;
    currentCanvas->displayTextItemProperties();
}

void MainWindow::displayLinkItemPropertiesFromScene()
{
    if (!currentCanvas)
        return;
    currentCanvas->displayLinkItemProperties();
}

void MainWindow::displayMemoryItemPropertiesFromScene()
{
    if (!currentCanvas)
        return;
    currentCanvas->displayMemoryItemProperties();
}

void MainWindow::displayDataflowItemPropertiesFromScene()
{
    if (!currentCanvas)
        return;
    currentCanvas->displayDataflowItemProperties();
}

// ---- Help -------------------------------------------------------------------

void MainWindow::on_actionAbout_triggered()
{
    const QString text = QStringLiteral("Korvel ") + QCoreApplication::applicationVersion() + " \n\n"
        + "Build Number: " + buildNumber + "\n" + "Powered by Qt" + "\n\n"
        + tr("Made by the Korvel developers for embedded software teams.");
    QMessageBox::about(this, QStringLiteral("Korvel"), text);
}

void MainWindow::on_actionGetting_started_triggered()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(gettingStartedUrl)));
}

void MainWindow::on_actionReport_a_bug_triggered()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(featureRequestUrl)));
}

void MainWindow::on_actionReuqest_feature_triggered()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(featureRequestUrl)));
}

void MainWindow::on_actionEula_triggered()
{
    eula.exec();
}

void MainWindow::on_actionAbout_Qt_triggered()
{
    QMessageBox::aboutQt(this, tr("About Qt"));
}

void MainWindow::on_actionCheck_for_update_triggered()
{
    // Asked for by the user: the outcome is reported either way.
    updateInterface->checkForUpdates(false);
}

void MainWindow::on_actionAppTour_triggered()
{
    startAppTour();
}

void MainWindow::on_actionCode_Generator_triggered()
{
    runCodeGenerator();
}

// Help > Keyboard Shortcuts: every command that has one, read from the
// actions themselves so that the list cannot go stale, and the keys that
// belong to no menu.
void MainWindow::on_actionKeyboard_Shortcuts_triggered()
{
    QList<QPair<QString, QString>> rows;
    for (QAction* action : findChildren<QAction*>()) {
        if (action->shortcuts().isEmpty())
            continue;
        QStringList keys;
        for (const QKeySequence& key : action->shortcuts())
            keys << key.toString(QKeySequence::NativeText);
        // Undo and Redo carry the name of a step; the list names the command.
        QString name = action == ui->actionUndo ? tr("Undo") : action == ui->actionRedo ? tr("Redo") : action->text();
        name.remove(QLatin1Char('&')).remove(QChar(0x2026));
        rows.append({name, keys.join(QStringLiteral(", "))});
    }
    std::sort(rows.begin(), rows.end());
    rows.append({tr("Back to Select, dropping a connector being drawn"),
                 QKeySequence(Qt::Key_Escape).toString(QKeySequence::NativeText)});
    rows.append({tr("Fit to Window"), QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)});
    rows.append({tr("Move the selection by one unit"), tr("Arrow keys")});
    rows.append({tr("Move the selection by ten units"), tr("Shift+Arrow keys")});

    QDialog dialog(this);
    dialog.setWindowTitle(tr("Korvel - Keyboard Shortcuts"));
    auto* table = new QTableWidget(rows.size(), 2, &dialog);
    table->setObjectName(QStringLiteral("TW_Shortcuts"));
    table->setHorizontalHeaderLabels({tr("Command"), tr("Shortcut")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    for (int row = 0; row < rows.size(); ++row) {
        table->setItem(row, 0, new QTableWidgetItem(rows.at(row).first));
        table->setItem(row, 1, new QTableWidgetItem(rows.at(row).second));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(table);
    layout->addWidget(buttons);
    dialog.resize(520, 560);
    dialog.exec();
}
