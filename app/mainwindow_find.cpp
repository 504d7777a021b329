// Edit > Find: the dock, the search over the project and the way a result
// is shown.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QGraphicsView>

#include "finddock.h"

void MainWindow::initFind()
{
    findDock = new FindDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, findDock);
    findDock->hide();
    connect(findDock, &FindDock::searchRequested, this, &MainWindow::runFind);
    connect(findDock, &FindDock::resultChosen, this, &MainWindow::showFound);
}

void MainWindow::on_actionFind_triggered()
{
    findDock->focusField();
}

void MainWindow::runFind(const QString& text)
{
    findDock->setResults(ProjectSearch::find(projectCanvases, text));
    findDock->showResult(0);
}

void MainWindow::on_actionFind_Next_triggered()
{
    // Before any search, F3 asks for the text as Ctrl+F does.
    if (findDock->results().isEmpty()) {
        if (findDock->text().isEmpty())
            findDock->focusField();
        else
            runFind(findDock->text());
        return;
    }
    findDock->step(1);
}

void MainWindow::on_actionFind_Previous_triggered()
{
    if (findDock->results().isEmpty()) {
        on_actionFind_Next_triggered();
        return;
    }
    findDock->step(-1);
}

void MainWindow::showFound(const ProjectSearch::Hit& hit)
{
    Canvas* canvas = hit.canvas.data();
    QGraphicsItem* item = hit.item();
    // A result may outlive its element: deleted, or taken off with its
    // process.
    if (!canvas || !item || !projectCanvases.contains(canvas) || !canvas->holds(item)) {
        findDock->setStatus(tr("%1 is no longer in the project.").arg(hit.name));
        return;
    }
    if (canvas != currentCanvas)
        showCanvas(canvas);
    canvas->clearSelection();
    item->setSelected(true);
    ui->graphicsView->centerOn(item);
    findDock->setStatus(tr("%1 of %2: %3 in %4").arg(findDock->currentResult() + 1)
                            .arg(findDock->results().size()).arg(hit.name, hit.where));
}
