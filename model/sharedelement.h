#ifndef SHAREDELEMENT_H
#define SHAREDELEMENT_H

#include <memory>
#include <utility>

// An element that documents, and the items that show it, can hold at once:
// copying one counts a reference instead of copying its strings, so taking a
// machine of 40,000 elements for a save touches each element once.
// The element is read through it as if it were one; writing to an element
// that is held elsewhere copies it first, so a document being written on
// another thread never sees it change.
template <typename Element>
class SharedElement
{
public:
    SharedElement()
        : data(std::make_shared<Element>())
    {
    }
    SharedElement(Element element) // NOLINT: stands for the element itself
        : data(std::make_shared<Element>(std::move(element)))
    {
    }

    const Element& operator*() const { return *data; }
    const Element* operator->() const { return data.get(); }
    operator const Element&() const { return *data; } // NOLINT: read as the element
    const Element& get() const { return *data; }

    // The element to change, no longer shared with anyone.
    Element& edit()
    {
        if (data.use_count() > 1)
            data = std::make_shared<Element>(*data);
        return *data;
    }

private:
    std::shared_ptr<Element> data;
};

#endif // SHAREDELEMENT_H
