#ifndef IDINDEX_H
#define IDINDEX_H

#include <utility>
#include <vector>

#include "elementid.h"

// The places of a list's elements by id, built once and searched by
// halving: one block for a whole diagram, where a hash would allocate a
// node per element and scatter them over the heap.
class IdIndex
{
public:
    IdIndex() = default;

    // Elements are read as references to something with an id, so that
    // plain and shared elements both serve.
    template <typename Element, typename List>
    static IdIndex of(const List& list)
    {
        IdIndex index;
        index.entries.reserve(list.size());
        for (int i = 0; i < list.size(); ++i)
            index.add(static_cast<const Element&>(list.at(i)).id, i);
        index.finish();
        return index;
    }

    // Built place by place: each added, then finished once before the
    // first lookup.
    void add(ElementId id, int place) { entries.emplace_back(id, place); }
    void finish();

    // The place of id in the list, or -1.
    int place(ElementId id) const;

    // The element of id in the list the index was built from, or nullptr.
    template <typename Element, typename List>
    const Element* find(const List& list, ElementId id) const
    {
        const int at = place(id);
        return at < 0 ? nullptr : &static_cast<const Element&>(list.at(at));
    }

private:
    std::vector<std::pair<ElementId, int>> entries;
};

#endif // IDINDEX_H
