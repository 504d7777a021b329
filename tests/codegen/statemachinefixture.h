#ifndef STATEMACHINEFIXTURE_H
#define STATEMACHINEFIXTURE_H

// A state machine on real canvases, built the way the project loader builds
// one: the owning process (with its memory items and dataflows) on a level-4
// canvas, and states, transitions, memory and text items on the level-5
// canvas it owns. Shared by the code generator tests and its benchmark.

#include <QMenu>
#include <QPoint>
#include <QVector>

#include "canvas.h"
#include "codegenerator.h"
#include "dataflowitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

struct StateMachineFixture
{
    QMenu menus[7];
    t_strContextMenu set {&menus[0], &menus[1], &menus[2], &menus[3],
                          &menus[4], &menus[5], &menus[6]};
    Canvas module {&set};
    Canvas machine {&set};
    ProcessItem* process = nullptr;

    explicit StateMachineFixture(const QString& processLabel, const QString& description = QString())
    {
        module.setLevel(4);
        module.setId(1);
        module.setParentId(1);
        module.setGrandParentId(1);
        machine.setLevel(5);
        machine.setId(1);
        machine.setParentId(1);
        machine.setGrandParentId(1);

        t_processItemReadFromXML record;
        record.level = 5;
        record.id = 1;
        record.Nos = 1;
        record.parentId = 1;
        record.grandParentId = 1;
        record.label = processLabel;
        record.description = description;
        record.xCoord = 400;
        record.yCoord = 300;
        record.width = 300;
        record.height = 250;
        record.shape = 1;
        record.polygon = rectangle(300, 250);
        module.addProcessItem(&record);
        process = module.processItems.last();
    }

    static QVector<QPoint> rectangle(int w, int h)
    {
        return {QPoint(0, 0), QPoint(w, 0), QPoint(w, h), QPoint(0, h), QPoint(0, 0)};
    }

    StateItem* addState(const QString& label, const QString& action = QString(),
                        const QString& description = QString())
    {
        t_stateItemReadFromXML record = stateRecord(label, action, description);
        machine.addStateItem(&record);
        return machine.stateItems.last();
    }

    StateItem* addInitialState(const QString& label, const QString& condition,
                               const QString& initialAction, const QString& action = QString(),
                               const QString& description = QString())
    {
        t_stateItemReadFromXML record = stateRecord(label, action, description);
        record.ifInitialState = true;
        record.initialCondition = condition;
        record.initialDescription = initialAction;
        machine.addStateItem(&record);
        return machine.stateItems.last();
    }

    t_stateItemReadFromXML stateRecord(const QString& label, const QString& action, const QString& description)
    {
        t_stateItemReadFromXML record;
        record.level = 6;
        record.parentId = 1;
        record.grandParentId = 1;
        record.label = label;
        record.action = action;
        record.description = description;
        record.xCoord = 100 + 400 * (machine.stateItems.size() % 10);
        record.yCoord = 100 + 300 * (machine.stateItems.size() / 10);
        record.width = 280;
        record.height = 150;
        record.polygon = rectangle(280, 150);
        return record;
    }

    static t_transitionItemReadFromXML transitionRecord(const QString& label, const QString& condition,
                                                        const QString& action)
    {
        t_transitionItemReadFromXML record;
        record.level = 6;
        record.parentId = 1;
        record.grandParentId = 1;
        record.label = label;
        record.condition = condition;
        record.action = action;
        record.width = 150;
        record.height = 75;
        record.polygon = rectangle(150, 75);
        return record;
    }

    // By state labels, as a project file names the ends.
    TransitionItem* addTransition(const QString& from, const QString& to, const QString& label,
                                  const QString& condition = QString(), const QString& action = QString())
    {
        t_transitionItemReadFromXML record = transitionRecord(label, condition, action);
        record.startItem = from;
        record.endItem = to;
        return machine.addTransitionItem(&record) ? machine.transitionItems.last() : nullptr;
    }

    // By the states themselves, without searching for labels: large machines
    // are built in linear time.
    TransitionItem* join(StateItem* from, StateItem* to, const QString& label,
                         const QString& condition = QString(), const QString& action = QString())
    {
        t_transitionItemReadFromXML record = transitionRecord(label, condition, action);
        auto* transition = new TransitionItem(set.transitionMenu, from, to, nullptr);
        from->addTransition(transition);
        if (from != to)
            to->addTransition(transition);
        transition->updatePropertiesfromXMLIO(&record);
        machine.transitionItems.append(transition);
        machine.addItem(transition);
        return transition;
    }

    MemoryItem* addMemory(const QString& label, const QString& datatype)
    {
        t_memoryItemReadFromXML record = memoryRecord(6, label, datatype);
        machine.addMemoryItem(&record);
        return machine.memoryItems.last();
    }

    TextItem* addText(int type, const QString& text)
    {
        t_textItemReadFromXML record;
        record.level = 6;
        record.parentId = 1;
        record.grandParentId = 1;
        record.type = type;
        record.xCoord = 50;
        record.yCoord = 50 + 100 * machine.textItems.size();
        record.width = 150;
        record.height = 75;
        record.polygon = rectangle(150, 75);
        record.action = text;
        machine.addTextItem(&record);
        return machine.textItems.last();
    }

    // A variable of the module read by the process (memory item to process).
    DataflowItem* addInput(const QString& variable)
    {
        return addModuleDataflow(variable, 2);
    }
    // A variable of the module written by the process.
    DataflowItem* addOutput(const QString& variable)
    {
        return addModuleDataflow(variable, 1);
    }

    void prepare(CodeGenerator& generator)
    {
        generator.setCanvasItem(&machine);
        generator.setProcessItem(process);
        generator.setNumberOfInputOutputVariables();
    }

private:
    static t_memoryItemReadFromXML memoryRecord(int level, const QString& label, const QString& datatype)
    {
        t_memoryItemReadFromXML record;
        record.level = level;
        record.parentId = 1;
        record.grandParentId = 1;
        record.xCoord = 900;
        record.yCoord = 100;
        record.label = label;
        record.datatype = datatype;
        record.polygon = rectangle(100, 64);
        return record;
    }

    DataflowItem* addModuleDataflow(const QString& variable, int lineType)
    {
        t_memoryItemReadFromXML memory = memoryRecord(5, variable, QStringLiteral("int"));
        memory.yCoord = 100 + 100 * module.memoryItems.size();
        module.addMemoryItem(&memory);

        t_dataflowItemReadFromXML record;
        record.level = 5;
        record.parentId = 1;
        record.grandParentId = 1;
        record.lineType = lineType;
        record.label = variable;
        record.datatype = QStringLiteral("int");
        record.startItem = lineType == 1 ? process->getLabel() : variable;
        record.endItem = lineType == 1 ? variable : process->getLabel();
        record.polygon = rectangle(100, 21);
        return module.addDataflowItem(&record) ? module.dataflowItems.last() : nullptr;
    }
};

#endif // STATEMACHINEFIXTURE_H
