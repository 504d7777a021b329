#include "windowlesscanvases.h"

WindowlessCanvases::WindowlessCanvases()
    : menus {&stateMenu, &transitionMenu, &textMenu, &processMenu, &linkMenu, &memoryMenu, &dataflowMenu}
    , projectCanvases(&menus, {&processAdded, &processLabelChanged, &returnToSelect})
{
}

WindowlessCanvases::LoadResult WindowlessCanvases::load(const QString& path)
{
    projectCanvases.clear();
    xmlIO.clearRecords();
    xmlIO.setFilePath(path);
    if (!xmlIO.checkProjectFileCorrupt())
        return Corrupt;
    QString outline;
    return projectCanvases.load(xmlIO, &outline) ? Loaded : Unreadable;
}

bool WindowlessCanvases::saveAs(const QString& path)
{
    xmlIO.setFilePath(path);
    return projectCanvases.save(path);
}
