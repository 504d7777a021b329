// Run > Run Tests: the project's state-machine tests run in the background;
// failures go to Problems, and the canvases show what the tests reached
// until the next edit.

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QUndoStack>

#include <limits>

#include "coverageframe.h"
#include "initialtransition.h"
#include "machinetestjob.h"
#include "problemsdock.h"
#include "simulationengine.h"
#include "stateitem.h"
#include "transitionitem.h"

namespace {

const char testFilesKey[] = "machineTests";

} // namespace

void MainWindow::on_actionRun_Tests_triggered()
{
    if (projectCanvases.isEmpty())
        return;
    // Remembered per project: the next run starts where this one chose.
    QVariantMap remembered = settings->value(QLatin1String(testFilesKey)).toMap();
    const QStringList previous = remembered.value(xmlIO.getFilePath()).toStringList();
    const QString folder = previous.isEmpty() ? QFileInfo(xmlIO.getFilePath()).path()
                                              : QFileInfo(previous.first()).path();
    const QStringList files = QFileDialog::getOpenFileNames(this, tr("Korvel - Run Tests"), folder,
                                                            tr("Korvel tests (*.kvtest);;All files (*)"));
    if (files.isEmpty())
        return;
    remembered.insert(xmlIO.getFilePath(), files);
    settings->setValue(QLatin1String(testFilesKey), remembered);
    runMachineTests(files);
}

void MainWindow::runMachineTests(const QStringList& files)
{
    // Cases name their file as the dock shows it; a failure opens it by path.
    testFiles.clear();
    for (const QString& file : files)
        testFiles.insert(QFileInfo(file).fileName(), QFileInfo(file).absoluteFilePath());
    clearCoverageMarks();
    testedAt = projectCanvases.history()->index();
    displayTempStatusBarMessage(tr("Running the tests…"));
    machineTests->start(projectCanvases, files,
                        [this](const MachineTestJob::Outcome& outcome) { showTestOutcome(outcome); });
}

void MainWindow::showTestOutcome(const MachineTestJob::Outcome& outcome)
{
    QVector<ProblemCheck::Problem> failures;
    const QVector<ProjectCanvases::StateMachine> machines = projectCanvases.stateMachines();
    const auto canvasOf = [&machines](const QString& name) -> Canvas* {
        for (const ProjectCanvases::StateMachine& machine : machines)
            if (machine.canvas->getLabel().replace(QLatin1Char(' '), QLatin1Char('_')) == name)
                return machine.canvas;
        return nullptr;
    };
    if (!outcome.problem.isEmpty())
        failures.append({{QStringLiteral("test"), DesignLinter::Error, tr("Tests"), outcome.problem}, {}, 0, {}});
    int failed = 0;
    for (const MachineTestReport::CaseOutcome& test : outcome.cases) {
        if (test.result.outcome == MachineTestRunner::Result::Passed)
            continue;
        ++failed;
        Canvas* canvas = canvasOf(test.machine);
        // A failed state expectation shows the state expected.
        ElementId expected = 0;
        const QString state = test.result.expectation.split(QRegularExpression(QStringLiteral("\\s+"))).value(2);
        if (canvas && test.result.expectation.contains(QLatin1String("state ")))
            for (StateItem* item : canvas->stateItems)
                expected = item->getLabel() == state ? item->elementId() : expected;
        // The location ends in the line of the step that failed.
        const int line = test.result.location.section(QLatin1Char(':'), -1).toInt();
        failures.append({{QStringLiteral("test"), DesignLinter::Error, test.name,
                          MachineTestReport::failureLine(test)},
                         canvas, expected, testFiles.value(test.file), line > 0 ? line : test.line});
    }
    problemsDock->setTestFailures(failures);
    problemsDock->show();
    problemsDock->raise();
    const int passed = outcome.cases.size() - failed;
    displayTempStatusBarMessage(outcome.problem.isEmpty()
                                    ? tr("Tests: %1 passed, %2 failed").arg(passed).arg(failed)
                                    : tr("The tests did not run: %1").arg(outcome.problem.section('\n', 0, 0)));
    // The counts follow the machines as they were taken: after an edit they
    // would frame other items.
    if (projectCanvases.history()->index() != testedAt)
        return;
    for (const MachineTestReport::MachineCoverage& machine : outcome.coverage)
        if (Canvas* canvas = canvasOf(SimulationEngine::baseName(machine.machine)))
            markCoverage(canvas, machine);
}

void MainWindow::markCoverage(Canvas* canvas, const MachineTestReport::MachineCoverage& machine)
{
    const auto mark = [this, canvas](const QGraphicsItem* item, bool reached) {
        auto* frame = new CoverageFrame(item, reached);
        frame->setZValue(std::numeric_limits<qreal>::max());
        canvas->addItem(frame);
        coverageMarks.append({canvas, frame});
    };
    // The canvas is drawn as the machine was taken; an edit since removes the marks.
    for (int i = 0; i < canvas->stateItems.size(); ++i)
        mark(canvas->stateItems.at(i), machine.coverage.states.value(i) > 0);
    for (int i = 0; i < canvas->transitionItems.size(); ++i)
        mark(canvas->transitionItems.at(i), machine.coverage.transitions.value(i) > 0);
    if (canvas->initialTransition && canvas->initialTransition->scene() == canvas)
        mark(canvas->initialTransition, machine.coverage.initial > 0);
}

void MainWindow::clearCoverageMarks()
{
    // A canvas already gone has deleted its marks with its other items.
    // Each is repainted where it lies now, not where a scroll since has moved
    // its last painting.
    for (const auto& mark : qAsConst(coverageMarks)) {
        if (!mark.first)
            continue;
        mark.first->update(mark.second->sceneBoundingRect());
        delete mark.second;
    }
    coverageMarks.clear();
}
