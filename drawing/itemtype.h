#ifndef ITEMTYPE_H
#define ITEMTYPE_H

#include <QGraphicsItem>

// Item kinds as returned by QGraphicsItem::type(); plain numbers, stored in
// no file but shared by the canvas and the main window.
enum ItemType {
    TransitionType = 33,
    StateType = 34,
    TextType = 35,
    LinkType = 36,
    ProcessType = 37,
    MemoryType = 38,
    DataflowType = 39,
    FloatingLinkType = 40,
    FloatingMemoryType = 41,
    InitialMarkerType = 42
};

// The kinds the user edits: selected, highlighted, deleted, given dialogs.
inline bool isEditableItemType(int type)
{
    return type >= TransitionType && type <= DataflowType;
}

inline bool isEditableItem(const QGraphicsItem* item)
{
    return item && isEditableItemType(item->type());
}

#endif // ITEMTYPE_H
