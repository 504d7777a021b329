#ifndef MACHINESET_H
#define MACHINESET_H

#include <QVector>

#include <memory>
#include <vector>

class Document;
class ProjectNode;

// State machines taken one by one, each in a document of its own with the
// module it is drawn on, for the code generator and the design checks.
class MachineSet
{
public:
    MachineSet();
    ~MachineSet();
    MachineSet(const MachineSet&) = delete;
    MachineSet& operator=(const MachineSet&) = delete;

    // A document for the next machine, kept as long as the set.
    Document* newDocument();
    void add(const ProjectNode* machine) { nodes.append(machine); }
    const QVector<const ProjectNode*>& machines() const { return nodes; }

private:
    std::vector<std::unique_ptr<Document>> documents;
    QVector<const ProjectNode*> nodes;
};

#endif // MACHINESET_H
