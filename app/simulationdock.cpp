#include "simulationdock.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QGraphicsRectItem>
#include <QGraphicsView>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPen>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include <limits>

#include "canvas.h"
#include "document.h"
#include "initialtransition.h"
#include "itemshadow.h"
#include "machineset.h"
#include "processitem.h"
#include "projectsnapshot.h"
#include "stateitem.h"
#include "transitionitem.h"

namespace {
const QColor stateColour(255, 140, 0);
const QColor transitionColour(0, 140, 255);
const int defaultRate = 4;
const int highestRate = 50;
} // namespace

SimulationDock::SimulationDock(QWidget* parent)
    : QDockWidget(parent)
{
    setObjectName(QStringLiteral("simulationDock"));
    setWindowTitle(tr("Simulation"));
    setAccessibleName(windowTitle());
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    buildForm();
    connect(&beat, &QTimer::timeout, this, &SimulationDock::beatElapsed);
    connect(&session, &SimulationSession::started, this, &SimulationDock::sessionStarted);
    connect(&session, &SimulationSession::stepped, this, &SimulationDock::showStep);
    connect(&session, &SimulationSession::failed, this, &SimulationDock::sessionFailed);
    connect(&session, &SimulationSession::valueRefused, this, &SimulationDock::valueRefused);
    updateControls();
}

SimulationDock::~SimulationDock()
{
    beat.stop();
    session.stop();
    clearMarks();
}

void SimulationDock::buildForm()
{
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);

    auto* controls = new QHBoxLayout;
    resetControl = new QPushButton(tr("Reset"), body);
    stepControl = new QPushButton(tr("Step"), body);
    runControl = new QPushButton(tr("Run"), body);
    runControl->setCheckable(true);
    recordControl = new QPushButton(tr("Record as Test…"), body);
    recordControl->setToolTip(tr("Add the values set and the ticks run so far to a test file, as one case"));
    rate = new QSpinBox(body);
    rate->setRange(1, highestRate);
    rate->setValue(defaultRate);
    rate->setSuffix(tr(" ticks/s"));
    rate->setAccessibleName(tr("Ticks per second"));
    rate->setToolTip(tr("Ticks per second while running"));
    controls->addWidget(resetControl);
    controls->addWidget(stepControl);
    controls->addWidget(runControl);
    controls->addWidget(rate);
    controls->addWidget(recordControl);
    controls->addStretch();
    layout->addLayout(controls);

    status = new QLabel(body);
    status->setWordWrap(true);
    layout->addWidget(status);
    progress = new QProgressBar(body);
    // Busy: how long a compile takes is not known beforehand.
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setMaximumHeight(12);
    progress->hide();
    layout->addWidget(progress);

    memory = new QTableWidget(0, 2, body);
    memory->setHorizontalHeaderLabels({tr("Memory item"), tr("Value")});
    memory->horizontalHeader()->setStretchLastSection(true);
    memory->verticalHeader()->hide();
    memory->setSelectionMode(QAbstractItemView::SingleSelection);
    memory->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                            | QAbstractItemView::AnyKeyPressed);
    memory->setAccessibleName(tr("Memory items"));
    layout->addWidget(memory, 1);

    layout->addWidget(new QLabel(tr("Trace"), body));
    trace = new QListWidget(body);
    trace->setAccessibleName(tr("Trace"));
    layout->addWidget(trace, 2);
    setWidget(body);

    connect(resetControl, &QPushButton::clicked, this, &SimulationDock::reset);
    connect(stepControl, &QPushButton::clicked, this, &SimulationDock::step);
    connect(runControl, &QPushButton::toggled, this, &SimulationDock::setRunning);
    connect(recordControl, &QPushButton::clicked, this, &SimulationDock::recordAsTest);
    connect(rate, QOverload<int>::of(&QSpinBox::valueChanged), this, &SimulationDock::setTicksPerSecond);
    connect(memory, &QTableWidget::itemChanged, this, &SimulationDock::valueEdited);
}

void SimulationDock::setMachine(Canvas* machine, ProcessItem* owner)
{
    reset();
    if (canvas)
        canvas->disconnect(this);
    canvas = machine;
    process = owner;
    Document snapshot;
    const ProjectNode* node = canvas && process ? ProjectSnapshot::takeMachine(process, canvas, &snapshot) : nullptr;
    setWindowTitle(node ? tr("Simulation - %1").arg(SimulationEngine::baseName(node)) : tr("Simulation"));
    // A machine deleted with its process takes the simulation with it.
    if (canvas)
        connect(canvas.data(), &QObject::destroyed, this, &SimulationDock::machineGone);
    fillMemoryNames(SimulationEngine(node).memoryNames());
    status->setText(tr("Press Step or Run to start."));
    updateControls();
}

void SimulationDock::machineGone()
{
    reset();
    process = nullptr;
    fillMemoryNames(QStringList());
    status->setText(tr("The machine is no longer in the project."));
    updateControls();
}

