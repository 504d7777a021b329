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

int ProjectNode::indexOf(const ProjectNode* child) const
{
    for (std::size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].get() == child)
            return int(i);
    return -1;
}

ProjectNode* ProjectNode::child(ElementId id) const
{
    for (const auto& node : nodes)
        if (node->id() == id)
            return node.get();
    return nullptr;
}

std::unique_ptr<ProjectNode> ProjectNode::takeChild(int index)
{
    std::unique_ptr<ProjectNode> child = std::move(nodes.at(std::size_t(index)));
    nodes.erase(nodes.begin() + index);
    child->parentNode = nullptr;
    return child;
}

void ProjectNode::renumberChildren()
{
    const int count = int(nodes.size());
    for (int i = 0; i < count; ++i) {
        nodes[std::size_t(i)]->process.number = i + 1;
        nodes[std::size_t(i)]->process.countNumber = count;
        nodes[std::size_t(i)]->renumberChildren();
    }
}

void ProjectNode::insertChild(int index, std::unique_ptr<ProjectNode> child)
{
    if (index < 0 || std::size_t(index) > nodes.size())
        index = int(nodes.size());
    child->parentNode = this;
    nodes.insert(nodes.begin() + index, std::move(child));
}
