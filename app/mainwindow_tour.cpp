// The guided tour over the bundled example: a speech bubble walks from the
// project browser through one item of every kind.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QFileInfo>
#include <QGraphicsView>
#include <QMessageBox>

#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "tourbox.h"
#include "transitionitem.h"
#include "treemodel.h"

namespace {

// The next step of the tour; every tour starts at 0.
int tour_state = 0;

template <typename Item>
void placeNextTo(TourBox* box, QGraphicsView* view, Item* item, TourMessage message)
{
    // Scroll the item, and room for the box on its right, into sight; the
    // item itself comes first when both do not fit.
    const double scale = view->transform().m11() > 0 ? view->transform().m11() : 1.0;
    view->ensureVisible(item->sceneBoundingRect().adjusted(0, 0, box->width() / scale, 0), 0, 0);
    view->ensureVisible(item, 0, 0);
    const QPoint inWindow = view->mapToParent(view->mapFromScene(item->scenePos()));
    box->updatePos(QPoint(inWindow.x() + item->getWidth(), inWindow.y()));
    box->show();
    box->appendMessage(message);
    box->keepInsideParent();
}

template <typename Item>
Item* firstWhere(const QVector<Item*>& items, bool initial)
{
    for (Item* item : items) {
        if (item->initialStatus() == initial)
            return item;
    }
    return nullptr;
}

} // namespace

void MainWindow::startAppTour()
{
    if (!tourBox) {
        tourBox = new TourBox(this);
        connect(tourBox, &TourBox::nextLinkClicked, this, &MainWindow::tourNextLinkClicked);
        connect(tourBox, &TourBox::quitLinkClicked, this, &MainWindow::tourQuitLinkClicked);
    }

    // What was open before comes back when the tour ends.
    const QString previous = projectCanvases.isEmpty() ? QString() : xmlIO.getFilePath();
    if (!projectCanvases.isEmpty()) {
        QMessageBox box;
        box.setWindowTitle(QStringLiteral("Korvel"));
        box.setIcon(QMessageBox::Question);
        box.setText(tr("App tour can can only be taken on sample project. Korvel would attempt to save "
                       "changes and close this project to open a sample project from this system."));
        box.setInformativeText(tr("Do you wish to continue?"));
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        if (box.exec() != QMessageBox::Yes)
            return;
        // A save that failed has been reported; keep the project open then.
        if (!checkSaveChanges())
            return;
    }

    QString path;
    if (!getExampleFileName(path)) {
        QMessageBox::critical(this, QStringLiteral("Korvel"),
                              tr("App tour can only be taken on Sample Projects. Korvel could not find a "
                                 "sample project on this computer."));
        return;
    }
    // A corrupt example leaves whatever was open; the tour must not walk that.
    if (!openProjectFile(path, false) || xmlIO.getFilePath() != path)
        return;

    displayTempStatusBarMessage(tr("App Tour Started.."), 0);
    activateActionsFromKorvelState(STATE_TOUR);
    tourExamplePath = path;
    tourPreviousPath = previous == path ? QString() : previous;
    tour_state = 0;
    stateMachineAppTour(false);
}

void MainWindow::stateMachineAppTour(bool quit)
{
    if (quit) {
        // The tour owns only its example: a project the user opened since
        // stays open, and a changed example is asked about as usual.
        const bool exampleOpen = !tourExamplePath.isEmpty() && !projectCanvases.isEmpty()
            && xmlIO.getFilePath() == tourExamplePath;
        const QString previous = tourPreviousPath;
        endTour();
        clearStatusBarMessage();
        if (!exampleOpen)
            return;
        on_actionClose_Project_triggered();
        // Closing the example may have been cancelled; then it stays.
        if (projectCanvases.isEmpty() && !previous.isEmpty() && QFileInfo::exists(previous))
            openProjectFile(previous, false);
        return;
    }

    displayTempStatusBarMessage(tr("App Tour in progress.."), 0);
    QGraphicsView* view = ui->graphicsView;
    // Shows a canvas by its position without touching the tree or the actions.
    auto showCanvas = [this](int pos) -> Canvas* {
        if (pos >= projectCanvases.all().size())
            return nullptr;
        setActiveScene(pos);
        return currentCanvas;
    };

    // A step whose item is missing falls through to the next one at once.
    for (;;) {
        switch (tour_state) {
        case 0:
            tour_state = 1;
            tourBox->updatePos(QPoint(ui->treeView->width(), ui->treeView->y() + 100));
            tourBox->show();
            tourBox->appendMessage(TOUR_PROJECT_BROWSER);
            tourBox->keepInsideParent();
            return;
        case 1: {
            tour_state = 2;
            const QModelIndex project = projectModel->index(0, 0);
            on_treeView_doubleClicked(projectModel->index(0, 0, projectModel->index(0, 0, project)));
            // The browser double click chose a level; New and Open stay off
            // until the tour ends, so that no other project gets discarded.
            activateActionsFromKorvelState(STATE_TOUR);
            if (currentCanvas && !currentCanvas->processItems.isEmpty()) {
                placeNextTo(tourBox, view, currentCanvas->processItems.first(), TOUR_PROCESS_ITEM);
                return;
            }
            break;
        }
        case 2: {
            tour_state = 3;
            Canvas* canvas = showCanvas(2);
            if (canvas && !canvas->linkItems.isEmpty()) {
                placeNextTo(tourBox, view, canvas->linkItems.first(), TOUR_LINK_ITEM);
                return;
            }
            break;
        }
        case 3:
        case 4: {
            const bool initial = tour_state == 3;
            tour_state = initial ? 4 : 5;
            Canvas* canvas = showCanvas(4);
            StateItem* state = canvas ? firstWhere(canvas->stateItems, initial) : nullptr;
            if (state) {
                placeNextTo(tourBox, view, state, initial ? TOUR_INITIAL_STATE_ITEM : TOUR_STATE_ITEM);
                return;
            }
            break;
        }
        case 5: {
            tour_state = 6;
            Canvas* canvas = showCanvas(4);
            if (canvas && !canvas->transitionItems.isEmpty()) {
                placeNextTo(tourBox, view, canvas->transitionItems.first(), TOUR_TRANSITION_ITEM);
                return;
            }
            break;
        }
        case 6: {
            tour_state = 7;
            Canvas* canvas = showCanvas(4);
            if (canvas && !canvas->memoryItems.isEmpty()) {
                placeNextTo(tourBox, view, canvas->memoryItems.first(), TOUR_MEMORY_ITEM);
                return;
            }
            break;
        }
        case 7: {
            tour_state = 9;
            Canvas* canvas = showCanvas(4);
            if (canvas && !canvas->textItems.isEmpty()) {
                placeNextTo(tourBox, view, canvas->textItems.first(), TOUR_TEXT_ITEM);
                return;
            }
            break;
        }
        default:
            stateMachineAppTour(true);
            return;
        }
    }
}

void MainWindow::endTour()
{
    tour_state = 0;
    tourExamplePath.clear();
    tourPreviousPath.clear();
    if (tourBox)
        tourBox->hide();
    if (korvelState == STATE_TOUR && currentCanvas)
        activateActionsFromKorvelState(enKorvelActionsState(qBound(1, currentCanvas->getLevel(), 5)));
}

void MainWindow::tourNextLinkClicked()
{
    stateMachineAppTour(false);
}

void MainWindow::tourQuitLinkClicked()
{
    stateMachineAppTour(true);
}