void SimulationDock::fillMemoryNames(const QStringList& names)
{
    filling = true;
    memory->setRowCount(names.size());
    for (int row = 0; row < names.size(); ++row) {
        auto* name = new QTableWidgetItem(names.at(row));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        memory->setItem(row, 0, name);
        memory->setItem(row, 1, new QTableWidgetItem);
    }
    // Whole names: several machines' items differ only at the end.
    memory->resizeColumnToContents(0);
    filling = false;
}

void SimulationDock::start()
{
    if (!canvas || !process) {
        status->setText(tr("The machine is no longer in the project."));
        return;
    }
    trace->clear();
    clearMarks();
    auto snapshot = std::make_unique<Document>();
    const ProjectNode* machine = ProjectSnapshot::takeMachine(process, canvas, snapshot.get());
    auto companions = std::make_unique<MachineSet>();
    if (companionSource)
        companionSource(companions.get());
    if (!session.start(std::move(snapshot), machine, canvas, std::move(companions))) {
        sessionFailed();
        return;
    }
    setSimulating(true);
    fillMemoryNames(session.memoryNames());
    status->setText(tr("Compiling %1...").arg(session.machineName()));
    progress->show();
    updateControls();
}

void SimulationDock::reset()
{
    beat.stop();
    session.stop();
    clearMarks();
    trace->clear();
    recording.clear();
    progress->hide();
    filling = true;
    for (int row = 0; row < memory->rowCount(); ++row) {
        if (QTableWidgetItem* value = memory->item(row, 1)) {
            value->setText(QString());
            value->setData(Qt::FontRole, QVariant());
        }
    }
    filling = false;
    refusal.clear();
    status->setText(tr("Press Step or Run to start."));
    setSimulating(false);
    updateControls();
}

void SimulationDock::step()
{
    if (!session.isActive())
        start();
    else
        session.step();
    updateControls();
}

void SimulationDock::setRunning(bool on)
{
    if (on) {
        if (!session.isActive())
            start();
        if (!session.isActive())
            return;
        setTicksPerSecond(rate->value());
        beat.start();
    } else {
        beat.stop();
    }
    updateControls();
}

void SimulationDock::setTicksPerSecond(int ticksPerSecond)
{
    if (rate->value() != ticksPerSecond)
        rate->setValue(ticksPerSecond);
    beat.setInterval(1000 / qBound(1, ticksPerSecond, highestRate));
}

void SimulationDock::beatElapsed()
{
    // A tick that is still running is not queued behind: the beat waits.
    if (session.phase() == SimulationSession::Ready)
        session.step();
}

void SimulationDock::sessionStarted()
{
    progress->hide();
    // Said with the first tick, after a value refused while compiling.
    const QStringList notes = session.standInNotes();
    if (!notes.isEmpty())
        refusal += (refusal.isEmpty() ? QString() : QStringLiteral("\n")) + notes.join(QStringLiteral(".\n"))
            + QLatin1Char('.');
    updateControls();
}

void SimulationDock::sessionFailed()
{
    beat.stop();
    progress->hide();
    clearMarks();
    const QStringList messages = session.messages();
    status->setText(session.outcome() == SimulationEngine::DesignErrors
                        ? tr("The machine has design errors; see the error log.")
                        : tr("The simulation stopped: %1").arg(messages.value(0)));
    setSimulating(false);
    updateControls();
    emit problemsFound(messages);
}

void SimulationDock::valueRefused(int index, const QString& text)
{
    const QTableWidgetItem* name = memory->item(index, 0);
    // Kept under the tick that follows, which would otherwise hide it.
    refusal = tr("%1 was not set: \"%2\" is not a number it can hold.")
                  .arg(name ? name->text() : QString::number(index), text);
    // A recorded test must not set what the simulation refused.
    if (name)
        recording.removeOne(QStringLiteral("set %1 = %2").arg(name->text(), text));
    status->setText(refusal);
}

void SimulationDock::valueEdited(QTableWidgetItem* item)
{
    if (filling || item->column() != 1)
        return;
    QString text = item->text().trimmed();
    // C's truth values, which the harness reads as numbers.
    if (text == QLatin1String("true"))
        text = QStringLiteral("1");
    else if (text == QLatin1String("false"))
        text = QStringLiteral("0");
    session.setValue(item->row(), text);
    if (const QTableWidgetItem* name = memory->item(item->row(), 0))
        recording << QStringLiteral("set %1 = %2").arg(name->text(), text);
    // Shown in bold until a tick has applied it.
    QFont font = memory->font();
    font.setBold(true);
    filling = true;
    item->setData(Qt::FontRole, font);
    filling = false;
}

