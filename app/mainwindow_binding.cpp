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

#include "dataflowitem.h"
#include "deletestatecommand.h"
#include "deletetextcommand.h"
#include "deletetransitioncommand.h"
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

// Every item on a canvas carries the identity of the canvas it lies on.
template <typename T>
void relocate(const QVector<T*>& items, const Canvas* canvas)
{
    for (T* item : items) {
        item->setLevel(canvas->getLevel() + 1);
        item->setParentId(canvas->getId());
        item->setGrandParentId(canvas->getParentId());
    }
}

} // namespace

bool MainWindow::createCanvasElement(t_strReadProcessItem* node)
{
    projectCanvases.setCanvasSize(canvasWidth, canvasHeight);
    lastCreatedCanvas = projectCanvases.createCanvasElement(node);
    watchUndoStack(lastCreatedCanvas);
    return true;
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
    endSimulation();
    // Nothing may keep showing or pointing at a canvas released here.
    ui->graphicsView->setScene(nullptr);
    currentCanvas = nullptr;
    lastCreatedCanvas = nullptr;
    currentTreeNode = nullptr;
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
    if (canvas == currentCanvas)
        return;

    setActiveScene(pos);
    currentTreeNode = item;
    const enKorvelActionsState states[] = {STATE_LEVEL1, STATE_LEVEL2, STATE_LEVEL3, STATE_LEVEL4,
                                           STATE_LEVEL5};
    if (node.level >= 1 && node.level <= 5)
        activateActionsFromKorvelState(states[node.level - 1]);
    // A tool chosen on another canvas does not carry over.
    on_actionSelect_triggered();

    projectCanvases.refillMirrors(canvas);
}

// ---- Processes ----------------------------------------------------------------

void MainWindow::slot_processItemAdded()
{
    if (!currentCanvas || !currentCanvas->newProcessItem)
        return;
    t_strReadProcessItem node = nodeOf(currentCanvas->newProcessItem);
    createCanvasElement(&node);
    updateRestProcessItemsAndCanvasItems();
    createTreeElement(&node);
    updateProjectModel();
    markModified();
}

void MainWindow::updateRestProcessItemsAndCanvasItems()
{
    if (!currentCanvas)
        return;

    // Find every owned canvas before any identity changes, then renumber the
    // whole subtree top down, so that canvases deeper down keep matching the
    // processes and browser nodes above them.
    QHash<ProcessItem*, Canvas*> owned;
    QSet<Canvas*> seen {currentCanvas};
    QVector<Canvas*> pending {currentCanvas};
    while (!pending.isEmpty()) {
        Canvas* canvas = pending.takeLast();
        for (ProcessItem* process : qAsConst(canvas->processItems)) {
            bool found = false;
            Canvas* child = getCanvasItem(process->getLevel(), process->getId(), process->getParentId(), &found);
            if (found && !seen.contains(child)) {
                seen.insert(child);
                owned.insert(process, child);
                pending.append(child);
            }
        }
    }

    pending = {currentCanvas};
    while (!pending.isEmpty()) {
        Canvas* canvas = pending.takeLast();
        const int count = canvas->processItems.size();
        for (int i = 0; i < count; ++i) {
            ProcessItem* process = canvas->processItems.at(i);
            process->setId(i + 1);
            process->setNos(count);
            process->setLevel(canvas->getLevel() + 1);
            process->setParentId(canvas->getId());
            process->setGrandParentId(canvas->getParentId());
            if (Canvas* child = owned.value(process, nullptr)) {
                child->setId(i + 1);
                child->setNos(count);
                child->setLevel(process->getLevel());
                child->setParentId(process->getParentId());
                child->setGrandParentId(process->getGrandParentId());
                pending.append(child);
            }
        }
        if (canvas == currentCanvas)
            continue;
        for (StateItem* state : qAsConst(canvas->stateItems)) {
            state->setLevel(canvas->getLevel() + 1);
            state->setparentId(canvas->getId());
            state->setGrandParentId(canvas->getParentId());
        }
        relocate(canvas->transitionItems, canvas);
        relocate(canvas->textItems, canvas);
        relocate(canvas->linkItems, canvas);
        relocate(canvas->memoryItems, canvas);
        relocate(canvas->dataflowItems, canvas);
    }
}

