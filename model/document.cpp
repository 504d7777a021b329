#include "document.h"

#include <algorithm>

namespace {

// Where a diagram keeps the elements of each kind.
template <typename Element>
struct Kind;

template <>
struct Kind<LinkElement>
{
    static constexpr ElementKind kind = ElementKind::Link;
    static auto& of(Diagram& diagram) { return diagram.links; }
    static const auto& of(const Diagram& diagram) { return diagram.links; }
};

template <>
struct Kind<MemoryElement>
{
    static constexpr ElementKind kind = ElementKind::Memory;
    static auto& of(Diagram& diagram) { return diagram.memories; }
    static const auto& of(const Diagram& diagram) { return diagram.memories; }
};

template <>
struct Kind<DataflowElement>
{
    static constexpr ElementKind kind = ElementKind::Dataflow;
    static auto& of(Diagram& diagram) { return diagram.dataflows; }
    static const auto& of(const Diagram& diagram) { return diagram.dataflows; }
};

template <>
struct Kind<StateElement>
{
    static constexpr ElementKind kind = ElementKind::State;
    static auto& of(Diagram& diagram) { return diagram.states; }
    static const auto& of(const Diagram& diagram) { return diagram.states; }
};

template <>
struct Kind<TransitionElement>
{
    static constexpr ElementKind kind = ElementKind::Transition;
    static auto& of(Diagram& diagram) { return diagram.transitions; }
    static const auto& of(const Diagram& diagram) { return diagram.transitions; }
};

template <>
struct Kind<TextElement>
{
    static constexpr ElementKind kind = ElementKind::Text;
    static auto& of(Diagram& diagram) { return diagram.texts; }
    static const auto& of(const Diagram& diagram) { return diagram.texts; }
};

} // namespace

Document::Document()
    : rootNode(std::make_unique<ProjectNode>(newId(), nullptr))
{
}

void Document::addObserver(DocumentObserver* observer)
{
    observers.push_back(observer);
}

void Document::removeObserver(DocumentObserver* observer)
{
    observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
}

template <typename Element>
int Document::indexOf(const ProjectNode& node, ElementId id) const
{
    const auto& list = Kind<Element>::of(node.diagram);
    for (int i = 0; i < list.size(); ++i)
        if (static_cast<const Element&>(list.at(i)).id == id)
            return i;
    return -1;
}

template <typename Element>
const Element* Document::find(const ProjectNode& node, ElementId id) const
{
    const int index = indexOf<Element>(node, id);
    return index < 0 ? nullptr : &static_cast<const Element&>(Kind<Element>::of(node.diagram).at(index));
}

template <typename Element>
void Document::insert(ProjectNode& node, int index, const Element& element)
{
    auto& list = Kind<Element>::of(node.diagram);
    if (index < 0 || index > list.size())
        index = list.size();
    list.insert(index, element);
    for (DocumentObserver* observer : observers)
        observer->elementAdded(node, Kind<Element>::kind, element.id, index);
}

template <typename Element>
bool Document::replace(ProjectNode& node, const Element& element)
{
    const int index = indexOf<Element>(node, element.id);
    if (index < 0)
        return false;
    Kind<Element>::of(node.diagram)[index] = element;
    for (DocumentObserver* observer : observers)
        observer->elementChanged(node, Kind<Element>::kind, element.id);
    return true;
}

template <typename Element>
bool Document::remove(ProjectNode& node, ElementId id)
{
    const int index = indexOf<Element>(node, id);
    if (index < 0)
        return false;
    Kind<Element>::of(node.diagram).remove(index);
    for (DocumentObserver* observer : observers)
        observer->elementRemoved(node, Kind<Element>::kind, id);
    return true;
}

#define KORVEL_DOCUMENT_EDITS(Element)                                                       \
    template const Element* Document::find<Element>(const ProjectNode&, ElementId) const; \
    template int Document::indexOf<Element>(const ProjectNode&, ElementId) const;          \
    template void Document::insert<Element>(ProjectNode&, int, const Element&);            \
    template bool Document::replace<Element>(ProjectNode&, const Element&);                \
    template bool Document::remove<Element>(ProjectNode&, ElementId);

KORVEL_DOCUMENT_EDITS(LinkElement)
KORVEL_DOCUMENT_EDITS(MemoryElement)
KORVEL_DOCUMENT_EDITS(DataflowElement)
KORVEL_DOCUMENT_EDITS(StateElement)
KORVEL_DOCUMENT_EDITS(TransitionElement)
KORVEL_DOCUMENT_EDITS(TextElement)