void SimulationDock::showStep(const SimulationEngine::Step& step)
{
    noteTicks(step.tick);
    trace->addItem(traceLine(step));
    trace->scrollToBottom();
    filling = true;
    for (int row = 0; row < memory->rowCount() && row < step.values.size(); ++row) {
        QTableWidgetItem* value = memory->item(row, 1);
        // An edit made while this tick ran waits for the next one.
        if (!value || session.hasPendingValue(row))
            continue;
        value->setText(step.values.at(row));
        value->setData(Qt::FontRole, QVariant());
    }
    filling = false;

    clearMarks();
    if (canvas && step.state >= 0 && step.state < canvas->stateItems.size()) {
        StateItem* state = canvas->stateItems.at(step.state);
        stateMarked = state;
        stateMark = markItem(state, stateColour, 6);
        // A large machine scrolls to follow its walk.
        for (QGraphicsView* view : canvas->views())
            view->ensureVisible(stateMark, 20, 20);
        if (step.tick == 0 && canvas->initialTransition && canvas->initialTransition->scene() == canvas) {
            transitionMarks.append(markItem(canvas->initialTransition, transitionColour, 4));
        } else if (step.tick > 0) {
            const StateItem* from = nullptr;
            const QVector<SimulationEngine::Step>& steps = session.steps();
            if (steps.size() >= 2) {
                const int previous = steps.at(steps.size() - 2).state;
                if (previous >= 0 && previous < canvas->stateItems.size())
                    from = canvas->stateItems.at(previous);
            }
            for (TransitionItem* transition : qAsConst(canvas->transitionItems)) {
                if (transition->startItem() == from && transition->endItem() == state
                    && step.transitions.contains(transition->getLabel())) {
                    transitionsMarked.append(transition);
                    transitionMarks.append(markItem(transition, transitionColour, 4));
                }
            }
        }
    }
    QString text = tr("Tick %1: %2").arg(step.tick).arg(step.stateLabel);
    if (!refusal.isEmpty())
        text += QLatin1Char('\n') + refusal;
    refusal.clear();
    status->setText(text);
    updateControls();
}

QString SimulationDock::traceLine(const SimulationEngine::Step& step)
{
    QString line = QStringLiteral("%1: %2").arg(step.tick).arg(step.stateLabel);
    if (!step.transitions.isEmpty())
        line += QStringLiteral("  \u2190 ") + step.transitions.join(QStringLiteral(" | "));
    return line;
}

QGraphicsRectItem* SimulationDock::markItem(QGraphicsItem* item, const QColor& colour, qreal margin)
{
    auto* mark = new QGraphicsRectItem(ItemShadow::sceneRectOf(item).adjusted(-margin, -margin, margin, margin));
    QPen pen(colour, margin);
    pen.setJoinStyle(Qt::RoundJoin);
    mark->setPen(pen);
    mark->setBrush(Qt::NoBrush);
    // Above every item, and never the target of a click.
    mark->setZValue(std::numeric_limits<qreal>::max());
    mark->setAcceptedMouseButtons(Qt::NoButton);
    mark->setAcceptHoverEvents(false);
    canvas->addItem(mark);
    return mark;
}

void SimulationDock::clearMarks()
{
    // A canvas already gone has deleted the marks with its other items.
    if (canvas) {
        // Repainted where the marks lie on the canvas now: a removed item
        // repaints where the view last drew it, which a scroll since has moved.
        if (stateMark)
            canvas->update(stateMark->sceneBoundingRect());
        for (const QGraphicsRectItem* mark : qAsConst(transitionMarks))
            canvas->update(mark->sceneBoundingRect());
        delete stateMark;
        qDeleteAll(transitionMarks);
    }
    stateMark = nullptr;
    transitionMarks.clear();
    stateMarked = nullptr;
    transitionsMarked.clear();
}

StateItem* SimulationDock::markedState() const
{
    return stateMarked;
}

QVector<TransitionItem*> SimulationDock::markedTransitions() const
{
    QVector<TransitionItem*> marked;
    for (const QPointer<TransitionItem>& transition : transitionsMarked) {
        if (transition)
            marked.append(transition);
    }
    return marked;
}

void SimulationDock::setSimulating(bool on)
{
    if (simulating == on)
        return;
    simulating = on;
    emit simulatingChanged(on);
}

void SimulationDock::updateControls()
{
    const bool machine = canvas && process;
    const SimulationSession::Phase now = session.phase();
    stepControl->setEnabled(machine && !beat.isActive() && now != SimulationSession::Compiling);
    runControl->setEnabled(machine);
    resetControl->setEnabled(simulating);
    recordControl->setEnabled(simulating && stateMarked);
    const QSignalBlocker blocker(runControl);
    runControl->setChecked(beat.isActive());
    runControl->setText(beat.isActive() ? tr("Pause") : tr("Run"));
}

void SimulationDock::closeEvent(QCloseEvent* event)
{
    reset();
    QDockWidget::closeEvent(event);
}
