#ifndef MACHINESNAPSHOTS_H
#define MACHINESNAPSHOTS_H

#include <QVector>

#include <memory>
#include <vector>

class Canvas;
class Document;
class ProjectCanvases;
class ProjectNode;

// Every state machine of the open project as plain data, for the code
// generator and the design checks: in canvas order, each machine in a
// document of its own with the module it is drawn on.
class MachineSnapshots
{
public:
    explicit MachineSnapshots(const ProjectCanvases& project);
    ~MachineSnapshots();
    MachineSnapshots(const MachineSnapshots&) = delete;
    MachineSnapshots& operator=(const MachineSnapshots&) = delete;

    const QVector<const ProjectNode*>& machines() const { return nodes; }
    // The canvas each machine was taken from.
    const QVector<const Canvas*>& canvases() const { return drawn; }

private:
    std::vector<std::unique_ptr<Document>> documents;
    QVector<const ProjectNode*> nodes;
    QVector<const Canvas*> drawn;
};

#endif // MACHINESNAPSHOTS_H
