// Autosave and crash recovery: the window's side of Autosave, and the
// question about recovery copies at start and when a project is opened.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>

#include "autosave.h"

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
    connect(autosave, &Autosave::written, this,
            [this] { statusBar()->showMessage(tr("Autosaved"), autosavedShownFor); });
    connect(autosave, &Autosave::failed, this, [this](const QString& why) {
        displayTempStatusBarMessage(tr("Autosave failed: %1 Korvel will try again.").arg(why));
    });
}

MainWindow::RecoveryAnswer MainWindow::askAboutRecovery(const Autosave::Recovery& recovery)
{
    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("Korvel"));
    box.setIcon(QMessageBox::Question);
    box.setText(tr("Korvel was not closed normally. Recover the unsaved changes to %1 from %2?")
                    .arg(QFileInfo(recovery.originalPath).fileName(),
                         QLocale().toString(recovery.time.toLocalTime(), QLocale::ShortFormat)));
    box.setInformativeText(QFileInfo::exists(recovery.originalPath)
                               ? QDir::toNativeSeparators(recovery.originalPath)
                               : tr("%1 no longer exists; Save will create it again.")
                                     .arg(QDir::toNativeSeparators(recovery.originalPath)));
    QPushButton* recover = box.addButton(tr("Recover"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(tr("Discard"), QMessageBox::DestructiveRole);
    QPushButton* later = box.addButton(tr("Later"), QMessageBox::RejectRole);
    box.setDefaultButton(recover);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == recover)
        return RecoverNow;
    if (box.clickedButton() == discard) {
        Autosave::remove(recovery.copyPath);
        return RecoveryDiscarded;
    }
    return RecoverLater;
}

bool MainWindow::recoverFrom(const Autosave::Recovery& recovery)
{
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

bool MainWindow::recoverInsteadOfOpening(const QString& path)
{
    Autosave::Recovery recovery;
    if (Autosave::isRecoveryCopy(path) || !Autosave::offerFor(path, &recovery))
        return false;
    return askAboutRecovery(recovery) == RecoverNow && recoverFrom(recovery);
}

void MainWindow::offerRecoveryAtStart()
{
    // One project can be open: the first one recovered ends the questions,
    // the others stay for the next start.
    for (const Autosave::Recovery& recovery : Autosave::offers()) {
        if (askAboutRecovery(recovery) == RecoverNow && recoverFrom(recovery))
            return;
    }
}

Autosave* MainWindow::autosaver() const
{
    return autosave;
}
