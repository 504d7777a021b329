#ifndef DOCUMENTOBSERVER_H
#define DOCUMENTOBSERVER_H

#include "elementid.h"

class ProjectNode;

// The kinds of element a diagram holds in lists of their own.
enum class ElementKind { Link, Memory, Dataflow, State, Transition, Text };

// What a view of a document is told as the document changes. Each call
// comes after the change, so the view reads the document as it now is.
class DocumentObserver
{
public:
    // The element came into the node's diagram at index among its kind.
    virtual void elementAdded(const ProjectNode& node, ElementKind kind, ElementId id, int index) = 0;
    // The element at index among its kind took other values.
    virtual void elementChanged(const ProjectNode& node, ElementKind kind, ElementId id, int index) = 0;
    // The element left the node's diagram from index among its kind. When
    // several leave at once, each is told with the index it had, the last
    // first, so that a view that keeps them in the same order can take each
    // out at its index.
    virtual void elementRemoved(const ProjectNode& node, ElementKind kind, ElementId id, int index) = 0;

protected:
    ~DocumentObserver() = default;
};

#endif // DOCUMENTOBSERVER_H
