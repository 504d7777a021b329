#include "machinesnapshots.h"

#include "document.h"
#include "projectcanvases.h"
#include "projectsnapshot.h"

MachineSnapshots::MachineSnapshots(const ProjectCanvases& project)
{
    for (const ProjectCanvases::StateMachine& machine : project.stateMachines()) {
        documents.push_back(std::make_unique<Document>());
        nodes << ProjectSnapshot::takeMachine(machine.process, machine.canvas, documents.back().get());
        drawn << machine.canvas;
    }
}

MachineSnapshots::~MachineSnapshots() = default;
