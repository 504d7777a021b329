#ifndef PROJECTNODE_H
#define PROJECTNODE_H

#include <QString>

#include <memory>
#include <vector>

#include "diagram.h"
#include "elementid.h"
#include "processelement.h"

// One node of the project tree: the project itself, a hardware module, a
// microcontroller, a software module or a state machine. A node is drawn as
// a process on its parent's diagram and owns a diagram of its own; its
// children are the processes drawn there, in order.
//
// The identity the file gives a node (level, id, parent id, grandparent id)
// follows from its place in the tree: it is derived, never stored.
class ProjectNode
{
public:
    ProjectNode(ElementId id, ProjectNode* parent);
    ProjectNode(const ProjectNode&) = delete;
    ProjectNode& operator=(const ProjectNode&) = delete;

    ElementId id() const { return nodeId; }
    ProjectNode* parent() const { return parentNode; }
    // 1 for the project, 5 for a state machine.
    int level() const;
    // The file's id of the node, and of its parent and grandparent: the
    // project's are 1.
    int fileId() const;
    int fileParentId() const;
    int fileGrandParentId() const;

    const std::vector<std::unique_ptr<ProjectNode>>& children() const { return nodes; }
    ProjectNode* appendChild(ElementId id);
    // The place of a child among the others; -1 when it is none of them.
    int indexOf(const ProjectNode* child) const;
    // The child with the id; null when none has it.
    ProjectNode* child(ElementId id) const;
    // Takes a child out with its subtree, and puts one back at index (at the
    // end when out of range).
    std::unique_ptr<ProjectNode> takeChild(int index);
    void insertChild(int index, std::unique_ptr<ProjectNode> child);
    // Numbers the children by their places, and theirs, down the subtree,
    // as a save numbers them.
    void renumberChildren();

    ProcessElement process;
    Diagram diagram;

private:
    ElementId nodeId;
    ProjectNode* parentNode;
    std::vector<std::unique_ptr<ProjectNode>> nodes;
};

#endif // PROJECTNODE_H
