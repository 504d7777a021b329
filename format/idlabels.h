#ifndef IDLABELS_H
#define IDLABELS_H

#include <QString>
#include <QVector>

#include "elementid.h"
#include "idindex.h"

// The labels of a document's nodes or elements of one kind by their ids,
// for the writer to name what refers to them. The labels are read where the
// document holds them, not copied, so the document must stay as it is while
// they are used.
class IdLabels
{
public:
    void add(ElementId id, const QString& label);
    // Once, after the last add() and before the first lookup.
    void finish() { places.finish(); }
    // The label of id, or an empty text.
    const QString& of(ElementId id) const;

private:
    IdIndex places;
    QVector<const QString*> labels;
};

#endif // IDLABELS_H
