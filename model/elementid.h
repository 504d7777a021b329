#ifndef ELEMENTID_H
#define ELEMENTID_H

#include <QtGlobal>

// Names a node or a diagram element for the life of its document: it does
// not change when siblings come or go, and is never reused. 0 names nothing.
using ElementId = quint64;

#endif // ELEMENTID_H
