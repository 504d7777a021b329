// Keeps the browser tree, the canvases and the process items of the open
// project in step.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QGraphicsView>
#include <QMessageBox>
#include <QPointer>
#include <QSet>
#include <QUndoStack>

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "blockitemscommand.h"
#include "dataflowitem.h"
#include "deletestatecommand.h"
#include "deletetextcommand.h"
#include "deletetransitioncommand.h"
#include "finddock.h"
#include "problemsdock.h"
#include "initialtransition.h"
#include "initialtransitionline.h"
#include "itemtype.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
#include "treeitem.h"
#include "treemodel.h"
#include "zordercommand.h"

namespace {

t_strReadProcessItem nodeOf(const ProcessItem* process)
{
    t_strReadProcessItem node;
    node.level = process->getLevel();
    node.id = process->getId();
    node.parentId = process->getParentId();
    node.grandParentId = process->getGrandParentId();
    node.Nos = process->getNos();
    node.label = process->getLabel();
    return node;
}

} // namespace

bool MainWindow::createCanvasElement(t_strReadProcessItem* node, ProjectNode* shown)
{
    projectCanvases.setCanvasSize(canvasWidth, canvasHeight);
    return projectCanvases.createCanvasElement(node, shown) != nullptr;
}

Canvas* MainWindow::getCanvasItem(int level, int id, int parentId, bool* found) const
{
    return projectCanvases.getCanvasItem(level, id, parentId, found);
}

int MainWindow::getCanvasItemPos(t_strReadProcessItem* node, bool* found) const
{
    return projectCanvases.getCanvasItemPos(node, found);
}

bool MainWindow::setActiveScene(int pos)
{
    currentCanvas = projectCanvases.at(pos);
    ui->graphicsView->setScene(currentCanvas);
    // A drag from an empty place selects what it encloses; the canvas keeps
    // its presses in the drawing tools, so the band starts only in select mode.
    ui->graphicsView->setDragMode(QGraphicsView::RubberBandDrag);
    // The view scrolls over the canvas's area, not over all the scene holds.
    ui->graphicsView->setSceneRect(currentCanvas->area());
    updateUndoRedoTexts();
    return true;
}

void MainWindow::createTreeElement(t_strReadProcessItem* node)
{
    if (!currentTreeNode)
        return;
    const QModelIndex parent = projectModel->indexOf(currentTreeNode);
    const int row = currentTreeNode->childCount();
    if (!projectModel->insertRows(row, 1, parent))
        return;
    projectModel->setData(projectModel->index(row, 0, parent), node->label, Qt::EditRole);
}

void MainWindow::updateProjectModel()
{
    projectModel->updateProjectModel();
}

void MainWindow::clearAllData()
{
    finishSaving();
    endSimulation();
    // Nothing may keep showing or pointing at a canvas released here.
    ui->graphicsView->setScene(nullptr);
    currentCanvas = nullptr;
    currentTreeNode = nullptr;
    findDock->clear();
    problemCheck->cancel();
    machineTests->cancel();
    clearCoverageMarks();
    problemsDock->clear();
    projectCanvases.clear();
    autosave->projectClosed();
    xmlIO.clearRecords();
    clearProjectModel();
    changedOutsideUndo = false;
    refreshModifiedState();
    updateUndoRedoTexts();
#ifdef __GLIBC__
    // A large project leaves much of the heap free; give it back at once.
    malloc_trim(0);
#endif
}

void MainWindow::clearProjectModel()
{
    currentTreeNode = nullptr;
    if (projectModel->rowCount() > 0)
        projectModel->removeRows(0, projectModel->rowCount());
    projectModel->setHeaderData(0, Qt::Horizontal, QString(), Qt::EditRole);
}

// ---- Browser ----------------------------------------------------------------

