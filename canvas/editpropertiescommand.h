#ifndef EDITPROPERTIESCOMMAND_H
#define EDITPROPERTIESCOMMAND_H

#include <QPointer>

#include <tuple>
#include <utility>

#include "canvascommand.h"
#include "dataflowitem.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

// Puts an item's properties back as they were before one dialog edit, and
// forward again. The dialog has already applied the edit when the command is
// pushed, so its first redo does nothing. The item belongs to the scene or to
// the commands that took it off; a guarded pointer covers the rest.
namespace EditedFields {
// The index of the one field that differs between two sets of values, or -1
// when none or several do.
template <typename Tuple, std::size_t... I>
int onlyChange(const Tuple& before, const Tuple& after, std::index_sequence<I...>)
{
    int changed = -1;
    int count = 0;
    ((std::get<I>(before) != std::get<I>(after) ? (changed = int(I), ++count) : 0), ...);
    return count == 1 ? changed : -1;
}

template <typename Values>
int onlyChange(const Values& before, const Values& after)
{
    const auto a = before.fields();
    const auto b = after.fields();
    return onlyChange(a, b, std::make_index_sequence<std::tuple_size<decltype(a)>::value>());
}
} // namespace EditedFields

// Consecutive edits of the same one field of one item are one step.
template <typename Item>
class EditPropertiesCommand : public CanvasCommand
{
public:
    using Values = typename Item::Values;

    EditPropertiesCommand(Canvas* target, Item* edited, const Values& before, const Values& after,
                          const QString& text)
        : CanvasCommand(target)
        , item(edited)
        , oldValues(before)
        , newValues(after)
    {
        setText(text);
    }

    int id() const override { return 0x4b00 + Item::Type; }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const EditPropertiesCommand*>(other);
        if (next->item != item || next->oldValues != newValues)
            return false;
        const int field = EditedFields::onlyChange(oldValues, newValues);
        if (field < 0 || field != EditedFields::onlyChange(next->oldValues, next->newValues))
            return false;
        newValues = next->newValues;
        setObsolete(newValues == oldValues);
        return true;
    }

    void undo() override { apply(oldValues); }
    void redo() override
    {
        if (applied) {
            applied = false;
            return;
        }
        apply(newValues);
    }

private:
    void apply(const Values& values)
    {
        if (item)
            applyValues(canvas, item.data(), values);
    }

    QPointer<Item> item;
    Values oldValues;
    Values newValues;
    bool applied = true;
};

// How each kind takes a whole set of values back; a state also carries the
// initial marker along, a process its name to its diagram and the browser.
void applyValues(Canvas* canvas, StateItem* state, const StateItem::Values& values);
void applyValues(Canvas* canvas, TransitionItem* transition, const TransitionItem::Values& values);
void applyValues(Canvas* canvas, TextItem* text, const TextItem::Values& values);
void applyValues(Canvas* canvas, ProcessItem* process, const ProcessItem::Values& values);
void applyValues(Canvas* canvas, LinkItem* link, const LinkItem::Values& values);
void applyValues(Canvas* canvas, MemoryItem* memory, const MemoryItem::Values& values);
void applyValues(Canvas* canvas, DataflowItem* dataflow, const DataflowItem::Values& values);

#endif // EDITPROPERTIESCOMMAND_H
