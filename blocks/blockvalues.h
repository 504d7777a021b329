#ifndef BLOCKVALUES_H
#define BLOCKVALUES_H

#include <QColor>
#include <QString>

#include <tuple>

#include "qcolourof.h"

// What the properties dialog of a link, memory item or dataflow edits, as
// one value, so that an edit can be undone and redone as a whole.
struct BlockValues
{
    QString label;
    QString description;
    QString datatype;
    QColor colour;

    auto fields() const { return std::tie(label, description, datatype, colour); }
    // The values of the element of a link, memory item or dataflow.
    template <typename Element>
    static BlockValues of(const Element& element)
    {
        return {element.label, element.description, element.datatype, qColourOf(element.colour)};
    }
    // The element of a link, memory item or dataflow with these values.
    template <typename Element>
    Element appliedTo(Element element) const
    {
        element.label = label;
        element.description = description;
        element.datatype = datatype;
        element.colour = colourOf(colour);
        return element;
    }
    bool operator==(const BlockValues& other) const
    {
        return label == other.label && description == other.description && datatype == other.datatype
            && colour == other.colour;
    }
    bool operator!=(const BlockValues& other) const { return !(*this == other); }
};

#endif // BLOCKVALUES_H