void MainWindow::on_treeView_doubleClicked(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    TreeItem* item = projectModel->getItem(index);
    t_strReadProcessItem node;
    node.level = item->getLevel();
    node.id = item->getId();
    node.parentId = item->getParentId();
    node.grandParentId = item->getGrandParentId();
    node.label = item->data(0).toString();

    bool found = false;
    const int pos = getCanvasItemPos(&node, &found);
    if (!found)
        return;
    Canvas* canvas = projectCanvases.at(pos);
    if (canvas != currentCanvas)
        showCanvas(canvas);
}

// ---- Processes ----------------------------------------------------------------

void MainWindow::slot_processItemAdded()
{
    if (!currentCanvas || !currentCanvas->newProcessItem)
        return;
    // The project made the process's diagram as its node came; the canvas
    // pushes the step that adds the process once this returns.
    currentCanvas->diagramNode().renumberChildren();
    t_strReadProcessItem node = nodeOf(currentCanvas->newProcessItem);
    createTreeElement(&node);
    updateProjectModel();
}

void MainWindow::displayProcessItemPropertiesFromScene()
{
    // The canvas reports the change; followProcessName renames the diagram.
    if (currentCanvas && currentCanvas->currentProcess)
        currentCanvas->displayProcessItemProperties();
}

void MainWindow::followProcessName(ProcessItem* process)
{
    Canvas* diagram = projectCanvases.diagramOf(process);
    if (!diagram || diagram->getLabel() == process->getLabel())
        return;
    // Found by its old name, the browser's node takes the new one in place.
    TreeItem* node = treeNodeOf(diagram);
    diagram->setLabel(process->getLabel());
    if (node)
        projectModel->setData(projectModel->indexOf(node), process->getLabel(), Qt::EditRole);
    else
        restoreBrowserTree();
}

// ---- Delete -----------------------------------------------------------------

namespace {
QString deleteText(int type)
{
    switch (type) {
    case ProcessType: return MainWindow::tr("Delete Process");
    case LinkType: return MainWindow::tr("Delete Link");
    case MemoryType: return MainWindow::tr("Delete Memory Item");
    case DataflowType: return MainWindow::tr("Delete Dataflow");
    }
    return MainWindow::tr("Delete Items");
}
} // namespace

void MainWindow::on_actionDelete_triggered()
{
    deleteSelection();
}

