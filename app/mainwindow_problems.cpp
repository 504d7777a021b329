// View > Problems: the design checks of the whole project, run again
// shortly after each change while the dock is shown.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDesktopServices>
#include <QGraphicsView>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

#include "dataflowitem.h"
#include "lineeditor.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "problemsdock.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

namespace {

// A pause after a change before the checks run: typing in a dialog or
// dragging gives many changes in a row.
constexpr int checkDelayMs = 300;

template <typename Item>
QGraphicsItem* itemIn(const QVector<Item*>& registry, ElementId element)
{
    for (Item* item : registry)
        if (item->elementId() == element)
            return item;
    return nullptr;
}

// The item of the canvas that element was taken of, if it is still there.
QGraphicsItem* itemOn(const Canvas* canvas, ElementId element)
{
    if (!element)
        return nullptr;
    // The views of the canvas's document first; processes are looked for.
    QGraphicsItem* const shown[] = {canvas->stateItemOf(element), canvas->transitionItemOf(element),
                                    canvas->memoryItemOf(element), canvas->textItemOf(element),
                                    canvas->linkItemOf(element),  canvas->dataflowItemOf(element)};
    for (QGraphicsItem* item : shown)
        if (canvas->holds(item))
            return item;
    return itemIn(canvas->processItems, element);
}

} // namespace

void MainWindow::initProblems()
{
    problemsDock = new ProblemsDock(this);
    addDockWidget(Qt::BottomDockWidgetArea, problemsDock);
    problemsDock->hide();
    QAction* show = problemsDock->toggleViewAction();
    show->setObjectName(QStringLiteral("actionShow_Problems"));
    ui->menuView->addAction(show);
    problemCheck = new ProblemCheck(this);
    problemsTimer = new QTimer(this);
    problemsTimer->setObjectName(QStringLiteral("problemsTimer"));
    problemsTimer->setSingleShot(true);
    problemsTimer->setInterval(checkDelayMs);
    connect(problemsTimer, &QTimer::timeout, this, &MainWindow::refreshProblems);
    connect(projectCanvases.history(), &QUndoStack::indexChanged, this, &MainWindow::scheduleProblems);
    connect(problemsDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && problemsStale)
            refreshProblems();
    });
    connect(problemsDock, &ProblemsDock::problemChosen, this, &MainWindow::showProblem);
    machineTests = new MachineTestJob(this);
    // What the tests reached is shown until the next edit.
    connect(projectCanvases.history(), &QUndoStack::indexChanged, this, &MainWindow::clearCoverageMarks);
}

void MainWindow::scheduleProblems()
{
    problemsStale = true;
    // The user acted: a message about the last Generate has had its say.
    heldStatus = false;
    if (problemsDock->isVisible())
        problemsTimer->start();
}

void MainWindow::refreshProblems()
{
    problemsTimer->stop();
    problemsStale = false;
    if (projectCanvases.isEmpty()) {
        problemCheck->cancel();
        problemsDock->clear();
        return;
    }
    problemCheck->start(projectCanvases, [this](const QVector<ProblemCheck::Problem>& problems) {
        problemsDock->setProblems(problems);
    });
}

void MainWindow::showProblem(const ProblemCheck::Problem& problem)
{
    if (!problem.element && !problem.file.isEmpty()) {
        // The desktop's editor, at the line where it can be told one.
        if (!LineEditor::open(problem.file, problem.line))
            QDesktopServices::openUrl(QUrl::fromLocalFile(problem.file));
        return;
    }
    Canvas* canvas = problem.canvas.data();
    if (!canvas || !projectCanvases.contains(canvas))
        return;
    if (canvas != currentCanvas)
        showCanvas(canvas);
    canvas->clearSelection();
    if (QGraphicsItem* item = itemOn(canvas, problem.element)) {
        item->setSelected(true);
        ui->graphicsView->centerOn(item);
    }
}

void MainWindow::showProblemsOfGenerate(const QString& message)
{
    refreshProblems();
    problemCheck->finish();
    problemsDock->show();
    problemsDock->raise();
    displayTempStatusBarMessage(message);
    heldStatus = true;
}
