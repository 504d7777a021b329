#ifndef WINDOWLESSCANVASES_H
#define WINDOWLESSCANVASES_H

#include <QAction>
#include <QMenu>
#include <QString>

#include "contextmenus.h"
#include "projectcanvases.h"
#include "xmlio.h"

// A project's canvases loaded without a window, for tests and benchmarks
// of the canvases themselves: with the context menus and actions every
// canvas expects (none is ever shown or triggered), loaded and saved as the
// main window does it.
class WindowlessCanvases
{
public:
    enum LoadResult { Loaded, Corrupt, Unreadable };

    WindowlessCanvases();
    WindowlessCanvases(const WindowlessCanvases&) = delete;
    WindowlessCanvases& operator=(const WindowlessCanvases&) = delete;

    // The integrity check, then the load of Open: Corrupt when the check
    // refuses the file, Unreadable when its items cannot be read.
    LoadResult load(const QString& path);
    // What Save As writes; an existing file is replaced only on success.
    bool saveAs(const QString& path);

    ProjectCanvases& canvases() { return projectCanvases; }
    XmlIO& io() { return xmlIO; }

private:
    QMenu stateMenu;
    QMenu transitionMenu;
    QMenu textMenu;
    QMenu processMenu;
    QMenu linkMenu;
    QMenu memoryMenu;
    QMenu dataflowMenu;
    t_strContextMenu menus;
    QAction processAdded;
    QAction processLabelChanged;
    QAction returnToSelect;
    XmlIO xmlIO;
    ProjectCanvases projectCanvases;
};

#endif // WINDOWLESSCANVASES_H
