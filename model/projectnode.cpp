#include "projectnode.h"

ProjectNode::ProjectNode(ElementId id, ProjectNode* parent)
    : nodeId(id)
    , parentNode(parent)
{
}

int ProjectNode::level() const
{
    int level = 1;
    for (const ProjectNode* node = parentNode; node; node = node->parentNode)
        ++level;
    return level;
}

int ProjectNode::fileId() const
{
    return parentNode ? process.number : 1;
}

int ProjectNode::fileParentId() const
{
    return parentNode ? parentNode->fileId() : 1;
}

int ProjectNode::fileGrandParentId() const
{
    return parentNode ? parentNode->fileParentId() : 1;
}

ProjectNode* ProjectNode::appendChild(ElementId id)
{
    nodes.push_back(std::make_unique<ProjectNode>(id, this));
    return nodes.back().get();
}
