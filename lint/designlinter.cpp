#include "designlinter.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include "idindex.h"
#include "nameindex.h"
#include "projectnode.h"

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

Finding error(const QString& rule, const QString& path, const QString& message, ElementId element = 0)
{
    return {rule, DesignLinter::Error, path, message, element};
}

Finding warning(const QString& rule, const QString& path, const QString& message, ElementId element = 0)
{
    return {rule, DesignLinter::Warning, path, message, element};
}

QString elementPath(const QString& machine, const QString& label)
{
    return machine + QLatin1Char('/') + DesignLinter::printable(label);
}

// The transitions to other states that leave the state, in its order.
QVector<const TransitionElement*> outgoing(const StateElement& state, const Diagram& diagram,
                                           const IdIndex& transitions)
{
    QVector<const TransitionElement*> leaving;
    for (ElementId id : state.transitions) {
        const TransitionElement* transition = transitions.find<TransitionElement>(diagram.transitions, id);
        if (transition && transition->startState == state.id)
            leaving.append(transition);
    }
    return leaving;
}

const StateElement* initialState(const Diagram& machine)
{
    for (const StateElement& state : machine.states) {
        if (state.initial)
            return &state;
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
                     const QString& label, const QString& identifier, ElementId element = 0)
{
    if (!DesignLinter::isCIdentifier(identifier)) {
        findings->append(error(QStringLiteral("not-c-identifier"), path,
                               QStringLiteral("%1 %2 is not a C identifier").arg(what, quoted(label)), element));
        return false;
    }
    if (DesignLinter::isCKeyword(identifier)) {
        findings->append(error(QStringLiteral("c-keyword"), path,
                               QStringLiteral("%1 %2 is a C keyword").arg(what, quoted(label)), element));
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

QString DesignLinter::stateMachineName(const ProjectNode* machine)
{
    return machine ? underscored(machine->process.label) : QString();
}

QString DesignLinter::machinePath(const ProjectNode* machine)
{
    if (!machine)
        return QString();
    const QString name = printable(machine->process.label);
    return machine->parent() ? printable(machine->parent()->process.label) + QLatin1Char('/') + name : name;
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

QVector<Finding> DesignLinter::nameErrors(const ProjectNode* machine)
{
    QVector<Finding> findings;
    if (!machine)
        return findings;
    const QString path = machinePath(machine);
    const QString label = machine->process.label;
    const QString n = underscored(label);

    // Every C name the files declare, with the element it comes from, so
    // that two elements giving the same name are caught before gcc sees them.
    // Seven names of the machine's own, two per state and one per memory item.
    const int expected = 7 + 2 * machine->diagram.states.size() + machine->diagram.memories.size();
    struct Owner { QString what; QString label; };
    QVector<Owner> owners;
    owners.reserve(expected);
    NameIndex declared(expected);
    QSet<ElementId> reported;
    // An element's path is made only for a finding: a large machine has
    // many names and few findings.
    auto declare = [&](const QString& identifier, const QString& what, const QString& itemLabel,
                       ElementId item) {
        const int first = declared.insertNew(identifier, owners.size());
        if (first < 0) {
            owners.append({what, itemLabel});
            return;
        }
        const Owner* known = &owners.at(first);
        if (reported.contains(item))
            return;
        reported.insert(item);
        const QString message = known->what == what && known->label == itemLabel
            ? QStringLiteral("%1 %2 appears more than once").arg(what, quoted(itemLabel))
            : QStringLiteral("%1 %2 gives the C name %3, as %4 %5 does")
                  .arg(what, quoted(itemLabel), identifier, known->what, quoted(known->label));
        findings.append(error(QStringLiteral("duplicate-name"), elementPath(path, itemLabel), message, item));
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
            declare(identifier, what, label, 0);
    }

    for (const StateElement& state : machine->diagram.states) {
        const QString& stateLabel = state.label;
        const QString what = QStringLiteral("state");
        if ((!DesignLinter::isCIdentifier(stateLabel) || DesignLinter::isCKeyword(stateLabel))
            && !checkIdentifier(&findings, elementPath(path, stateLabel), what, stateLabel, stateLabel, state.id))
            continue;
        declare(stateLabel, what, stateLabel, state.id);
        if (machineNamed)
            declare(QStringLiteral("STATE_") + upper + QLatin1Char('_') + stateLabel.toUpper(), what,
                    stateLabel, state.id);
    }

    for (const MemoryElement& memory : machine->diagram.memories) {
        const QString memoryLabel = memory.label;
        if (memoryLabel.isEmpty())
            continue; // the generator's own check reports it
        const QString memoryPath = elementPath(path, memoryLabel);
        const QString what = QStringLiteral("memory item");
        const QString variable = underscored(memoryLabel);
        if (checkIdentifier(&findings, memoryPath, what, memoryLabel, variable, memory.id))
            declare(variable, what, memoryLabel, memory.id);
    }
    return findings;
}

QVector<Finding> DesignLinter::generatorErrors(const ProjectNode* machine)
{
    QVector<Finding> findings;
    if (!machine)
        return findings;
    const QString path = machinePath(machine);
    for (const MemoryElement& memory : machine->diagram.memories) {
        const QString memoryPath = elementPath(path, memory.label);
        if (memory.label.isEmpty()) {
            findings.append(error(QStringLiteral("memory-label-missing"), memoryPath,
                                  QStringLiteral("Label Input for Memory Item %1 is absent").arg(memory.label),
                                  memory.id));
        }
        if (memory.datatype.isEmpty()) {
            findings.append(error(QStringLiteral("memory-datatype-missing"), memoryPath,
                                  QStringLiteral("Datatype Input for Memory Item %1 is absent").arg(memory.label),
                                  memory.id));
        }
    }
    const StateElement* initial = initialState(machine->diagram);
    if (!initial) {
        findings.append(error(QStringLiteral("initial-state-missing"), path,
                              QStringLiteral("Initial state item in state machine %1 is not assigned")
                                  .arg(stateMachineName(machine))));
    } else if (initial->initialCondition.isEmpty() && !initial->initialDescription.isEmpty()) {
        findings.append(error(QStringLiteral("initial-action-without-condition"), elementPath(path, initial->label),
                              QStringLiteral("Initial state action present but condition absent for State Item "
                                             "%1 is absent")
                                  .arg(initial->label),
                              initial->id));
    }
    return findings;
}

QVector<Finding> DesignLinter::machineWarnings(const ProjectNode* machine)
{
    QVector<Finding> findings;
    if (!machine)
        return findings;
    const QString path = machinePath(machine);
    const Diagram& diagram = machine->diagram;
    const IdIndex transitions = IdIndex::of<TransitionElement>(diagram.transitions);
    const IdIndex states = IdIndex::of<StateElement>(diagram.states);

    // Reachability along the branches the generated code has.
    QSet<ElementId> reached;
    const StateElement* initial = initialState(diagram);
    if (initial) {
        QVector<const StateElement*> todo {initial};
        reached.insert(initial->id);
        while (!todo.isEmpty()) {
            const StateElement* state = todo.takeLast();
            for (const TransitionElement* transition : outgoing(*state, diagram, transitions)) {
                const StateElement* next = states.find<StateElement>(diagram.states, transition->endState);
                if (next && !reached.contains(next->id)) {
                    reached.insert(next->id);
                    todo.append(next);
                }
            }
        }
    }

    for (const StateElement& state : diagram.states) {
        const QString statePath = elementPath(path, state.label);
        const QVector<const TransitionElement*> leaving = outgoing(state, diagram, transitions);
        // One warning per state: an unreachable state's exits do not matter.
        if (initial && !reached.contains(state.id)) {
            findings.append(warning(QStringLiteral("unreachable-state"), statePath,
                                    QStringLiteral("state %1 cannot be reached from the initial state %2")
                                        .arg(quoted(state.label), quoted(initial->label)),
                                    state.id));
        } else if (leaving.isEmpty() && !state.initial) {
            findings.append(warning(QStringLiteral("dead-end-state"), statePath,
                                    QStringLiteral("no transition leaves state %1; the machine stays there")
                                        .arg(quoted(state.label)),
                                    state.id));
        }

        QHash<QString, const TransitionElement*> guards;
        QSet<QString> labels;
        for (const TransitionElement* transition : leaving) {
            const QString transitionPath = elementPath(path, transition->label);
            // The generated comments and the simulation's trace name
            // transitions by label: two alike from one state read as one.
            if (!transition->label.isEmpty() && labels.contains(transition->label))
                findings.append(warning(QStringLiteral("duplicate-transition-label"), transitionPath,
                                        QStringLiteral("transition %1 from state %2 has the same label as an "
                                                       "earlier one from that state")
                                            .arg(quoted(transition->label), quoted(state.label)),
                                        transition->id));
            labels.insert(transition->label);
            const QString guard = normalizedGuard(transition->condition);
            if (guard.isEmpty()) {
                if (leaving.size() > 1) {
                    findings.append(warning(QStringLiteral("empty-guard"), transitionPath,
                                            QStringLiteral("transition %1 from state %2 has an empty guard but "
                                                           "is not the only one leaving the state")
                                                .arg(quoted(transition->label), quoted(state.label)),
                                            transition->id));
                }
                continue;
            }
            const TransitionElement* earlier = guards.value(guard);
            if (earlier) {
                findings.append(warning(QStringLiteral("shadowed-transition"), transitionPath,
                                        QStringLiteral("transition %1 from state %2 has the same guard as "
                                                       "transition %3 and can never fire")
                                            .arg(quoted(transition->label), quoted(state.label),
                                                 quoted(earlier->label)),
                                        transition->id));
            } else {
                guards.insert(guard, transition);
            }
        }
    }

    for (const MemoryElement& memory : diagram.memories) {
        const QString datatype = memory.datatype;
        if (!datatype.contains(QLatin1Char(' ')))
            continue;
        findings.append(warning(QStringLiteral("datatype-with-blanks"), elementPath(path, memory.label),
                                QStringLiteral("memory item %1 has the datatype %2, written as %3, which compiles "
                                               "only with a typedef; use %4")
                                    .arg(quoted(memory.label), quoted(datatype),
                                         printable(underscored(datatype)), suggestedType(datatype)),
                                memory.id));
    }
    return findings;
}

QVector<Finding> DesignLinter::blockWarnings(const ProjectNode* node)
{
    QVector<Finding> findings;
    if (!node)
        return findings;
    QSet<ElementId> used;
    for (const DataflowElement& dataflow : node->diagram.dataflows)
        used.insert(dataflow.memory);
    for (const MemoryElement& memory : node->diagram.memories) {
        if (used.contains(memory.id))
            continue;
        findings.append(warning(QStringLiteral("unused-memory"),
                                printable(node->process.label) + QLatin1Char('/') + printable(memory.label),
                                QStringLiteral("memory item %1 is not used by any dataflow")
                                    .arg(quoted(memory.label)),
                                memory.id));
    }
    return findings;
}

QVector<QVector<Finding>> DesignLinter::fileNameClashes(const QVector<const ProjectNode*>& machines)
{
    QVector<QVector<Finding>> findings(machines.size());
    for (int i = 0; i < machines.size(); ++i) {
        const QString name = stateMachineName(machines[i]);
        if (name.isEmpty())
            continue;
        for (int j = 0; j < machines.size(); ++j) {
            if (i == j || stateMachineName(machines[j]).compare(name, Qt::CaseInsensitive) != 0)
                continue;
            findings[i].append(error(QStringLiteral("file-name-clash"), machinePath(machines[i]),
                                     QStringLiteral("machine %1 writes the same files as %2 (%3.h, %3.c)")
                                         .arg(quoted(machines[i]->process.label), machinePath(machines[j]),
                                              printable(name))));
            break;
        }
    }
    return findings;
}

QVector<Finding> DesignLinter::lintMachine(const ProjectNode* machine, const QVector<Finding>& clashes)
{
    return nameErrors(machine) + clashes + generatorErrors(machine) + machineWarnings(machine);
}

QString DesignLinter::severityName(Severity severity)
{
    switch (severity) {
    case Error: return QStringLiteral("error");
    case Warning: return QStringLiteral("warning");
    case Info: break;
    }
    return QStringLiteral("info");
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
