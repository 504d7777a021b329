// Autosave and crash recovery: the window's side of Autosave, and the
// question about recovery copies at start and when a project is opened.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>

#include "autosave.h"
#include "safesavefile.h"

namespace {
const char autosaveKey[] = "autosave";
constexpr int autosavedShownFor = 3000;
} // namespace

void MainWindow::initAutosave()
{
    autosave = new Autosave(
        &projectCanvases, [this] { return xmlIO.getFilePath(); },
        [this] { return korvelState != STATE_BLANK && korvelState != STATE_TOUR && isProjectModified(); },
        this);
    const bool on = settings->value(QLatin1String(autosaveKey), true).toBool();
    ui->actionEnable_Autosave->setChecked(on);
    autosave->setEnabled(on);
    connect(ui->actionEnable_Autosave, &QAction::toggled, this, [this](bool checked) {
        settings->setValue(QLatin1String(autosaveKey), checked);
        autosave->setEnabled(checked);
        if (checked && isProjectModified())
            autosave->noteChange();
    });
    connect(autosave, &Autosave::written, this, [this] {
        if (!heldStatus)
            statusBar()->showMessage(tr("Autosaved"), autosavedShownFor);
    });
    connect(autosave, &Autosave::failed, this, [this](const QString& why) {
        displayTempStatusBarMessage(tr("Autosave failed: %1 Korvel will try again.").arg(why));
    });
}

MainWindow::RecoveryAnswer MainWindow::askAboutRecovery(const Autosave::Recovery& recovery)
{
    const QLocale locale;
    const QString name = QFileInfo(recovery.originalPath).fileName();
    const QString copyTime = locale.toString(recovery.time.toLocalTime(), QLocale::ShortFormat);
    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("Korvel"));
    box.setIcon(QMessageBox::Question);
    if (recovery.fileChangedLater) {
        box.setText(tr("Korvel was not closed normally. The recovery copy of %1 from %2 holds changes that the "
                       "file does not, but the file was changed on disk later, at %3.")
                        .arg(name, copyTime, locale.toString(recovery.fileTime.toLocalTime(), QLocale::ShortFormat)));
        box.setInformativeText(tr("%1\n\nRecover replaces the project with the copy; Open as Copy saves the copy "
                                  "as a file of its own and leaves %2 as it is.")
                                   .arg(QDir::toNativeSeparators(recovery.originalPath), name));
    } else {
        box.setText(tr("Korvel was not closed normally. Recover the unsaved changes to %1 from %2?").arg(name, copyTime));
        box.setInformativeText(QFileInfo::exists(recovery.originalPath)
                                   ? QDir::toNativeSeparators(recovery.originalPath)
                                   : tr("%1 no longer exists; Save will create it again.")
                                         .arg(QDir::toNativeSeparators(recovery.originalPath)));
    }
    QPushButton* recover = box.addButton(tr("Recover"), QMessageBox::AcceptRole);
    QPushButton* asCopy = recovery.fileChangedLater ? box.addButton(tr("Open as Copy..."), QMessageBox::ActionRole)
                                                    : nullptr;
    QPushButton* discard = box.addButton(tr("Discard"), QMessageBox::DestructiveRole);
    QPushButton* later = box.addButton(tr("Later"), QMessageBox::RejectRole);
    box.setDefaultButton(recover);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == recover)
        return RecoverNow;
    if (asCopy && box.clickedButton() == asCopy)
        return RecoverAsCopy;
    if (box.clickedButton() == discard) {
        Autosave::remove(recovery.copyPath);
        return RecoveryDiscarded;
    }
    return RecoverLater;
}

bool MainWindow::recoveryCopyReadable(const Autosave::Recovery& recovery)
{
    XmlIO probe;
    probe.setFilePath(recovery.copyPath);
    if (probe.checkProjectFileCorrupt())
        return true;
    const QString kept = Autosave::keepAside(recovery.copyPath);
    QMessageBox::critical(this, QStringLiteral("Korvel"),
                          tr("The recovery copy of %1 cannot be read; it is damaged. It was kept as %2.")
                              .arg(QDir::toNativeSeparators(recovery.originalPath), QDir::toNativeSeparators(kept)));
    return false;
}

bool MainWindow::recover(const Autosave::Recovery& recovery, RecoveryAnswer answer)
{
    if (answer == RecoverNow)
        return recoverFrom(recovery);
    if (answer == RecoverAsCopy)
        return recoverAsCopy(recovery);
    return false;
}

bool MainWindow::recoverFrom(const Autosave::Recovery& recovery)
{
    if (!recoveryCopyReadable(recovery))
        return false;
    openFile(recovery.copyPath, false);
    if (projectCanvases.isEmpty() || xmlIO.getFilePath() != recovery.copyPath)
        return false;
    // Bound to the original, so that Save writes the user's file.
    xmlIO.setFilePath(recovery.originalPath);
    codegen.setFilePath(recovery.originalPath);
    autosave->adopt(recovery);
    markModified();
    displayTempStatusBarMessage(
        tr("Recovered the unsaved changes to %1").arg(QDir::toNativeSeparators(recovery.originalPath)));
    return true;
}

bool MainWindow::recoverAsCopy(const Autosave::Recovery& recovery)
{
    if (!recoveryCopyReadable(recovery))
        return false;
    const QFileInfo original(recovery.originalPath);
    QFileDialog chooser(this, tr("Save Recovered Copy As"),
                        original.absoluteDir().filePath(original.completeBaseName() + tr("_recovered.vorn")),
                        QStringLiteral("*.vorn"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setDefaultSuffix(QStringLiteral("vorn"));
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return false;
    const QString path = chooser.selectedFiles().first();
    QFile copy(recovery.copyPath);
    SafeSaveFile target(path);
    const bool copied = copy.open(QIODevice::ReadOnly) && target.open()
        && target.device()->write(copy.readAll()) == copy.size() && target.commit();
    if (!copied) {
        QMessageBox::critical(this, QStringLiteral("Korvel"),
                              tr("The recovered copy could not be saved to %1.\n\n%2")
                                  .arg(QDir::toNativeSeparators(path), target.errorString().isEmpty()
                                           ? SafeSaveFile::describeWriteFailure(path)
                                           : target.errorString()));
        return false;
    }
    openFile(path, false);
    if (projectCanvases.isEmpty() || xmlIO.getFilePath() != path)
        return false;
    Autosave::remove(recovery.copyPath);
    return true;
}

bool MainWindow::recoverInsteadOfOpening(const QString& path)
{
    Autosave::Recovery recovery;
    if (Autosave::isRecoveryCopy(path) || !Autosave::offerFor(path, &recovery))
        return false;
    return recover(recovery, askAboutRecovery(recovery));
}

void MainWindow::offerRecoveryAtStart()
{
    // One project can be open: the first one recovered ends the questions,
    // the others stay for the next start.
    for (const Autosave::Recovery& recovery : Autosave::offers()) {
        if (recover(recovery, askAboutRecovery(recovery)))
            return;
    }
}

void MainWindow::restoreInterruptedSaves()
{
    const QStringList messages = SafeSaveFile::restoreInterrupted();
    if (!messages.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Korvel"), messages.join(QStringLiteral("\n\n")));
}

Autosave* MainWindow::autosaver() const
{
    return autosave;
}
