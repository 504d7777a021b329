#include "document.h"

#include <algorithm>
#include <utility>

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
    if (telling > 0)
        std::replace(observers.begin(), observers.end(), observer, static_cast<DocumentObserver*>(nullptr));
    else
        observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
}

namespace {

// Lists up to this long are searched; longer ones are looked up by id.
const int searchedLength = 64;

template <typename Element>
ElementId idOf(const Element& element)
{
    return element.id;
}

template <typename Element>
ElementId idOf(const SharedElement<Element>& element)
{
    return element->id;
}

} // namespace

template <typename Element>
int Document::indexOf(const ProjectNode& node, ElementId id) const
{
    const auto& list = Kind<Element>::of(node.diagram);
    if (list.size() <= searchedLength) {
        for (int i = 0; i < list.size(); ++i)
            if (idOf(list.at(i)) == id)
                return i;
        return -1;
    }
    QHash<ElementId, int>& at = places[&list];
    auto found = at.constFind(id);
    if (found != at.cend() && *found < list.size() && idOf(list.at(*found)) == id)
        return *found;
    at.clear();
    at.reserve(list.size());
    for (int i = 0; i < list.size(); ++i)
        at.insert(idOf(list.at(i)), i);
    found = at.constFind(id);
    return found == at.cend() ? -1 : *found;
}

template <typename Element>
const Element* Document::find(const ProjectNode& node, ElementId id) const
{
    const int index = indexOf<Element>(node, id);
    return index < 0 ? nullptr : &static_cast<const Element&>(Kind<Element>::of(node.diagram).at(index));
}

template <typename Element>
const typename Stored<Element>::Type& Document::at(const ProjectNode& node, int index) const
{
    return Kind<Element>::of(node.diagram).at(index);
}

template <typename Element>
void Document::tellAdded(ProjectNode& node, ElementId id, int index)
{
    tell([&](DocumentObserver* observer) { observer->elementAdded(node, Kind<Element>::kind, id, index); });
}

template <typename Element>
void Document::insertStored(ProjectNode& node, int index, const typename Stored<Element>::Type& element)
{
    auto& list = Kind<Element>::of(node.diagram);
    if (index < 0 || index > list.size())
        index = list.size();
    list.insert(index, element);
    // An element added last keeps the places of the others as they are.
    const auto cached = places.find(&list);
    if (cached != places.end() && index == list.size() - 1)
        cached->second.insert(idOf(element), index);
    tellAdded<Element>(node, idOf(element), index);
}

template <typename Element>
void Document::insert(ProjectNode& node, int index, const Element& element)
{
    insertStored<Element>(node, index, element);
}

void Document::insert(ProjectNode& node, int index, const SharedElement<StateElement>& state)
{
    insertStored<StateElement>(node, index, state);
}

void Document::insert(ProjectNode& node, int index, const SharedElement<TransitionElement>& transition)
{
    insertStored<TransitionElement>(node, index, transition);
}

template <typename Element>
bool Document::replace(ProjectNode& node, const Element& element)
{
    const int index = indexOf<Element>(node, element.id);
    if (index < 0)
        return false;
    Kind<Element>::of(node.diagram)[index] = element;
    tell([&](DocumentObserver* observer) { observer->elementChanged(node, Kind<Element>::kind, element.id, index); });
    return true;
}

template <typename Element>
bool Document::remove(ProjectNode& node, ElementId id)
{
    return !takeMany<Element>(node, {id}).isEmpty();
}

template <typename Element>
Document::Placed<Element> Document::takeMany(ProjectNode& node, const QVector<ElementId>& ids)
{
    if (ids.isEmpty())
        return {};
    auto& list = Kind<Element>::of(node.diagram);
    QVector<bool> taken(list.size(), false);
    for (ElementId id : ids) {
        const int index = indexOf<Element>(node, id);
        if (index >= 0)
            taken[index] = true;
    }
    Placed<Element> placed;
    QVector<ElementId> gone;
    QVector<int> at;
    int kept = 0;
    for (int i = 0; i < list.size(); ++i) {
        if (taken.at(i)) {
            placed.append({i, list.at(i)});
            gone.append(idOf(list.at(i)));
            at.append(i);
        } else if (kept++ != i) {
            list[kept - 1] = std::move(list[i]);
        }
    }
    list.resize(kept);
    if (!gone.isEmpty())
        tell([&](DocumentObserver* observer) { observer->elementsRemoved(node, Kind<Element>::kind, gone, at); });
    return placed;
}

template <typename Element>
void Document::putBack(ProjectNode& node, const Placed<Element>& placed)
{
    auto& list = Kind<Element>::of(node.diagram);
    typename std::remove_reference<decltype(list)>::type merged;
    merged.reserve(list.size() + placed.size());
    QVector<int> at;
    QVector<ElementId> ids;
    at.reserve(placed.size());
    int from = 0;
    for (const auto& back : placed) {
        ids.append(idOf(back.second));
        while (merged.size() < back.first && from < list.size())
            merged.append(list.at(from++));
        at.append(merged.size());
        merged.append(back.second);
    }
    while (from < list.size())
        merged.append(list.at(from++));
    list = merged;
    if (!ids.isEmpty())
        tell([&](DocumentObserver* observer) { observer->elementsAdded(node, Kind<Element>::kind, ids, at); });
}

ProjectNode* Document::insertNode(ProjectNode& parent, int index, std::unique_ptr<ProjectNode> node)
{
    if (index < 0 || std::size_t(index) > parent.children().size())
        index = int(parent.children().size());
    ProjectNode* added = node.get();
    parent.insertChild(index, std::move(node));
    tell([&](DocumentObserver* observer) { observer->nodeAdded(parent, index); });
    return added;
}

std::unique_ptr<ProjectNode> Document::takeNode(ProjectNode& parent, int index)
{
    std::unique_ptr<ProjectNode> node = parent.takeChild(index);
    tell([&](DocumentObserver* observer) { observer->nodeRemoved(parent, *node, index); });
    return node;
}

void Document::replaceProcess(ProjectNode& node, const ProcessElement& process)
{
    node.process = process;
    tell([&](DocumentObserver* observer) { observer->processChanged(node); });
}

#define KORVEL_DOCUMENT_EDITS(Element)                                                                    \
    template const Element* Document::find<Element>(const ProjectNode&, ElementId) const;              \
    template int Document::indexOf<Element>(const ProjectNode&, ElementId) const;                       \
    template const Stored<Element>::Type& Document::at<Element>(const ProjectNode&, int) const;         \
    template void Document::insert<Element>(ProjectNode&, int, const Element&);                         \
    template bool Document::replace<Element>(ProjectNode&, const Element&);                             \
    template bool Document::remove<Element>(ProjectNode&, ElementId);                                   \
    template Document::Placed<Element> Document::takeMany<Element>(ProjectNode&, const QVector<ElementId>&); \
    template void Document::putBack<Element>(ProjectNode&, const Placed<Element>&);

KORVEL_DOCUMENT_EDITS(LinkElement)
KORVEL_DOCUMENT_EDITS(MemoryElement)
KORVEL_DOCUMENT_EDITS(DataflowElement)
KORVEL_DOCUMENT_EDITS(StateElement)
KORVEL_DOCUMENT_EDITS(TransitionElement)
KORVEL_DOCUMENT_EDITS(TextElement)
