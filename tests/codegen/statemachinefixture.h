#ifndef STATEMACHINEFIXTURE_H
#define STATEMACHINEFIXTURE_H

// A state machine as a project document holds it: the machine node, drawn as
// a process on its module's diagram (which holds the module's memory items
// and dataflows), with its states, transitions, memory and text items.
// Shared by the code generator tests and its benchmark.

#include <QHash>
#include <QPointF>
#include <QVector>

#include "codegenerator.h"
#include "document.h"

struct StateMachineFixture
{
    Document document;
    ProjectNode* machine = nullptr;

    explicit StateMachineFixture(const QString& processLabel, const QString& description = QString())
    {
        machine = module().appendChild(document.newId());
        machine->process.label = processLabel;
        machine->process.description = description;
    }

    ProjectNode& module() { return document.root(); }

    ElementId addState(const QString& label, const QString& action = QString(),
                       const QString& description = QString())
    {
        StateElement state;
        state.id = document.newId();
        state.label = label;
        state.action = action;
        state.description = description;
        const int n = machine->diagram.states.size();
        state.position = QPointF(100 + 400 * (n % 10), 100 + 300 * (n / 10));
        state.width = 280;
        state.height = 150;
        machine->diagram.states.append(state);
        stateAt.insert(state.id, n);
        return state.id;
    }

    ElementId addInitialState(const QString& label, const QString& condition, const QString& initialAction,
                              const QString& action = QString(), const QString& description = QString())
    {
        const ElementId id = addState(label, action, description);
        StateElement& added = state(id);
        added.initial = true;
        added.initialCondition = condition;
        added.initialDescription = initialAction;
        return id;
    }

    StateElement& state(ElementId id) { return machine->diagram.states[stateAt.value(id)].edit(); }

    // By state labels, as a project file names the ends: the last state of
    // a label, as the reader finds it.
    ElementId addTransition(const QString& from, const QString& to, const QString& label,
                            const QString& condition = QString(), const QString& action = QString())
    {
        ElementId start = 0;
        ElementId end = 0;
        for (const StateElement& candidate : machine->diagram.states) {
            if (candidate.label == from)
                start = candidate.id;
            if (candidate.label == to)
                end = candidate.id;
        }
        return start && end ? join(start, end, label, condition, action) : 0;
    }

    // A state lists the transitions to other states it touches, in the order
    // they were drawn.
    ElementId join(ElementId from, ElementId to, const QString& label, const QString& condition = QString(),
                   const QString& action = QString())
    {
        TransitionElement transition;
        transition.id = document.newId();
        transition.label = label;
        transition.condition = condition;
        transition.action = action;
        transition.width = 150;
        transition.height = 75;
        transition.startState = from;
        transition.endState = to;
        machine->diagram.transitions.append(transition);
        if (from != to) {
            state(from).transitions.append(transition.id);
            state(to).transitions.append(transition.id);
        }
        return transition.id;
    }

    ElementId addMemory(const QString& label, const QString& datatype)
    {
        return addMemoryTo(machine, label, datatype);
    }

    ElementId addText(int type, const QString& text)
    {
        TextElement item;
        item.id = document.newId();
        item.type = type;
        item.position = QPointF(50, 50 + 100 * machine->diagram.texts.size());
        item.width = 150;
        item.height = 75;
        item.text = text;
        machine->diagram.texts.append(item);
        return item.id;
    }

    // A variable of the module read by the process (memory item to process).
    ElementId addInput(const QString& variable) { return addModuleDataflow(variable, 2); }
    // A variable of the module written by the process.
    ElementId addOutput(const QString& variable) { return addModuleDataflow(variable, 1); }

    void prepare(CodeGenerator& generator)
    {
        generator.setMachine(machine);
        generator.setNumberOfInputOutputVariables();
    }

private:
    ElementId addMemoryTo(ProjectNode* node, const QString& label, const QString& datatype)
    {
        MemoryElement memory;
        memory.id = document.newId();
        memory.label = label;
        memory.datatype = datatype;
        memory.position = QPointF(900, 100 + 100 * node->diagram.memories.size());
        node->diagram.memories.append(memory);
        return memory.id;
    }

    ElementId addModuleDataflow(const QString& variable, int lineType)
    {
        DataflowElement dataflow;
        dataflow.id = document.newId();
        dataflow.lineType = lineType;
        dataflow.label = variable;
        dataflow.datatype = QStringLiteral("int");
        dataflow.process = machine->id();
        dataflow.memory = addMemoryTo(&module(), variable, QStringLiteral("int"));
        module().diagram.dataflows.append(dataflow);
        return dataflow.id;
    }

    QHash<ElementId, int> stateAt;
};

#endif // STATEMACHINEFIXTURE_H