void MainWindow::displayProcessItemPropertiesFromScene()
{
    if (!currentCanvas || !currentCanvas->currentProcess || !currentTreeNode)
        return;
    ProcessItem* process = currentCanvas->currentProcess;
    t_strReadProcessItem node = nodeOf(process);
    bool canvasFound = false;
    const int pos = getCanvasItemPos(&node, &canvasFound);
    bool rowFound = false;
    const int row = currentTreeNode->getChildPos(node.level, node.id, node.parentId, node.grandParentId,
                                                 node.label, &rowFound);
    if (!canvasFound || !rowFound)
        return;

    // The canvas reports a change itself; only the names need following.
    if (!currentCanvas->displayProcessItemProperties())
        return;
    projectCanvases.at(pos)->setLabel(process->getLabel());
    const QModelIndex parent = projectModel->indexOf(currentTreeNode);
    projectModel->setData(projectModel->index(row, 0, parent), process->getLabel(), Qt::EditRole);
}

// ---- Delete -----------------------------------------------------------------

void MainWindow::on_actionDelete_triggered()
{
    if (!currentCanvas)
        return;
    Canvas* canvas = currentCanvas;

    // Deleting one item may delete others of the selection (a process takes
    // its links along), so each is looked at through a guarded pointer.
    QList<QPointer<QObject>> selection;
    for (QGraphicsItem* item : canvas->selectedItems()) {
        if (isEditableItemType(item->type()))
            selection.append(dynamic_cast<QObject*>(item));
    }

    // Processes first: deleting one may be refused or cancelled, and then
    // nothing else of the selection may be gone either.
    std::stable_partition(selection.begin(), selection.end(), [](const QPointer<QObject>& guarded) {
        auto* item = dynamic_cast<QGraphicsItem*>(guarded.data());
        return item && item->type() == ProcessType;
    });

    for (const QPointer<QObject>& guarded : qAsConst(selection)) {
        QObject* object = guarded.data();
        auto* item = dynamic_cast<QGraphicsItem*>(object);
        if (!item || item->scene() != canvas)
            continue;
        // States, transitions and texts go through the undo stack, which
        // reports itself; the other kinds are gone for good.
        switch (item->type()) {
        case StateType: {
            auto* state = static_cast<StateItem*>(item);
            if (state->initialStatus()) {
                canvas->initialTransition->setSafeToPaint(false);
                canvas->initialTransitionLine->setSafeToPaint(false);
                canvas->initialTransition->clearInitialState();
                canvas->initialTransitionLine->clearInitialState();
                canvas->removeItem(canvas->initialTransition);
                canvas->removeItem(canvas->initialTransitionLine);
            }
            canvas->undoStack()->push(new DeleteStateCommand(canvas, state, nullptr));
            break;
        }
        case TransitionType:
            canvas->undoStack()->push(
                new DeleteTransitionCommand(canvas, static_cast<TransitionItem*>(item), nullptr));
            break;
        case TextType:
            canvas->undoStack()->push(new DeleteTextCommand(canvas, static_cast<TextItem*>(item), nullptr));
            break;
        case LinkType: {
            auto* link = static_cast<LinkItem*>(item);
            if (link->startItem())
                link->startItem()->removeLink(link);
            if (link->endItem())
                link->endItem()->removeLink(link);
            link->removeLinkLines();
            canvas->linkItems.removeOne(link);
            canvas->removeItem(link);
            if (canvas->currentLink == link)
                canvas->currentLink = nullptr;
            if (canvas->newLinkItem == link)
                canvas->newLinkItem = nullptr;
            delete link;
            markModified();
            break;
        }
        case MemoryType: {
            auto* memory = static_cast<MemoryItem*>(item);
            for (DataflowItem* dataflow : memory->getDataflows())
                canvas->dataflowItems.removeOne(dataflow);
            memory->removeAllDataflowItems();
            canvas->memoryItems.removeOne(memory);
            canvas->removeItem(memory);
            if (canvas->currentMemory == memory)
                canvas->currentMemory = nullptr;
            if (canvas->newMemoryItem == memory)
                canvas->newMemoryItem = nullptr;
            delete memory;
            markModified();
            break;
        }
        case DataflowType: {
            auto* dataflow = static_cast<DataflowItem*>(item);
            if (ProcessItem* process = dataflow->getProcess())
                process->removeDataflow(dataflow);
            if (MemoryItem* memory = dataflow->getMemory())
                memory->removeDataflow(dataflow);
            dataflow->removeDataflowLines();
            canvas->dataflowItems.removeOne(dataflow);
            canvas->removeItem(dataflow);
            if (canvas->currentDataflow == dataflow)
                canvas->currentDataflow = nullptr;
            if (canvas->newDataflowItem == dataflow)
                canvas->newDataflowItem = nullptr;
            delete dataflow;
            markModified();
            break;
        }
        case ProcessType:
            if (!deleteProcess(static_cast<ProcessItem*>(item)))
                return;
            markModified();
            break;
        }
        canvas->update();
    }
}

