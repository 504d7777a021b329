#ifndef ELEMENTID_H
#define ELEMENTID_H

#include <QtGlobal>

// Names a node or a diagram element for the life of the program: it does
// not change when siblings come or go, and is never reused. 0 names nothing.
using ElementId = quint64;

// A fresh id, unique among all documents and views of this program, from
// any thread: a view's item and a document taken of it can then share ids.
ElementId nextElementId();

#endif // ELEMENTID_H
