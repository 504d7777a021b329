#ifndef LISTPLACES_H
#define LISTPLACES_H

#include <QSet>
#include <QVector>

// Where items stood in one of a canvas's lists, so that undo puts them back
// in the order that the file, the generated code and the browser follow.
class ListPlaces
{
public:
    template <typename T>
    struct Placed
    {
        T* item;
        int index;
    };

    // Puts the items back at their places, given in ascending order, in one
    // pass; where putting them on the canvas listed them already, they leave
    // that place first.
    template <typename List, typename Places>
    static void putBack(List* list, const Places& places)
    {
        using Item = typename List::value_type;
        QSet<Item> back;
        for (const auto& placed : places)
            back.insert(static_cast<Item>(placed.item));
        List merged;
        merged.reserve(list->size() + places.size());
        auto rest = list->cbegin();
        const auto next = [&rest, list, &back]() -> Item {
            while (rest != list->cend() && back.contains(*rest))
                ++rest;
            return rest != list->cend() ? *rest++ : nullptr;
        };
        for (const auto& placed : places) {
            while (merged.size() < placed.index) {
                Item item = next();
                if (!item)
                    break;
                merged.append(item);
            }
            merged.append(static_cast<Item>(placed.item));
        }
        for (Item item = next(); item; item = next())
            merged.append(item);
        *list = merged;
    }
};

#endif // LISTPLACES_H
