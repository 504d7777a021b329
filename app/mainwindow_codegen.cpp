// The Code Generator command.

#include "mainwindow.h"

#include <QMessageBox>
#include <QSettings>

#include "machineset.h"
#include "projectsnapshot.h"

void MainWindow::runCodeGenerator()
{
    CodegenProperties& dialog = codegenDialog;
    dialog.filePath = codegen.getFilePath();
    dialog.author = codegen.getAuthor();
    dialog.organization = codegen.getOrganization();
    dialog.versionNo = codegen.getVersionNo();
    dialog.fillProperties();
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The files come from the diagram in memory, so a declined or failed
    // save (already reported) does not stop the run; Cancel stops it before
    // anything changed.
    if (askAboutUnsavedChanges() == UnsavedAnswer::Cancelled || projectCanvases.isEmpty())
        return;

    codegen.setOutputFolder(dialog.filePath);
    codegen.setAuthor(dialog.author);
    codegen.setOrganization(dialog.organization);
    codegen.setVersionNumber(dialog.versionNo);
    // Kept at once as well as at exit, so a crash does not lose them.
    settings->setValue(QStringLiteral("author"), codegen.getAuthor());
    settings->setValue(QStringLiteral("organization"), codegen.getOrganization());
    settings->setValue(QStringLiteral("version"), codegen.getVersionNo());

    MachineSet snapshots;
    ProjectSnapshot::takeMachines(projectCanvases, &snapshots);
    const QVector<const ProjectNode*>& machines = snapshots.machines();
    const QVector<QVector<DesignLinter::Finding>> clashes = DesignLinter::fileNameClashes(machines);
    QStringList refused;
    bool designErrors = false;
    for (int i = 0; i < machines.size(); ++i) {
        bool notWritten = false;
        try {
            designErrors = generateMachine(machines.at(i), clashes.at(i), &notWritten) || designErrors;
        } catch (const std::bad_alloc&) {
            reportOutOfMemory(tr("generating the code of state machine %1").arg(codegen.getStateMachineName()),
                              tr("Its files were not written; the project is unchanged."));
            return;
        }
        if (notWritten)
            refused << codegen.getStateMachineName();
    }
    // Design errors are listed where they can be clicked, not in a dialog.
    if (!refused.isEmpty())
        showProblemsOfGenerate(refused.size() == 1
                                   ? tr("The files of state machine %1 were not written; Problems says why.")
                                         .arg(refused.first())
                                   : tr("The files of state machines %1 were not written; Problems says why.")
                                         .arg(refused.join(QStringLiteral(", "))));
    else if (designErrors)
        showProblemsOfGenerate(tr("The files were written; Problems lists the design errors found."));
}

bool MainWindow::generateMachine(const ProjectNode* machine, const QVector<DesignLinter::Finding>& clashes,
                                 bool* refused)
{
    codegen.setMachine(machine);
    codegen.setNumberOfInputOutputVariables();
    codegen.setProjectDesignErrors(clashes);
    // A machine the writer refuses anyway is not worth a question.
    const bool writable = CodeGenerator::isSafeFileStem(codegen.getStateMachineName())
        && codegen.designRefusals().isEmpty();
    if (writable && !codegen.existingOutputFiles().isEmpty()) {
        QMessageBox box;
        box.setText(QStringLiteral("Source files with the same name exists"));
        box.setInformativeText(QStringLiteral("Do you want to replace the existing files?"));
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        if (box.exec() != QMessageBox::Yes)
            return false;
    }
    codegen.writeStateMachineFiles();
    // Files that could not be written are a matter of the disk, not of the
    // design: the user must never miss them.
    if (!codegen.getWriteErrors().isEmpty()) {
        codegenLog.updateTable(codegen.getWriteErrors());
        codegenLog.exec();
    }
    const bool designErrors = !codegen.getErrorList().isEmpty();
    *refused = codegen.refusedForDesignErrors();
    codegen.clearErrorList();
    if (codegen.getWriteErrors().isEmpty() && !codegen.refusedForDesignErrors())
        displayTempStatusBarMessage(tr("Source file successfully created at %1 ").arg(codegen.getFilePath()), 0);
    else
        displayTempStatusBarMessage(
            tr("The files of state machine %1 were not written").arg(codegen.getStateMachineName()), 0);
    return designErrors;
}
