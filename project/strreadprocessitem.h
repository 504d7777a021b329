#ifndef STRREADPROCESSITEM_H
#define STRREADPROCESSITEM_H

#include <QString>

// Identity of one node of the project hierarchy, as handed between the main
// window, the canvases and the project browser.
struct t_strReadProcessItem
{
    int level = 0;
    int id = 0;
    int parentId = 0;
    int grandParentId = 0;
    int Nos = 0;
    QString label;
};

#endif // STRREADPROCESSITEM_H
