#include "headlessproject.h"

HeadlessProject::HeadlessProject()
    : menus {&stateMenu, &transitionMenu, &textMenu, &processMenu, &linkMenu, &memoryMenu, &dataflowMenu}
    , projectCanvases(&menus, {&processAdded, &processLabelChanged, &returnToSelect})
{
}

HeadlessProject::LoadResult HeadlessProject::load(const QString& path)
{
    projectCanvases.clear();
    xmlIO.clearRecords();
    xmlIO.setFilePath(path);
    if (!xmlIO.checkProjectFileCorrupt())
        return Corrupt;
    QString outline;
    return projectCanvases.load(xmlIO, &outline) ? Loaded : Unreadable;
}

bool HeadlessProject::saveAs(const QString& path)
{
    xmlIO.setFilePath(path);
    return projectCanvases.save(path);
}
