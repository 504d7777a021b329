#include "designlinter.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include "canvas.h"
#include "memoryitem.h"
#include "processitem.h"
#include "projectcanvases.h"
#include "stateitem.h"
#include "transitionitem.h"

namespace {

using Finding = DesignLinter::Finding;

QString underscored(QString text)
{
    return text.replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString quoted(const QString& label)
{
    QString text = DesignLinter::printable(label);
    text.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

Finding error(const QString& rule, const QString& path, const QString& message)
{
    return {rule, DesignLinter::Error, path, message};
}

Finding warning(const QString& rule, const QString& path, const QString& message)
{
    return {rule, DesignLinter::Warning, path, message};
}

QString elementPath(const QString& machine, const QString& label)
{
    return machine + QLatin1Char('/') + DesignLinter::printable(label);
}

QVector<TransitionItem*> outgoing(const StateItem* state)
{
    QVector<TransitionItem*> leaving;
    for (TransitionItem* transition : state->getTransitions()) {
        if (transition->startItem() == state)
            leaving.append(transition);
    }
    return leaving;
}

const StateItem* initialState(const Canvas* machine)
{
    for (const StateItem* state : machine->stateItems) {
        if (state->initialStatus())
            return state;
    }
    return nullptr;
}

// A guard compared as C reads it, mostly: blanks do not matter.
QString normalizedGuard(const QString& guard)
{
    QString text;
    for (const QChar c : guard) {
        if (!c.isSpace())
            text += c;
    }
    return text;
}

// The fixed-width type a multi-word C type is usually meant as.
QString suggestedType(const QString& datatype)
{
    static const QHash<QString, QString> types {
        {QStringLiteral("unsigned char"), QStringLiteral("uint8_t")},
        {QStringLiteral("signed char"), QStringLiteral("int8_t")},
        {QStringLiteral("unsigned short"), QStringLiteral("uint16_t")},
        {QStringLiteral("unsigned short int"), QStringLiteral("uint16_t")},
        {QStringLiteral("short int"), QStringLiteral("int16_t")},
        {QStringLiteral("signed short"), QStringLiteral("int16_t")},
        {QStringLiteral("unsigned int"), QStringLiteral("uint32_t")},
        {QStringLiteral("signed int"), QStringLiteral("int32_t")},
        {QStringLiteral("unsigned long"), QStringLiteral("uint32_t")},
        {QStringLiteral("unsigned long int"), QStringLiteral("uint32_t")},
        {QStringLiteral("long int"), QStringLiteral("int32_t")},
        {QStringLiteral("signed long"), QStringLiteral("int32_t")},
        {QStringLiteral("long long"), QStringLiteral("int64_t")},
        {QStringLiteral("long long int"), QStringLiteral("int64_t")},
        {QStringLiteral("unsigned long long"), QStringLiteral("uint64_t")},
        {QStringLiteral("unsigned long long int"), QStringLiteral("uint64_t")},
    };
    const QString known = types.value(datatype.simplified().toLower());
    return known.isEmpty() ? QStringLiteral("a one-word type such as uint32_t") : known;
}

// A name that must be a C identifier: not one, or a keyword, gives an error.
bool checkIdentifier(QVector<Finding>* findings, const QString& path, const QString& what,
                     const QString& label, const QString& identifier)
{
    if (!DesignLinter::isCIdentifier(identifier)) {
        findings->append(error(QStringLiteral("not-c-identifier"), path,
                               QStringLiteral("%1 %2 is not a C identifier").arg(what, quoted(label))));
        return false;
    }
    if (DesignLinter::isCKeyword(identifier)) {
        findings->append(error(QStringLiteral("c-keyword"), path,
                               QStringLiteral("%1 %2 is a C keyword").arg(what, quoted(label))));
        return false;
    }
    return true;
}

} // namespace

QString DesignLinter::printable(const QString& label)
{
    QString text;
    text.reserve(label.size());
    for (const QChar c : label) {
        if (c == QLatin1Char('\n'))
            text += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            text += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            text += QStringLiteral("\\t");
        else if (c == QLatin1Char('\\'))
            text += QStringLiteral("\\\\");
        else if (c.category() == QChar::Other_Control)
            text += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text;
}

QString DesignLinter::stateMachineName(const ProcessItem* process)
{
    return process ? underscored(process->getLabel()) : QString();
}

QString DesignLinter::machinePath(const ProcessItem* process)
{
    if (!process)
        return QString();
    const auto* module = dynamic_cast<const Canvas*>(process->scene());
    const QString name = printable(process->getLabel());
    return module ? printable(module->getLabel()) + QLatin1Char('/') + name : name;
}

bool DesignLinter::isCIdentifier(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (int i = 0; i < name.size(); ++i) {
        const ushort c = name.at(i).unicode();
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}

bool DesignLinter::isCKeyword(const QString& name)
{
    // C99 and C11.
    static const QSet<QString> keywords {
        "auto", "break", "case", "char", "const", "continue", "default", "do", "double", "else",
        "enum", "extern", "float", "for", "goto", "if", "inline", "int", "long", "register",
        "restrict", "return", "short", "signed", "sizeof", "static", "struct", "switch", "typedef",
        "union", "unsigned", "void", "volatile", "while", "_Bool", "_Complex", "_Imaginary",
        "_Alignas", "_Alignof", "_Atomic", "_Generic", "_Noreturn", "_Static_assert", "_Thread_local",
    };
    return keywords.contains(name);
}

QVector<Finding> DesignLinter::nameErrors(const Canvas* machine, const ProcessItem* process)
{
    QVector<Finding> findings;
    if (!machine || !process)
        return findings;
    const QString path = machinePath(process);
    const QString label = process->getLabel();
    const QString n = underscored(label);

    // Every C name the files declare, with the element it comes from, so
    // that two elements giving the same name are caught before gcc sees them.
    struct Owner { QString what; QString label; };
    QHash<QString, Owner> declared;
    QSet<const void*> reported;
    auto declare = [&](const QString& identifier, const QString& what, const QString& itemLabel,
                       const void* item, const QString& itemPath) {
        const auto known = declared.constFind(identifier);
        if (known == declared.constEnd()) {
            declared.insert(identifier, {what, itemLabel});
            return;
        }
        if (reported.contains(item))
            return;
        reported.insert(item);
        const QString message = known->what == what && known->label == itemLabel
            ? QStringLiteral("%1 %2 appears more than once").arg(what, quoted(itemLabel))
            : QStringLiteral("%1 %2 gives the C name %3, as %4 %5 does")
                  .arg(what, quoted(itemLabel), identifier, known->what, quoted(known->label));
        findings.append(error(QStringLiteral("duplicate-name"), itemPath, message));
    };

    bool machineNamed = true;
    if (label.isEmpty()) {
        findings.append(error(QStringLiteral("empty-machine-name"), path,
                              QStringLiteral("the state machine has no name")));
        machineNamed = false;
    } else {
        machineNamed = checkIdentifier(&findings, path, QStringLiteral("machine"), label, n);
    }
    const QString upper = n.toUpper();
    if (machineNamed) {
        const QString what = QStringLiteral("machine");
        for (const QString& identifier : {n, n + QLatin1Char('0'), n + QStringLiteral("Initialize"),
                                          n + QStringLiteral("GetState"), QStringLiteral("t_state_") + n,
                                          QStringLiteral("state_") + n, QStringLiteral("STATE_0_") + upper})
            declared.insert(identifier, {what, label});
    }

    for (const StateItem* state : machine->stateItems) {
        const QString stateLabel = state->getLabel();
        const QString statePath = elementPath(path, stateLabel);
        const QString what = QStringLiteral("state");
        if (!checkIdentifier(&findings, statePath, what, stateLabel, stateLabel))
            continue;
        declare(stateLabel, what, stateLabel, state, statePath);
        if (machineNamed)
            declare(QStringLiteral("STATE_") + upper + QLatin1Char('_') + stateLabel.toUpper(), what,
                    stateLabel, state, statePath);
    }

    for (const MemoryItem* memory : machine->memoryItems) {
        const QString memoryLabel = memory->getLabel();
        if (memoryLabel.isEmpty())
            continue; // the generator's own check reports it
        const QString memoryPath = elementPath(path, memoryLabel);
        const QString what = QStringLiteral("memory item");
        const QString variable = underscored(memoryLabel);
        if (checkIdentifier(&findings, memoryPath, what, memoryLabel, variable))
            declare(variable, what, memoryLabel, memory, memoryPath);
    }
    return findings;
}

QVector<Finding> DesignLinter::generatorErrors(const Canvas* machine, const ProcessItem* process)
{
    QVector<Finding> findings;
    if (!machine || !process)
        return findings;
    const QString path = machinePath(process);
    for (const MemoryItem* memory : machine->memoryItems) {
        const QString memoryPath = elementPath(path, memory->getLabel());
        if (memory->getLabel().isEmpty()) {
            findings.append(error(QStringLiteral("memory-label-missing"), memoryPath,
                                  QStringLiteral("Label Input for Memory Item %1 is absent").arg(memory->getLabel())));
        }
        if (memory->getDatatype().isEmpty()) {
            findings.append(error(QStringLiteral("memory-datatype-missing"), memoryPath,
                                  QStringLiteral("Datatype Input for Memory Item %1 is absent")
                                      .arg(memory->getLabel())));
        }
    }
    const StateItem* initial = initialState(machine);
    if (!initial) {
        findings.append(error(QStringLiteral("initial-state-missing"), path,
                              QStringLiteral("Initial state item in state machine %1 is not assigned")
                                  .arg(stateMachineName(process))));
    } else if (initial->getInitCondition().isEmpty() && !initial->getInitDescription().isEmpty()) {
        findings.append(error(QStringLiteral("initial-action-without-condition"),
                              elementPath(path, initial->getLabel()),
                              QStringLiteral("Initial state action present but condition absent for State Item "
                                             "%1 is absent")
                                  .arg(initial->getLabel())));
    }
    return findings;
}

QVector<Finding> DesignLinter::machineWarnings(const Canvas* machine, const ProcessItem* process)
{
    QVector<Finding> findings;
    if (!machine || !process)
        return findings;
    const QString path = machinePath(process);

    // Reachability along the branches the generated code has.
    QSet<const StateItem*> reached;
    const StateItem* initial = initialState(machine);
    if (initial) {
        QVector<const StateItem*> todo {initial};
        reached.insert(initial);
        while (!todo.isEmpty()) {
            const StateItem* state = todo.takeLast();
            for (const TransitionItem* transition : outgoing(state)) {
                const StateItem* next = transition->endItem();
                if (next && !reached.contains(next)) {
                    reached.insert(next);
                    todo.append(next);
                }
            }
        }
    }

    for (const StateItem* state : machine->stateItems) {
        const QString statePath = elementPath(path, state->getLabel());
        const QVector<TransitionItem*> leaving = outgoing(state);
        // One warning per state: an unreachable state's exits do not matter.
        if (initial && !reached.contains(state)) {
            findings.append(warning(QStringLiteral("unreachable-state"), statePath,
                                    QStringLiteral("state %1 cannot be reached from the initial state %2")
                                        .arg(quoted(state->getLabel()), quoted(initial->getLabel()))));
        } else if (leaving.isEmpty() && !state->initialStatus()) {
            findings.append(warning(QStringLiteral("dead-end-state"), statePath,
                                    QStringLiteral("no transition leaves state %1; the machine stays there")
                                        .arg(quoted(state->getLabel()))));
        }

        QHash<QString, const TransitionItem*> guards;
        for (const TransitionItem* transition : leaving) {
            const QString transitionPath = elementPath(path, transition->getLabel());
            const QString guard = normalizedGuard(transition->getCondition());
            if (guard.isEmpty()) {
                if (leaving.size() > 1) {
                    findings.append(warning(QStringLiteral("empty-guard"), transitionPath,
                                            QStringLiteral("transition %1 from state %2 has an empty guard but "
                                                           "is not the only one leaving the state")
                                                .arg(quoted(transition->getLabel()), quoted(state->getLabel()))));
                }
                continue;
            }
            const TransitionItem* earlier = guards.value(guard);
            if (earlier) {
                findings.append(warning(QStringLiteral("shadowed-transition"), transitionPath,
                                        QStringLiteral("transition %1 from state %2 has the same guard as "
                                                       "transition %3 and can never fire")
                                            .arg(quoted(transition->getLabel()), quoted(state->getLabel()),
                                                 quoted(earlier->getLabel()))));
            } else {
                guards.insert(guard, transition);
            }
        }
    }

    for (const MemoryItem* memory : machine->memoryItems) {
        const QString datatype = memory->getDatatype();
        if (!datatype.contains(QLatin1Char(' ')))
            continue;
        findings.append(warning(QStringLiteral("datatype-with-blanks"), elementPath(path, memory->getLabel()),
                                QStringLiteral("memory item %1 has the datatype %2, written as %3, which compiles "
                                               "only with a typedef; use %4")
                                    .arg(quoted(memory->getLabel()), quoted(datatype),
                                         printable(underscored(datatype)), suggestedType(datatype))));
    }
    return findings;
}

QVector<Finding> DesignLinter::blockWarnings(const Canvas* canvas)
{
    QVector<Finding> findings;
    if (!canvas)
        return findings;
    for (const MemoryItem* memory : canvas->memoryItems) {
        if (!memory->getDataflows().isEmpty())
            continue;
        findings.append(warning(QStringLiteral("unused-memory"),
                                printable(canvas->getLabel()) + QLatin1Char('/') + printable(memory->getLabel()),
                                QStringLiteral("memory item %1 is not used by any dataflow")
                                    .arg(quoted(memory->getLabel()))));
    }
    return findings;
}

QVector<QVector<Finding>> DesignLinter::fileNameClashes(const QVector<const ProcessItem*>& processes)
{
    QVector<QVector<Finding>> findings(processes.size());
    for (int i = 0; i < processes.size(); ++i) {
        const QString name = stateMachineName(processes[i]);
        if (name.isEmpty())
            continue;
        for (int j = 0; j < processes.size(); ++j) {
            if (i == j || stateMachineName(processes[j]).compare(name, Qt::CaseInsensitive) != 0)
                continue;
            findings[i].append(error(QStringLiteral("file-name-clash"), machinePath(processes[i]),
                                     QStringLiteral("machine %1 writes the same files as %2 (%3.h, %3.c)")
                                         .arg(quoted(processes[i]->getLabel()), machinePath(processes[j]),
                                              printable(name))));
            break;
        }
    }
    return findings;
}

QVector<Finding> DesignLinter::lintProject(const ProjectCanvases& project)
{
    const QVector<ProjectCanvases::StateMachine> machines = project.stateMachines();
    QVector<const ProcessItem*> processes;
    QHash<const Canvas*, int> machineIndex;
    for (const ProjectCanvases::StateMachine& machine : machines) {
        machineIndex.insert(machine.canvas, processes.size());
        processes.append(machine.process);
    }
    const QVector<QVector<Finding>> clashes = fileNameClashes(processes);

    QVector<Finding> findings;
    for (const Canvas* canvas : project.all()) {
        if (canvas->getLevel() != 5) {
            findings += blockWarnings(canvas);
            continue;
        }
        const int index = machineIndex.value(canvas, -1);
        if (index < 0)
            continue;
        const ProcessItem* process = processes.at(index);
        findings += nameErrors(canvas, process);
        findings += clashes.at(index);
        findings += generatorErrors(canvas, process);
        findings += machineWarnings(canvas, process);
    }
    return findings;
}

QString DesignLinter::severityName(Severity severity)
{
    return severity == Error ? QStringLiteral("error") : QStringLiteral("warning");
}

QString DesignLinter::textLine(const Finding& finding)
{
    // Labels in messages are already escaped; only the generator's own
    // texts can still hold a line break.
    QString message = finding.message;
    message.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return QStringLiteral("%1: %2: %3 [%4]")
        .arg(finding.path, severityName(finding.severity), message, finding.rule);
}

QString DesignLinter::json(const QVector<Finding>& findings)
{
    // Written by hand to keep the keys in reading order; Qt escapes the values.
    auto string = [](const QString& value) {
        const QByteArray array = QJsonDocument(QJsonArray {value}).toJson(QJsonDocument::Compact);
        return QString::fromUtf8(array.mid(1, array.size() - 2));
    };
    QString text = QStringLiteral("[");
    for (int i = 0; i < findings.size(); ++i) {
        const Finding& f = findings.at(i);
        text += QStringLiteral("%1\n{\"rule\": %2, \"severity\": %3, \"path\": %4, \"message\": %5}")
                    .arg(i ? QStringLiteral(",") : QString(), string(f.rule), string(severityName(f.severity)),
                         string(f.path), string(f.message));
    }
    text += findings.isEmpty() ? QStringLiteral("]\n") : QStringLiteral("\n]\n");
    return text;
}
