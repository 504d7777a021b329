#include "idlabels.h"

void IdLabels::add(ElementId id, const QString& label)
{
    places.add(id, labels.size());
    labels.append(&label);
}

const QString& IdLabels::of(ElementId id) const
{
    static const QString none;
    const int at = places.place(id);
    return at < 0 ? none : *labels.at(at);
}
