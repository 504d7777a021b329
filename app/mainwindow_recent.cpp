// Recent projects in the File menu and on the home screen, and files handed
// over by a second start of the program.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include "autosave.h"
#include "homescreen.h"
#include "recentprojects.h"

void MainWindow::initRecentProjects()
{
    recentProjects = new RecentProjects(settings);
    // Queued: the click arrives inside the home screen's own mouse handling,
    // which must be over before the view changes scenes.
    connect(HomeScreen::getInstance(), &HomeScreen::recentProjectChosen, this, &MainWindow::openRecentProject,
            Qt::QueuedConnection);
    refreshRecentProjects();
}

QStringList MainWindow::recentProjectPaths() const
{
    return recentProjects->paths();
}

void MainWindow::refreshRecentProjects()
{
    const QStringList paths = recentProjects->paths();
    QMenu* menu = ui->menuRecent_Projects;
    // The action being triggered may be among the old ones: let it live
    // until its signal is over.
    const QList<QAction*> old = menu->actions();
    for (QAction* action : old) {
        menu->removeAction(action);
        action->deleteLater();
    }
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths.at(i);
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), menu);
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { openRecentProject(path); });
        menu->addAction(action);
    }
    menu->addSeparator();
    QAction* clear = new QAction(tr("Clear Recent Projects"), menu);
    clear->setObjectName(QStringLiteral("actionClear_Recent_Projects"));
    clear->setEnabled(!paths.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        recentProjects->clear();
        refreshRecentProjects();
    });
    menu->addAction(clear);
    HomeScreen::getInstance()->setRecentProjects(paths);
}

void MainWindow::noteRecentProject(const QString& path)
{
    // A recovery copy is not the user's file; it never shows in the list.
    if (path.isEmpty() || Autosave::isRecoveryCopy(path))
        return;
    recentProjects->add(path);
    refreshRecentProjects();
}

void MainWindow::openRecentProject(const QString& path)
{
    // Anything else that stands there now is refused when opened.
    if (!QFileInfo::exists(path)) {
        recentProjects->remove(path);
        refreshRecentProjects();
        displayTempStatusBarMessage(
            tr("%1 no longer exists; it was removed from the recent projects.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    openFile(path);
}

void MainWindow::openRequestedFile(const QString& path)
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    if (path.isEmpty())
        return;
    requestedFiles.append(path);
    openRequestedFiles();
}

void MainWindow::openRequestedFiles()
{
    // A dialog running now may be editing an item of the open project, and
    // an open under way is asking its own questions: the files wait.
    if (QApplication::activeModalWidget() || openingRequested) {
        if (!requestRetryPending) {
            requestRetryPending = true;
            QTimer::singleShot(200, this, [this] {
                requestRetryPending = false;
                openRequestedFiles();
            });
        }
        return;
    }
    openingRequested = true;
    while (!requestedFiles.isEmpty()) {
        const QString path = requestedFiles.takeFirst();
        if (QFileInfo::exists(path)) {
            openFile(path);
        } else {
            // The project that is open stays as it is.
            QMessageBox::critical(this, QStringLiteral("Korvel"),
                                  tr("The project file %1 cannot be opened: it does not exist.")
                                      .arg(QDir::toNativeSeparators(path)));
        }
    }
    openingRequested = false;
}
