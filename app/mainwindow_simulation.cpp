// Run > Simulate: the simulation dock and the lock it puts on the project.

#include "mainwindow.h"

#include "machineset.h"
#include "projectsnapshot.h"
#include "simulationdock.h"

void MainWindow::on_actionSimulate_triggered()
{
    startSimulation();
}

void MainWindow::startSimulation()
{
    if (!currentCanvas || currentCanvas->getLevel() != 5)
        return;
    ProjectCanvases::StateMachine shown;
    for (const ProjectCanvases::StateMachine& machine : projectCanvases.stateMachines()) {
        if (machine.canvas == currentCanvas)
            shown = machine;
    }
    if (!shown.process) {
        displayTempStatusBarMessage(tr("This state machine has no process that owns it; it cannot be simulated."));
        return;
    }
    if (!simulationDock) {
        simulationDock = new SimulationDock(this);
        addDockWidget(Qt::RightDockWidgetArea, simulationDock);
        connect(simulationDock, &SimulationDock::simulatingChanged, this, &MainWindow::setSimulationLock);
        connect(simulationDock, &SimulationDock::problemsFound, this, &MainWindow::showSimulationProblems);
        simulationDock->setCompanionSource(
            [this](MachineSet* machines) { ProjectSnapshot::takeMachines(projectCanvases, machines); });
    }
    if (simulationDock->machineCanvas() != shown.canvas || !simulationDock->isSimulating())
        simulationDock->setMachine(shown.canvas, shown.process);
    simulationDock->show();
    simulationDock->raise();
    if (!simulationDock->isSimulating())
        simulationDock->start();
}

void MainWindow::endSimulation()
{
    if (!simulationDock)
        return;
    simulationDock->setMachine(nullptr, nullptr);
    simulationDock->hide();
}

void MainWindow::setSimulationLock(bool on)
{
    simulationLocked = on;
    // Every canvas: the machine's process and the items above it must stay too.
    for (Canvas* canvas : projectCanvases.all())
        canvas->setReadOnly(on);
    if (on)
        setToolMode(Canvas::SelectItem, selectCursor);
    activateActionsFromKorvelState(korvelState);
    displayTempStatusBarMessage(on ? tr("Simulating: the project cannot be edited until Reset.")
                                   : tr("The simulation ended; the project can be edited again."));
}

void MainWindow::applySimulationLock()
{
    if (!simulationLocked)
        return;
    const enActionsPos editing[] = {POS_BRING_TO_FRONT, POS_SEND_TO_BACK, POS_DELETE,     POS_TRANSITION,
                                    POS_STATE,          POS_TEXT,         POS_PROCESS_RECT, POS_LINK,
                                    POS_MEMORY,         POS_DATAFLOW,     POS_UNDO,       POS_REDO,
                                    POS_RENAME_PROJECT, POS_SELF_TRANSITION, POS_PROPERTIES, POS_CUT,
                                    POS_PASTE,          POS_DUPLICATE};
    for (enActionsPos pos : editing)
        disableAction(pos);
}

void MainWindow::showSimulationProblems(const QStringList& messages)
{
    if (messages.isEmpty())
        return;
    // The log of Generate: design errors read the same in both.
    CodegenErrorLog& log = codegenLog;
    log.updateTable(messages.toVector());
    log.open();
}
