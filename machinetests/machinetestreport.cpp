#include "machinetestreport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include "projectnode.h"
#include "simulationengine.h"

namespace {

struct Counted
{
    int covered = 0;
    int total = 0;
    QStringList missed;
    QString percent() const { return QString::number(total == 0 ? 100.0 : 100.0 * covered / total, 'f', 1); }
};

Counted statesOf(const MachineTestReport::MachineCoverage& machine)
{
    Counted counted;
    const Diagram::States& states = machine.machine->diagram.states;
    for (int i = 0; i < states.size(); ++i) {
        ++counted.total;
        if (machine.coverage.states.value(i) > 0)
            ++counted.covered;
        else
            counted.missed << states.at(i)->label;
    }
    return counted;
}

Counted transitionsOf(const MachineTestReport::MachineCoverage& machine)
{
    Counted counted;
    counted.total = 1;
    if (machine.coverage.initial > 0)
        counted.covered = 1;
    else
        counted.missed << SimulationEngine::initialTransitionLabel();
    const Diagram::Transitions& transitions = machine.machine->diagram.transitions;
    for (int i = 0; i < transitions.size(); ++i) {
        ++counted.total;
        if (machine.coverage.transitions.value(i) > 0)
            ++counted.covered;
        else
            counted.missed << transitions.at(i)->label;
    }
    return counted;
}

QJsonObject jsonOf(const Counted& counted)
{
    return {{QStringLiteral("covered"), counted.covered},
            {QStringLiteral("total"), counted.total},
            {QStringLiteral("percent"), counted.percent().toDouble()},
            {QStringLiteral("missed"), QJsonArray::fromStringList(counted.missed)}};
}

} // namespace

QString MachineTestReport::failureLine(const CaseOutcome& outcome)
{
    const MachineTestRunner::Result& result = outcome.result;
    if (result.outcome == MachineTestRunner::Result::Broken)
        return QStringLiteral("%1:%2: %3").arg(outcome.file, QString::number(outcome.line), result.problem);
    return QStringLiteral("%1: %2: at tick %3 %4")
        .arg(result.location, result.expectation, QString::number(result.tick), result.actual);
}

bool MachineTestReport::writeJUnit(const QString& path, const QVector<CaseOutcome>& outcomes, QString* why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *why = file.errorString();
        return false;
    }
    QStringList files;
    int failures = 0;
    int errors = 0;
    for (const CaseOutcome& outcome : outcomes) {
        if (!files.contains(outcome.file))
            files << outcome.file;
        failures += outcome.result.outcome == MachineTestRunner::Result::Failed ? 1 : 0;
        errors += outcome.result.outcome == MachineTestRunner::Result::Broken ? 1 : 0;
    }
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("korvel-cli test"));
    xml.writeAttribute(QStringLiteral("tests"), QString::number(outcomes.size()));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(errors));
    for (const QString& suite : files) {
        QVector<const CaseOutcome*> cases;
        int suiteFailures = 0;
        int suiteErrors = 0;
        for (const CaseOutcome& outcome : outcomes) {
            if (outcome.file != suite)
                continue;
            cases << &outcome;
            suiteFailures += outcome.result.outcome == MachineTestRunner::Result::Failed ? 1 : 0;
            suiteErrors += outcome.result.outcome == MachineTestRunner::Result::Broken ? 1 : 0;
        }
        xml.writeStartElement(QStringLiteral("testsuite"));
        xml.writeAttribute(QStringLiteral("name"), suite);
        xml.writeAttribute(QStringLiteral("tests"), QString::number(cases.size()));
        xml.writeAttribute(QStringLiteral("failures"), QString::number(suiteFailures));
        xml.writeAttribute(QStringLiteral("errors"), QString::number(suiteErrors));
        xml.writeAttribute(QStringLiteral("skipped"), QStringLiteral("0"));
        for (const CaseOutcome* outcome : cases) {
            xml.writeStartElement(QStringLiteral("testcase"));
            xml.writeAttribute(QStringLiteral("name"), outcome->name);
            xml.writeAttribute(QStringLiteral("classname"), outcome->machine);
            xml.writeAttribute(QStringLiteral("file"), outcome->file);
            xml.writeAttribute(QStringLiteral("line"), QString::number(outcome->line));
            const MachineTestRunner::Result::Outcome kind = outcome->result.outcome;
            if (kind != MachineTestRunner::Result::Passed) {
                xml.writeStartElement(kind == MachineTestRunner::Result::Failed ? QStringLiteral("failure")
                                                                                 : QStringLiteral("error"));
                xml.writeAttribute(QStringLiteral("message"), failureLine(*outcome));
                xml.writeCharacters(outcome->result.trace.join(QLatin1Char('\n')));
                xml.writeEndElement();
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    if (xml.hasError() || !file.commit()) {
        *why = file.errorString();
        return false;
    }
    return true;
}

QStringList MachineTestReport::coverageLines(const MachineCoverage& machine)
{
    const Counted states = statesOf(machine);
    const Counted transitions = transitionsOf(machine);
    QStringList lines {QStringLiteral("coverage of %1: states %2/%3 (%4%), transitions %5/%6 (%7%)")
                           .arg(SimulationEngine::baseName(machine.machine))
                           .arg(states.covered)
                           .arg(states.total)
                           .arg(states.percent())
                           .arg(transitions.covered)
                           .arg(transitions.total)
                           .arg(transitions.percent())};
    if (!states.missed.isEmpty())
        lines << QStringLiteral("    never entered: ") + states.missed.join(QStringLiteral(", "));
    if (!transitions.missed.isEmpty())
        lines << QStringLiteral("    never fired: ") + transitions.missed.join(QStringLiteral(", "));
    return lines;
}

QString MachineTestReport::coverageJson(const QVector<MachineCoverage>& machines)
{
    QJsonArray list;
    const auto counts = [](const QVector<int>& values) {
        QJsonArray array;
        for (int value : values)
            array.append(value);
        return array;
    };
    // The counts per state and transition, in the machine's order, say
    // what a picture of the canvas marks.
    for (const MachineCoverage& machine : machines)
        list.append(QJsonObject {{QStringLiteral("machine"), SimulationEngine::baseName(machine.machine)},
                                 {QStringLiteral("states"), jsonOf(statesOf(machine))},
                                 {QStringLiteral("transitions"), jsonOf(transitionsOf(machine))},
                                 {QStringLiteral("entered"), counts(machine.coverage.states)},
                                 {QStringLiteral("fired"), counts(machine.coverage.transitions)},
                                 {QStringLiteral("initial"), machine.coverage.initial}});
    return QString::fromUtf8(QJsonDocument(QJsonObject {{QStringLiteral("machines"), list}}).toJson());
}
