#ifndef EDITPROPERTIESCOMMAND_H
#define EDITPROPERTIESCOMMAND_H

#include <QPointer>

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
