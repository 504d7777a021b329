#include "simulationsession.h"

#include <QTemporaryDir>

#include "document.h"
#include "machineset.h"

namespace {
// A compile must not hang the session forever.
const int compileTimeLimit = 120000;
} // namespace

SimulationSession::SimulationSession(QObject* parent)
    : QObject(parent)
{
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, this, &SimulationSession::stepTimedOut);
}

SimulationSession::~SimulationSession()
{
    stop();
}

QStringList SimulationSession::memoryNames() const
{
    return engine ? engine->memoryNames() : QStringList();
}

QStringList SimulationSession::standInNotes() const
{
    return engine ? engine->standInNotes(QStringLiteral("the simulation")) : QStringList();
}

bool SimulationSession::start(std::unique_ptr<Document> document, const ProjectNode* machine, QObject* drawnOn,
                              std::unique_ptr<MachineSet> machines)
{
    endProcesses();
    trace.clear();
    problems.clear();
    unread.clear();
    lastOutcome = SimulationEngine::Finished;
    drawing = drawnOn;
    watchesDrawing = drawnOn != nullptr;
    snapshot = std::move(document);
    companions = std::move(machines);
    stateCount = machine ? machine->diagram.states.size() : 0;
    processName = SimulationEngine::baseName(machine);
    engine.reset(new SimulationEngine(machine));
    engine->setCompiler(compiler);
    if (companions)
        engine->setCompanions(companions->machines());

    folder.reset(new QTemporaryDir);
    if (!folder->isValid()) {
        lastOutcome = SimulationEngine::RunFailed;
        problems.append(QStringLiteral("no temporary folder for the simulation: %1").arg(folder->errorString()));
        folder.reset();
        return false;
    }
    const SimulationEngine::Outcome prepared = engine->prepare(folder->path(), SimulationEngine::Interactive);
    if (prepared != SimulationEngine::Prepared) {
        lastOutcome = prepared;
        problems = engine->messages();
        folder.reset();
        return false;
    }

    compilerProgram = engine->compilerPath();
    compilerProcess = new GroupProcess(this);
    compilerProcess->setWorkingDirectory(folder->path());
    compilerProcess->setProcessChannelMode(QProcess::MergedChannels);
    compilerProcess->setProcessEnvironment(SimulationEngine::compilerEnvironment());
    connect(compilerProcess, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &SimulationSession::compileFinished);
    connect(compilerProcess, &QProcess::errorOccurred, this, &SimulationSession::compileError);
    current = Compiling;
    watchdog.start(compileTimeLimit);
    compilerProcess->start(compilerProgram, engine->compileArguments());
    return true;
}

void SimulationSession::endProcesses()
{
    watchdog.stop();
    current = Idle;
    // The processes may be ending inside one of their own signals.
    for (GroupProcess* process : {compilerProcess.data(), harness.data()}) {
        if (!process)
            continue;
        process->disconnect(this);
        // Also what the machine's code started, after the harness ended.
        process->endGroup();
        process->deleteLater();
    }
    compilerProcess = nullptr;
    harness = nullptr;
    sentValues.clear();
    folder.reset();
}

void SimulationSession::stop()
{
    endProcesses();
    trace.clear();
    pending.clear();
    unread.clear();
}

void SimulationSession::fail(SimulationEngine::Outcome outcome, const QString& message)
{
    endProcesses();
    pending.clear();
    lastOutcome = outcome;
    problems = QStringList{message};
    emit failed();
}

void SimulationSession::compileError(QProcess::ProcessError error)
{
    // Every other error is followed by finished().
    if (error == QProcess::FailedToStart && current == Compiling) {
        fail(SimulationEngine::NoCompiler, QStringLiteral("the C compiler %1 could not be started: %2")
                                               .arg(compilerProgram, compilerProcess->errorString()));
    }
}

void SimulationSession::compileFinished(int exitCode, QProcess::ExitStatus status)
{
    if (current != Compiling || !compilerProcess)
        return;
    watchdog.stop();
    if (status == QProcess::NormalExit && exitCode == 0) {
        launchHarness();
        return;
    }
    const QByteArray output = compilerProcess->readAll();
    // The other machines, then stand-ins for what is still missing, and the
    // link is tried again.
    if (status == QProcess::NormalExit && engine->linkMore(folder->path(), output)) {
        watchdog.start(compileTimeLimit);
        compilerProcess->start(compilerProgram, engine->compileArguments());
        return;
    }
    engine->noteCompileFailure(compilerProgram, output, exitCode);
    const QStringList messages = engine->messages();
    endProcesses();
    pending.clear();
    lastOutcome = SimulationEngine::CompileFailed;
    problems = messages;
    emit failed();
}