void MainWindow::deleteSelection(const QString& stepText)
{
    if (!currentCanvas || simulationLocked)
        return;
    Canvas* canvas = currentCanvas;

    QList<QGraphicsItem*> blocks;
    QList<QPointer<QObject>> machineItems;
    int processes = 0;
    for (QGraphicsItem* item : canvas->selectedItems()) {
        if (!isEditableItemType(item->type()))
            continue;
        if (item->type() == StateType || item->type() == TransitionType || item->type() == TextType) {
            // Deleting a state takes its transitions along, so each is
            // looked at through a guarded pointer.
            machineItems.append(dynamic_cast<QObject*>(item));
        } else {
            blocks.append(item);
            processes += item->type() == ProcessType ? 1 : 0;
        }
    }
    if (processes > 0 && processes >= canvas->processItems.size()) {
        QMessageBox::information(this, QStringLiteral("Korvel"), tr("Last Process Item cannot be deleted"));
        return;
    }
    const int steps = machineItems.size() + (blocks.isEmpty() ? 0 : 1);
    if (steps == 0)
        return;
    const bool macro = steps > 1 || !stepText.isEmpty();

    // The whole selection is one undo step, and one repaint: with the whole
    // canvas to be repainted, removing an item marks nothing of its own.
    canvas->update();
    QUndoStack* history = projectCanvases.history();
    if (macro)
        history->beginMacro(stepText.isEmpty() ? tr("Delete %1 Items").arg(machineItems.size() + blocks.size())
                                               : stepText);
    if (!blocks.isEmpty()) {
        const QString text = blocks.size() == 1 ? deleteText(blocks.first()->type()) : tr("Delete Items");
        history->push(new BlockItemsCommand(canvas, &projectCanvases, blocks, BlockItemsCommand::Remove, text));
    }
    // The states go in one step, which goes through the canvas's lists once.
    QVector<StateItem*> states;
    for (const QPointer<QObject>& guarded : qAsConst(machineItems)) {
        auto* state = qobject_cast<StateItem*>(guarded.data());
        if (!canvas->holds(state))
            continue;
        if (state->initialStatus()) {
            canvas->initialTransition->setSafeToPaint(false);
            canvas->initialTransitionLine->setSafeToPaint(false);
            canvas->initialTransition->clearInitialState();
            canvas->initialTransitionLine->clearInitialState();
            canvas->removeItem(canvas->initialTransition);
            canvas->removeItem(canvas->initialTransitionLine);
        }
        states.append(state);
    }
    if (!states.isEmpty())
        history->push(new DeleteStateCommand(canvas, states));
    // So do the transitions that did not go with them.
    QVector<TransitionItem*> transitions;
    for (const QPointer<QObject>& guarded : qAsConst(machineItems)) {
        auto* transition = qobject_cast<TransitionItem*>(guarded.data());
        if (canvas->holds(transition))
            transitions.append(transition);
    }
    if (!transitions.isEmpty())
        history->push(new DeleteTransitionCommand(canvas, transitions));
    for (const QPointer<QObject>& guarded : qAsConst(machineItems)) {
        auto* text = qobject_cast<TextItem*>(guarded.data());
        if (canvas->holds(text))
            history->push(new DeleteTextCommand(canvas, text, nullptr));
    }
    if (macro)
        history->endMacro();
    canvas->update();
}

// ---- Undo and redo ------------------------------------------------------------

void MainWindow::pushZOrder(QGraphicsItem* item, qreal z, const QString& text)
{
    if (simulationLocked || item->zValue() == z)
        return;
    projectCanvases.history()->push(new ZOrderCommand(currentCanvas, item, z, text));
}

void MainWindow::showCanvasOf(const QUndoCommand* command)
{
    // A macro shows the canvas of its first step.
    while (command && !dynamic_cast<const CanvasCommand*>(command) && command->childCount() > 0)
        command = command->child(0);
    const auto* step = dynamic_cast<const CanvasCommand*>(command);
    Canvas* target = step ? step->target() : nullptr;
    if (!projectCanvases.contains(target))
        target = projectCanvases.contains(currentCanvas) ? currentCanvas : projectCanvases.at(0);
    if (target && target != currentCanvas)
        showCanvas(target);
    else if (currentCanvas)
        currentCanvas->update();
}

void MainWindow::showCanvas(Canvas* canvas)
{
    const int pos = projectCanvases.all().indexOf(canvas);
    if (pos < 0)
        return;
    setActiveScene(pos);
    currentTreeNode = treeNodeOf(canvas);
    const enKorvelActionsState states[] = {STATE_LEVEL1, STATE_LEVEL2, STATE_LEVEL3, STATE_LEVEL4,
                                           STATE_LEVEL5};
    const int level = canvas->getLevel();
    if (level >= 1 && level <= 5)
        activateActionsFromKorvelState(states[level - 1]);
    on_actionSelect_triggered();
    projectCanvases.refillMirrors(canvas);
}

void MainWindow::on_actionSelect_All_triggered()
{
    if (currentCanvas)
        currentCanvas->selectAllItems();
}

void MainWindow::on_actionProperties_triggered()
{
    if (!currentCanvas || simulationLocked)
        return;
    // The one item selected; a connector's line counts as its box.
    QGraphicsItem* chosen = nullptr;
    for (QGraphicsItem* item : currentCanvas->selectedItems()) {
        if (!isEditableItem(item))
            continue;
        if (chosen)
            return;
        chosen = item;
    }
    currentCanvas->editProperties(chosen);
}
