// Saving: Save and Save As, the background write behind Save, and what the
// user is told when a save fails.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>

#include <memory>
#include <new>

#include "backgroundwrite.h"
#include "document.h"
#include "safesavefile.h"

QString MainWindow::saveFailureReason() const
{
    const QString reason = saveFailure.isEmpty() ? projectCanvases.saveError() : saveFailure;
    return reason.isEmpty() ? SafeSaveFile::describeWriteFailure(xmlIO.getFilePath()) : reason;
}

bool MainWindow::saveDataToFile()
{
    finishSaving();
    saveFailure.clear();
    bool saved = false;
    try {
        saved = projectCanvases.save(xmlIO.getFilePath());
    } catch (const std::bad_alloc&) {
        // The writer put the previous file back as it was dropped.
        saveFailure = tr("There was not enough memory to write it.");
    }
    if (!saved)
        return false;
    autosave->projectSaved();
    markSaved();
    noteRecentProject(xmlIO.getFilePath());
    return true;
}

bool MainWindow::saveAndReport()
{
    if (!saveDataToFile()) {
        reportSaveFailure(projectCanvases.previousFileKept(), saveFailureReason());
        return false;
    }
    return true;
}

void MainWindow::reportSaveFailure(bool previousKept, const QString& reason)
{
    const QString text = previousKept ? tr("The project could not be saved to %1.\n\n%2\n\nThe previous version of "
                                           "the file was left unchanged.")
                                      : tr("The project could not be saved to %1.\n\n%2");
    QMessageBox::critical(this, QStringLiteral("Korvel"),
                          text.arg(QDir::toNativeSeparators(xmlIO.getFilePath()), reason));
    displayTempStatusBarMessage(tr("Saving failed."), 0);
}

void MainWindow::saveInBackground()
{
    // A second save waits for the first.
    finishSaving();
    saveFailure.clear();
    auto document = std::make_shared<Document>();
    bool taken = false;
    try {
        taken = projectCanvases.takeSnapshot(document.get());
    } catch (const std::bad_alloc&) {
        saveFailure = tr("There was not enough memory to write it.");
    }
    if (!taken) {
        reportSaveFailure(true, saveFailureReason());
        return;
    }
    // What the file will hold: the history at this point. Edits made while
    // it is written keep the project modified.
    const int savedIndex = projectCanvases.history()->index();
    const int outsideBefore = changesOutsideUndo;
    const QString path = xmlIO.getFilePath();
    const auto done = [this, savedIndex, outsideBefore, path](const BackgroundWrite::Outcome& outcome) {
        if (!outcome.written) {
            reportSaveFailure(outcome.previousKept,
                              outcome.error.isEmpty() ? SafeSaveFile::describeWriteFailure(path) : outcome.error);
            return;
        }
        if (projectCanvases.history()->index() == savedIndex && changesOutsideUndo == outsideBefore) {
            autosave->projectSaved();
            markSaved();
        } else {
            // The file holds a state the history cannot mark as clean: the
            // project stays modified until the next save.
            markModified();
        }
        noteRecentProject(path);
        displayTempStatusBarMessage(tr("Changes have been saved successfully"), 0);
    };
    backgroundSave->start(document, path, done);
}

void MainWindow::finishSaving()
{
    if (backgroundSave)
        backgroundSave->finish();
}

void MainWindow::on_actionSave_triggered()
{
    saveInBackground();
}

void MainWindow::on_actionSave_As_triggered()
{
    const QString start = settings->value(QStringLiteral("previousDirectory"),
                                          QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .toString();
    QFileDialog chooser(this, tr("Save File As"), start, QStringLiteral("*.vorn"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setDefaultSuffix(QStringLiteral("vorn"));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const QString path = chooser.selectedFiles().first();
    if (path.isEmpty())
        return;

    const QString oldPath = xmlIO.getFilePath();
    xmlIO.setFilePath(path);
    codegen.setFilePath(path);
    if (!saveAndReport()) {
        // Stay on the file that is known to be good.
        xmlIO.setFilePath(oldPath);
        codegen.setFilePath(oldPath);
        return;
    }
    openFile(path);
}
