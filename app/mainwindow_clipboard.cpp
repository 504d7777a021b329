// Cut, copy, paste and duplicate: the clipboard's side of the window.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QUndoStack>

#include <memory>

#include "arriveditemscommand.h"
#include "blockitemscommand.h"
#include "selectionclipboard.h"

namespace {
// How far a paste lands from the items copied, and a second one from the first.
constexpr qreal pasteStep = 20;
} // namespace

bool MainWindow::copySelection()
{
    if (!currentCanvas)
        return false;
    QMimeData* data = SelectionClipboard::copy(projectCanvases, currentCanvas, currentCanvas->selectedItems());
    if (!data)
        return false;
    QGuiApplication::clipboard()->setMimeData(data);
    pastesSinceCopy = 0;
    return true;
}

void MainWindow::on_actionCopy_triggered()
{
    copySelection();
}

void MainWindow::on_actionCut_triggered()
{
    if (!simulationLocked && copySelection())
        deleteSelection(tr("Cut"));
}

void MainWindow::on_actionPaste_triggered()
{
    // At the pointer when it is over the canvas (a shortcut), else a step
    // further from the originals with each paste (the menu).
    QWidget* viewport = ui->graphicsView->viewport();
    const QPoint pointer = viewport->mapFromGlobal(QCursor::pos());
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (viewport->underMouse() && viewport->rect().contains(pointer)) {
        const QPointF at = ui->graphicsView->mapToScene(pointer);
        pasteItems(data, &at, QPointF(), tr("Paste"));
        return;
    }
    ++pastesSinceCopy;
    pasteItems(data, nullptr, QPointF(pasteStep, pasteStep) * pastesSinceCopy, tr("Paste"));
}

void MainWindow::on_actionDuplicate_triggered()
{
    if (!currentCanvas || simulationLocked)
        return;
    // The clipboard keeps what it holds.
    const std::unique_ptr<QMimeData> data(
        SelectionClipboard::copy(projectCanvases, currentCanvas, currentCanvas->selectedItems()));
    if (data)
        pasteItems(data.get(), nullptr, QPointF(pasteStep, pasteStep), tr("Duplicate"));
}

void MainWindow::pasteItems(const QMimeData* data, const QPointF* at, QPointF offset, const QString& text)
{
    if (!currentCanvas || simulationLocked)
        return;
    Canvas* canvas = currentCanvas;
    projectCanvases.setCanvasSize(canvasWidth, canvasHeight);
    const SelectionClipboard::Pasted pasted = SelectionClipboard::paste(data, canvas, &projectCanvases, at, offset);
    if (!pasted.refusal.isEmpty()) {
        QMessageBox::information(this, QStringLiteral("Korvel"), pasted.refusal);
        return;
    }
    const QList<QGraphicsItem*> items = pasted.items();
    if (items.isEmpty())
        return;
    QUndoStack* history = projectCanvases.history();
    history->beginMacro(text);
    if (!pasted.blocks.isEmpty())
        history->push(new BlockItemsCommand(canvas, &projectCanvases, pasted.blocks, BlockItemsCommand::Arrival,
                                            text));
    if (!pasted.states.isEmpty() || !pasted.texts.isEmpty())
        history->push(new ArrivedItemsCommand(canvas, pasted.states, pasted.texts, text));
    history->endMacro();
    if (!pasted.diagrams.isEmpty())
        restoreBrowserTree();
    canvas->clearSelection();
    for (QGraphicsItem* item : items)
        item->setSelected(true);
    canvas->coverItems();
    canvas->update();
}
