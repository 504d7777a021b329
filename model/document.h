#ifndef DOCUMENT_H
#define DOCUMENT_H

#include <memory>

#include "elementid.h"
#include "projectnode.h"

// A whole project as plain data: the tree of nodes from the project node
// down, each with its diagram. Nothing in it depends on a window, so the
// file writer, and whatever else needs the project without one, works on
// it alone.
class Document
{
public:
    Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    ProjectNode& root() { return *rootNode; }
    const ProjectNode& root() const { return *rootNode; }
    // A fresh id for a node or an element of this document.
    static ElementId newId() { return nextElementId(); }

private:
    std::unique_ptr<ProjectNode> rootNode;
};

#endif // DOCUMENT_H
