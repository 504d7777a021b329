// Project commands and the binding of the project to its canvases.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGraphicsView>
#include <QMessageBox>

#include "treemodel.h"

bool MainWindow::createCanvasElement(t_strReadProcessItem* node)
{
    auto* canvas = new Canvas(&contextMenus, this);
    lastCreatedCanvas = canvas;
    canvas->setId(node->id);
    canvas->setParentId(node->parentId);
    canvas->setGrandParentId(node->grandParentId);
    canvas->setLevel(node->level);
    canvas->setNos(node->Nos);
    canvas->setLabel(node->label);
    canvas->setSceneRect(0, 0, canvasWidth, canvasHeight);
    canvas->setActions(&processAddedAction);
    canvas->setProcessLabelChangedAction(&processLabelChangedAction);
    canvas->setSaveAction(&saveAction);
    canvas->setReturnToSelectAction(&returnToSelectAction);
    canvases.append(canvas);
    return true;
}

Canvas* MainWindow::getCanvasItem(int level, int id, int parentId, bool* found) const
{
    for (Canvas* canvas : canvases) {
        if (canvas->getLevel() == level && canvas->getId() == id && canvas->getParentId() == parentId) {
            if (found)
                *found = true;
            return canvas;
        }
    }
    if (found)
        *found = false;
    return nullptr;
}

int MainWindow::getCanvasItemPos(t_strReadProcessItem* node, bool* found) const
{
    for (int pos = 0; pos < canvases.size(); ++pos) {
        const Canvas* canvas = canvases.at(pos);
        if (canvas->getLabel() == node->label && canvas->getLevel() == node->level
            && canvas->getId() == node->id && canvas->getParentId() == node->parentId
            && canvas->getGrandParentId() == node->grandParentId) {
            if (found)
                *found = true;
            return pos;
        }
    }
    if (found)
        *found = false;
    return 0;
}

bool MainWindow::setActiveScene(int pos)
{
    currentCanvas = canvases.value(pos);
    ui->graphicsView->setScene(currentCanvas);
    return true;
}

void MainWindow::clearAllData()
{
    // Nothing may keep showing or pointing at a canvas that is released here.
    ui->graphicsView->setScene(nullptr);
    currentCanvas = nullptr;
    lastCreatedCanvas = nullptr;
    currentTreeNode = nullptr;
    qDeleteAll(canvases);
    canvases.clear();
    xmlIO.processItemRecords.clear();
    xmlIO.stateItemRecords.clear();
    xmlIO.transitionItemRecords.clear();
    xmlIO.textItemRecords.clear();
    xmlIO.linkItemRecords.clear();
    xmlIO.memoryItemRecords.clear();
    xmlIO.dataflowItemRecords.clear();
    clearProjectModel();
}

void MainWindow::clearProjectModel()
{
    currentTreeNode = nullptr;
    if (projectModel->rowCount() > 0)
        projectModel->removeRows(0, projectModel->rowCount());
    projectModel->setHeaderData(0, Qt::Horizontal, QString(), Qt::EditRole);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (ui->actionSave->isEnabled()) {
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
        if (answer == QMessageBox::Save)
            saveDataToFile();
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

// The project commands below are completed together with the project file
// reader and writer; until then they leave the window as it is.

void MainWindow::on_actionNew_triggered() {}
void MainWindow::on_actionOpen_triggered() {}
void MainWindow::on_actionSave_triggered() {}
void MainWindow::on_actionSave_As_triggered() {}
void MainWindow::on_actionOpen_Examples_triggered() {}
void MainWindow::on_actionRename_Project_triggered() {}

void MainWindow::on_actionClose_Project_triggered()
{
    if (ui->actionSave->isEnabled()) {
        QMessageBox box(this);
        box.setWindowTitle(QStringLiteral("Korvel"));
        box.setText(tr("Project has been modified."));
        box.setInformativeText(tr("Do you want to save your changes?"));
        box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Save);
        const int answer = box.exec();
        if (answer == QMessageBox::Cancel)
            return;
        if (answer == QMessageBox::Save)
            saveDataToFile();
    }
    clearAllData();
    setKorvelInBlankState();
}

bool MainWindow::openProjectFile(const QString& /*path*/)
{
    return false;
}

void MainWindow::slot_processItemAdded()
{
    enableAction(POS_SAVE);
}

void MainWindow::displayProcessItemPropertiesFromScene()
{
    if (!currentCanvas)
        return;
    currentCanvas->displayProcessItemProperties();
    enableAction(POS_SAVE);
}

void MainWindow::deleteSelectedItems() {}
void MainWindow::startAppTour() {}
void MainWindow::runCodeGenerator() {}
