#ifndef DOCUMENT_H
#define DOCUMENT_H

#include <QHash>
#include <QPair>
#include <QVector>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include "documentobserver.h"
#include "elementid.h"
#include "projectnode.h"

// A whole project as plain data: the tree of nodes from the project node
// down, each with its diagram. Nothing in it depends on a window, so the
// file writer, and whatever else needs the project without one, works on
// it alone.
//
// A document that views show is changed through insert(), replace(),
// remove() and the node calls, which tell its observers; a document only
// read or written, as the file reader fills it, is changed directly, and so
// are the numbers of the nodes, which views read as they need them.
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
    // null or -1 when it holds none. Large lists are looked up in constant
    // time.
    template <typename Element>
    const Element* find(const ProjectNode& node, ElementId id) const;
    template <typename Element>
    int indexOf(const ProjectNode& node, ElementId id) const;
    // The element at index among its kind, as the diagram holds it.
    template <typename Element>
    const typename Stored<Element>::Type& at(const ProjectNode& node, int index) const;
    // Puts the element into the node's diagram at index among its kind (at
    // the end when out of range). A shared state or transition stays shared.
    template <typename Element>
    void insert(ProjectNode& node, int index, const Element& element);
    void insert(ProjectNode& node, int index, const SharedElement<StateElement>& state);
    void insert(ProjectNode& node, int index, const SharedElement<TransitionElement>& transition);
    // Gives the element with the same id the element's values; false when
    // the node holds none.
    template <typename Element>
    bool replace(ProjectNode& node, const Element& element);
    // Takes the element with the id out of the node's diagram; false when
    // it holds none.
    template <typename Element>
    bool remove(ProjectNode& node, ElementId id);

    // Elements with the places they had among their kind, the first place
    // first.
    template <typename Element>
    using Placed = QVector<QPair<int, typename Stored<Element>::Type>>;
    // Takes the elements with the ids out at once, in one pass however many
    // there are, and gives them with their places; ids the node does not
    // hold are passed over.
    template <typename Element>
    Placed<Element> takeMany(ProjectNode& node, const QVector<ElementId>& ids);
    // Puts elements taken so back in their places, in one pass.
    template <typename Element>
    void putBack(ProjectNode& node, const Placed<Element>& placed);

    // A node with its subtree comes under parent at index among its children
    // (last when out of range), or leaves it; a node taken out keeps its
    // subtree and its id, so putting it back restores it whole.
    ProjectNode* insertNode(ProjectNode& parent, int index, std::unique_ptr<ProjectNode> node);
    std::unique_ptr<ProjectNode> takeNode(ProjectNode& parent, int index);
    // Gives the node the process it is drawn as on its parent's diagram.
    void replaceProcess(ProjectNode& node, const ProcessElement& process);

private:
    template <typename Element>
    void insertStored(ProjectNode& node, int index, const typename Stored<Element>::Type& element);
    template <typename Element>
    void tellAdded(ProjectNode& node, ElementId id, int index);
    // Tells every observer, those an observer adds while it is told
    // included; one removed meanwhile is passed over and dropped after.
    template <typename Tell>
    void tell(const Tell& told)
    {
        ++telling;
        for (std::size_t i = 0; i < observers.size(); ++i)
            if (observers[i])
                told(observers[i]);
        if (--telling == 0)
            observers.erase(std::remove(observers.begin(), observers.end(), nullptr), observers.end());
    }

    std::unique_ptr<ProjectNode> rootNode;
    std::vector<DocumentObserver*> observers;
    int telling = 0;
    // The places of the elements of large lists by id, keyed by the list.
    // An entry may be stale after an insert or a removal; a lookup checks
    // the place it finds and builds the list's entries again when it is.
    mutable std::unordered_map<const void*, QHash<ElementId, int>> places;
};

#endif // DOCUMENT_H
