#include "idindex.h"

#include <algorithm>

int IdIndex::place(ElementId id) const
{
    const auto found = std::lower_bound(entries.begin(), entries.end(), std::make_pair(id, 0),
                                        [](const std::pair<ElementId, int>& a, const std::pair<ElementId, int>& b) {
                                            return a.first < b.first;
                                        });
    return found != entries.end() && found->first == id ? found->second : -1;
}

void IdIndex::finish()
{
    // Ids are handed out in order, so a list read from a file is sorted
    // already; only lists edited since need the work.
    if (!std::is_sorted(entries.begin(), entries.end()))
        std::stable_sort(entries.begin(), entries.end(),
                         [](const std::pair<ElementId, int>& a, const std::pair<ElementId, int>& b) {
                             return a.first < b.first;
                         });
}
