// The Code Generator command.

#include "mainwindow.h"

#include <QSettings>

#include "machinesnapshots.h"

void MainWindow::runCodeGenerator()
{
    CodegenProperties& dialog = codegen.properties();
    dialog.filePath = codegen.getFilePath();
    dialog.author = codegen.getAuthor();
    dialog.organization = codegen.getOrganization();
    dialog.versionNo = codegen.getVersionNo();
    dialog.fillProperties();
    if (dialog.exec() != QDialog::Accepted)
        return;

    codegen.setOutputFolder(dialog.filePath);
    codegen.setAuthor(dialog.author);
    codegen.setOrganization(dialog.organization);
    codegen.setVersionNumber(dialog.versionNo);
    // Kept at once as well as at exit, so a crash does not lose them.
    settings->setValue(QStringLiteral("author"), codegen.getAuthor());
    settings->setValue(QStringLiteral("organization"), codegen.getOrganization());
    settings->setValue(QStringLiteral("version"), codegen.getVersionNo());

    // The files come from the diagram in memory, so a declined or failed
    // save (already reported) does not stop the run.
    checkSaveChanges();
    if (projectCanvases.isEmpty())
        return;

    const MachineSnapshots snapshots(projectCanvases);
    const QVector<const ProjectNode*>& machines = snapshots.machines();
    const QVector<QVector<DesignLinter::Finding>> clashes = DesignLinter::fileNameClashes(machines);
    for (int i = 0; i < machines.size(); ++i) {
        try {
            generateMachine(machines.at(i), clashes.at(i));
        } catch (const std::bad_alloc&) {
            reportOutOfMemory(tr("generating the code of state machine %1").arg(codegen.getStateMachineName()),
                              tr("Its files were not written; the project is unchanged."));
            return;
        }
    }
}

void MainWindow::generateMachine(const ProjectNode* machine, const QVector<DesignLinter::Finding>& clashes)
{
    codegen.setMachine(machine);
    codegen.setNumberOfInputOutputVariables();
    codegen.setProjectDesignErrors(clashes);
    if (!codegen.generateStateMachineFiles())
        return;
    if (codegen.getWriteErrors().isEmpty() && !codegen.refusedForDesignErrors())
        displayTempStatusBarMessage(tr("Source file successfully created at %1 ").arg(codegen.getFilePath()), 0);
    else
        displayTempStatusBarMessage(
            tr("The files of state machine %1 were not written").arg(codegen.getStateMachineName()), 0);
}
