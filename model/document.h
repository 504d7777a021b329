#ifndef DOCUMENT_H
#define DOCUMENT_H

#include <memory>
#include <vector>

#include "documentobserver.h"
#include "elementid.h"
#include "projectnode.h"

// A whole project as plain data: the tree of nodes from the project node
// down, each with its diagram. Nothing in it depends on a window, so the
// file writer, and whatever else needs the project without one, works on
// it alone.
//
// A document that views show is changed through insert(), replace() and
// remove(), which tell its observers; a document only read or written, as
// the file reader fills it, is changed directly.
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

    void addObserver(DocumentObserver* observer);
    void removeObserver(DocumentObserver* observer);

    // An element of the node's diagram by its id among those of its kind;
    // null or -1 when it holds none.
    template <typename Element>
    const Element* find(const ProjectNode& node, ElementId id) const;
    template <typename Element>
    int indexOf(const ProjectNode& node, ElementId id) const;
    // Puts the element into the node's diagram at index among its kind (at
    // the end when out of range).
    template <typename Element>
    void insert(ProjectNode& node, int index, const Element& element);
    // Gives the element with the same id the element's values; false when
    // the node holds none.
    template <typename Element>
    bool replace(ProjectNode& node, const Element& element);
    // Takes the element with the id out of the node's diagram; false when
    // it holds none.
    template <typename Element>
    bool remove(ProjectNode& node, ElementId id);

private:
    std::unique_ptr<ProjectNode> rootNode;
    std::vector<DocumentObserver*> observers;
};

#endif // DOCUMENT_H
