#ifndef DOCUMENTOBSERVER_H
#define DOCUMENTOBSERVER_H

#include <QVector>

#include "elementid.h"

class ProjectNode;

// The kinds of element a diagram holds in lists of their own.
enum class ElementKind { Link, Memory, Dataflow, State, Transition, Text };

// What a view of a document is told as the document changes. Each call
// comes after the change, so the view reads the document as it now is; a
// view hears only what it overrides.
class DocumentObserver
{
public:
    // The element came into the node's diagram at index among its kind.
    virtual void elementAdded(const ProjectNode& /*node*/, ElementKind /*kind*/, ElementId /*id*/, int /*index*/) {}
    // The element at index among its kind took other values.
    virtual void elementChanged(const ProjectNode& /*node*/, ElementKind /*kind*/, ElementId /*id*/, int /*index*/) {}
    // The element left the node's diagram from index among its kind.
    virtual void elementRemoved(const ProjectNode& /*node*/, ElementKind /*kind*/, ElementId /*id*/, int /*index*/) {}

    // Several elements came or left at once, each with its index, in the
    // order of the indexes: where it now is, or where it was. A view that
    // keeps them in the same order can go through its list once; by default
    // each is told on its own, the last to leave first, so that each index
    // is right when it is told.
    virtual void elementsAdded(const ProjectNode& node, ElementKind kind, const QVector<ElementId>& ids,
                               const QVector<int>& indexes)
    {
        for (int i = 0; i < ids.size(); ++i)
            elementAdded(node, kind, ids.at(i), indexes.at(i));
    }
    virtual void elementsRemoved(const ProjectNode& node, ElementKind kind, const QVector<ElementId>& ids,
                                 const QVector<int>& indexes)
    {
        for (int i = ids.size() - 1; i >= 0; --i)
            elementRemoved(node, kind, ids.at(i), indexes.at(i));
    }

    // A node came under parent at index, with its subtree; a node left
    // parent from index with its subtree, which is still whole while it is
    // told; a node's process took other values. The nodes below the project
    // node are its processes.
    virtual void nodeAdded(const ProjectNode& /*parent*/, int /*index*/) {}
    virtual void nodeRemoved(const ProjectNode& /*parent*/, const ProjectNode& /*node*/, int /*index*/) {}
    virtual void processChanged(const ProjectNode& /*node*/) {}

protected:
    ~DocumentObserver() = default;
};

#endif // DOCUMENTOBSERVER_H