void SimulationSession::launchHarness()
{
    harness = new GroupProcess(this);
    harness->setWorkingDirectory(folder->path());
    // What the machine's own code prints is not part of the answers.
    harness->setStandardOutputFile(QProcess::nullDevice());
    connect(harness, &QProcess::readyReadStandardError, this, &SimulationSession::readAnswers);
    connect(harness, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &SimulationSession::harnessEnded);
    connect(harness, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail(SimulationEngine::RunFailed, QStringLiteral("the simulation of %1 could not be started: %2")
                                                  .arg(processName, harness->errorString()));
    });
    current = Busy;
    harness->start(folder->filePath(SimulationEngine::programFileName()), QStringList());
    // Values set while compiling are set before the initialisation, as a
    // --set at tick 0 is.
    sendPendingValues();
    send(QStringLiteral("init"));
}

void SimulationSession::send(const QString& command)
{
    harness->write((command + QLatin1Char('\n')).toUtf8());
    if (command != QLatin1String("quit"))
        watchdog.start(stepTimeLimit);
}

void SimulationSession::sendPendingValues()
{
    for (const auto& value : qAsConst(pending)) {
        // One line each: a line break would start a command of its own.
        QString text = value.second.simplified();
        send(QStringLiteral("set %1 %2").arg(value.first).arg(text));
        sentValues.append({value.first, value.second});
    }
    pending.clear();
}

bool SimulationSession::step()
{
    if (current != Ready || !harness)
        return false;
    current = Busy;
    sendPendingValues();
    send(QStringLiteral("step"));
    return true;
}

void SimulationSession::setValue(int index, const QString& text)
{
    for (auto& value : pending) {
        if (value.first == index) {
            value.second = text;
            return;
        }
    }
    pending.append({index, text});
}

bool SimulationSession::hasPendingValue(int index) const
{
    for (const auto& value : pending) {
        if (value.first == index)
            return true;
    }
    return false;
}

void SimulationSession::readAnswers()
{
    if (!harness)
        return;
    unread += harness->readAllStandardError();
    const QString prefix = SimulationEngine::interactiveMarker() + QLatin1Char('\t');
    int end;
    while ((end = unread.indexOf('\n')) >= 0) {
        const QString line = QString::fromLocal8Bit(unread.left(end));
        unread.remove(0, end + 1);
        // The machine's own messages on standard error are passed over.
        const int at = line.indexOf(prefix);
        if (at < 0)
            continue;
        const QString answer = line.mid(at + prefix.size());
        if (answer.startsWith(QLatin1String("set\t"))) {
            const QStringList fields = answer.split(QLatin1Char('\t'));
            const int index = fields.value(1).toInt();
            QString text;
            for (int i = 0; i < sentValues.size(); ++i) {
                if (sentValues.at(i).first == index) {
                    text = sentValues.takeAt(i).second;
                    break;
                }
            }
            if (fields.value(2) != QLatin1String("1"))
                emit valueRefused(index, text);
            continue;
        }
        if (watchesDrawing && !drawing) {
            fail(SimulationEngine::RunFailed, QStringLiteral("the machine %1 was closed").arg(processName));
            return;
        }
        SimulationEngine::Step next;
        const int previous = trace.isEmpty() ? stateCount : trace.constLast().state;
        if (!engine->readStep(answer, previous, &next))
            continue;
        watchdog.stop();
        current = Ready;
        trace.append(next);
        if (trace.size() == 1)
            emit started();
        emit stepped(next);
        // A slot may have stopped the session.
        if (!harness)
            return;
    }
}

QString SimulationSession::where() const
{
    return trace.isEmpty() ? QStringLiteral("while initialising")
                           : QStringLiteral("in tick %1").arg(trace.constLast().tick + 1);
}

void SimulationSession::harnessEnded()
{
    // The last answers may still wait to be read.
    readAnswers();
    if (current == Idle || !harness)
        return;
    if (harness->exitStatus() != QProcess::NormalExit)
        fail(SimulationEngine::RunFailed, QStringLiteral("the simulation of %1 crashed %2").arg(processName, where()));
    else
        fail(SimulationEngine::RunFailed, QStringLiteral("the simulation of %1 ended %2 with exit code %3")
                                              .arg(processName, where(), QString::number(harness->exitCode())));
}

void SimulationSession::stepTimedOut()
{
    if (current == Compiling) {
        fail(SimulationEngine::CompileFailed, QStringLiteral("the C compiler %1 did not finish within %2 seconds")
                                                  .arg(compilerProgram, QString::number(compileTimeLimit / 1000)));
    } else if (current == Busy) {
        fail(SimulationEngine::RunFailed,
             QStringLiteral("the simulation of %1 was stopped %2: it did not finish within %3 seconds "
                            "(does a state's code loop forever?)")
                 .arg(processName, where(), QString::number(stepTimeLimit / 1000.0)));
    }
}
