// The Code Generator command.

#include "mainwindow.h"

#include <QSettings>

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

    for (const ProjectCanvases::StateMachine& machine : projectCanvases.stateMachines()) {
        codegen.setCanvasItem(machine.canvas);
        codegen.setProcessItem(machine.process);
        codegen.setNumberOfInputOutputVariables();
        if (!codegen.generateStateMachineFiles())
            continue;
        if (codegen.getWriteErrors().isEmpty())
            displayTempStatusBarMessage(tr("Source file successfully created at %1 ").arg(codegen.getFilePath()), 0);
        else
            displayTempStatusBarMessage(
                tr("The files of state machine %1 were not written").arg(codegen.getStateMachineName()), 0);
    }
}
