#ifndef CONTEXTMENUS_H
#define CONTEXTMENUS_H

class QMenu;

// The item context menus of the main window, one per item kind; every canvas
// gets the same set and hands the matching menu to each item it builds.
struct t_strContextMenu
{
    QMenu* stateMenu = nullptr;
    QMenu* transitionMenu = nullptr;
    QMenu* textMenu = nullptr;
    QMenu* processMenu = nullptr;
    QMenu* linkMenu = nullptr;
    QMenu* memoryMenu = nullptr;
    QMenu* dataflowMenu = nullptr;
};

#endif // CONTEXTMENUS_H
