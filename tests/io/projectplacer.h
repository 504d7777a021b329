#ifndef PROJECTPLACER_H
#define PROJECTPLACER_H

#include "canvas.h"
#include "mainwindow.h"
#include "xmlio.h"

// Turns the records of a read project into canvases and items of a main
// window the way the loader does: one canvas per process record, then every
// record on the canvas its identity names, kind by kind.
class ProjectPlacer
{
public:
    static void place(MainWindow& window, XmlIO& io)
    {
        for (const t_processItemReadFromXML& record : io.processItemRecords) {
            t_strReadProcessItem node;
            node.level = record.level;
            node.id = record.id;
            node.parentId = record.parentId;
            node.grandParentId = record.grandParentId;
            node.Nos = record.Nos;
            node.label = record.label;
            window.createCanvasElement(&node);
        }
        for (t_processItemReadFromXML& record : io.processItemRecords) {
            if (record.level >= 2 && record.level <= 5) {
                if (Canvas* canvas = target(window, record.level - 1, record.parentId, record.grandParentId))
                    canvas->addProcessItem(&record);
            }
        }
        for (t_stateItemReadFromXML& record : io.stateItemRecords) {
            if (Canvas* canvas = record.level == 6 ? target(window, 5, record.parentId, record.grandParentId) : nullptr)
                canvas->addStateItem(&record);
        }
        for (t_transitionItemReadFromXML& record : io.transitionItemRecords) {
            if (Canvas* canvas = record.level == 6 ? target(window, 5, record.parentId, record.grandParentId) : nullptr)
                canvas->addTransitionItem(&record);
        }
        for (t_textItemReadFromXML& record : io.textItemRecords) {
            if (Canvas* canvas = record.level == 6 ? target(window, 5, record.parentId, record.grandParentId) : nullptr)
                canvas->addTextItem(&record);
        }
        for (t_linkItemReadFromXML& record : io.linkItemRecords) {
            if (Canvas* canvas = target(window, record.level - 1, record.parentId, record.grandParentId))
                canvas->addLinkItem(&record);
        }
        for (t_memoryItemReadFromXML& record : io.memoryItemRecords) {
            if (Canvas* canvas = target(window, record.level - 1, record.parentId, record.grandParentId))
                canvas->addMemoryItem(&record);
        }
        for (t_dataflowItemReadFromXML& record : io.dataflowItemRecords) {
            if (Canvas* canvas = target(window, record.level - 1, record.parentId, record.grandParentId))
                canvas->addDataflowItem(&record);
        }
    }

private:
    static Canvas* target(MainWindow& window, int level, int id, int parentId)
    {
        bool found = false;
        Canvas* canvas = window.getCanvasItem(level, id, parentId, &found);
        return found ? canvas : nullptr;
    }
};

#endif // PROJECTPLACER_H