bool MainWindow::deleteProcess(ProcessItem* process)
{
    Canvas* canvas = currentCanvas;
    if (canvas->processItems.size() < 2) {
        QMessageBox::information(this, QStringLiteral("Korvel"), tr("Last Process Item cannot be deleted"));
        return false;
    }
    t_strReadProcessItem node = nodeOf(process);
    bool canvasFound = false;
    const int pos = getCanvasItemPos(&node, &canvasFound);
    bool rowFound = false;
    const int row = currentTreeNode
        ? currentTreeNode->getChildPos(node.level, node.id, node.parentId, node.grandParentId, node.label,
                                       &rowFound)
        : 0;
    if (!canvasFound || !rowFound)
        return false;

    // The process's canvas goes, and with it the canvases of the whole
    // subtree the browser is about to lose.
    QVector<Canvas*> dropped {projectCanvases.at(pos)};
    for (int i = 0; i < dropped.size(); ++i) {
        for (ProcessItem* child : qAsConst(dropped.at(i)->processItems)) {
            bool found = false;
            Canvas* owned = getCanvasItem(child->getLevel(), child->getId(), child->getParentId(), &found);
            if (found && !dropped.contains(owned) && owned != canvas)
                dropped.append(owned);
        }
    }

    int itemsLost = 0;
    for (Canvas* lost : qAsConst(dropped)) {
        for (QGraphicsItem* item : lost->items()) {
            if (isEditableItemType(item->type()))
                ++itemsLost;
        }
    }
    if (itemsLost > 0) {
        // Nothing can bring a deleted subtree back, so the user decides first.
        QMessageBox box(this);
        box.setWindowTitle(QStringLiteral("Korvel"));
        box.setIcon(QMessageBox::Warning);
        box.setText(tr("Delete process %1?").arg(process->getLabel()));
        const auto count = [](int n, const QString& one, const QString& many) {
            return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
        };
        box.setInformativeText(tr("This also deletes %1 and the %2 on them. This cannot be undone.")
                                   .arg(count(int(dropped.size()), tr("diagram"), tr("diagrams")),
                                        count(itemsLost, tr("item"), tr("items"))));
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        if (box.exec() != QMessageBox::Yes)
            return false;
    }

    for (LinkItem* link : process->getLinks())
        canvas->linkItems.removeOne(link);
    process->removeLinks();
    for (DataflowItem* dataflow : process->getDataflows())
        canvas->dataflowItems.removeOne(dataflow);
    process->removeAllDataflowItems();

    canvas->processItems.removeOne(process);
    canvas->removeItem(process);
    if (canvas->currentProcess == process)
        canvas->currentProcess = nullptr;
    if (canvas->newProcessItem == process)
        canvas->newProcessItem = nullptr;
    delete process;
    if (dropped.contains(lastCreatedCanvas))
        lastCreatedCanvas = nullptr;
    projectCanvases.remove(dropped);

    updateRestProcessItemsAndCanvasItems();
    projectModel->removeRows(row, 1, projectModel->indexOf(currentTreeNode));
    updateProjectModel();
    return true;
}
