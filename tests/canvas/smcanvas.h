// A canvas wired like the main window wires it (the select action really
// returns to select mode), id 3 under 2 under 1, 2000 x 1050, with helpers
// that build items by gestures, by commands or from file records.
#pragma once

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QUndoStack>

#include "addstatecommand.h"
#include "addtransitioncommand.h"
#include "canvas.h"
#include "scenemouse.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
#include "transitionline.h"

struct SmCanvas
{
    QMenu menus[7];
    t_strContextMenu set {&menus[0], &menus[1], &menus[2], &menus[3], &menus[4], &menus[5], &menus[6]};
    QAction processAdded, processProperties, save, returnToSelect;
    Canvas canvas {&set};

    explicit SmCanvas(int level = 5)
    {
        canvas.setLevel(level);
        canvas.setId(3);
        canvas.setParentId(2);
        canvas.setGrandParentId(1);
        canvas.setLabel(QStringLiteral("machine"));
        canvas.setSceneRect(0, 0, 2000, 1050);
        canvas.setActions(&processAdded);
        canvas.setProcessLabelChangedAction(&processProperties);
        canvas.setSaveAction(&save);
        canvas.setReturnToSelectAction(&returnToSelect);
        QObject::connect(&returnToSelect, &QAction::triggered, [this] { canvas.setMode(Canvas::SelectItem); });
    }

    QUndoStack* stack() const { return canvas.undoStack(); }

    // One click in a tool mode; the new item is the last of its kind.
    void place(Canvas::Mode mode, const QPointF& at)
    {
        canvas.setMode(mode);
        SceneMouse::click(&canvas, at);
    }
    // A 280 x 150 state added through the undo stack, its top-left at the point.
    StateItem* addState(const QPointF& at)
    {
        stack()->push(new AddStateCommand(&canvas, at));
        return canvas.stateItems.last();
    }
    // A 280 x 150 state read from a project file, its top-left at the point.
    StateItem* state(const QString& label, const QPointF& at, bool initial = false)
    {
        t_stateItemReadFromXML record;
        record.level = 6;
        record.label = label;
        record.ifInitialState = initial;
        record.initialCondition = initial ? QStringLiteral("ready") : QString();
        record.xCoord = at.x();
        record.yCoord = at.y();
        record.width = 280;
        record.height = 150;
        record.polygon = {QPoint(0, 0), QPoint(280, 0), QPoint(280, 150), QPoint(0, 150), QPoint(0, 0)};
        canvas.addStateItem(&record);
        return canvas.stateItems.last();
    }
    // Null when the canvas refuses the transition.
    TransitionItem* join(StateItem* from, StateItem* to)
    {
        const int before = canvas.transitionItems.size();
        stack()->push(new AddTransitionCommand(&canvas, from, to));
        return canvas.transitionItems.size() > before ? canvas.transitionItems.last() : nullptr;
    }
    // The box and both its lines on the scene, or all three off it.
    bool fullyOn(TransitionItem* t) const
    {
        return t->scene() && t->getStartLine()->scene() && t->getEndLine()->scene();
    }
    bool fullyOff(TransitionItem* t) const
    {
        return !t->scene() && !t->getStartLine()->scene() && !t->getEndLine()->scene();
    }
    // Lines take their geometry when painted.
    void render()
    {
        QImage image(500, 260, QImage::Format_ARGB32);
        QPainter painter(&image);
        canvas.render(&painter);
    }
};

// Whether the point lies on one of the edges of the item's closed outline.
template <typename Item>
bool onOutline(const QPointF& point, const Item* item)
{
    const QPolygonF outline = item->myPolygon().translated(item->pos());
    for (int i = 1; i < outline.size(); ++i) {
        const QLineF edge(outline.at(i - 1), outline.at(i));
        const QLineF toPoint(edge.p1(), point);
        const qreal cross = edge.dx() * toPoint.dy() - edge.dy() * toPoint.dx();
        const qreal along = (toPoint.dx() * edge.dx() + toPoint.dy() * edge.dy()) / (edge.length() * edge.length());
        if (qAbs(cross) / edge.length() < 1e-6 && along >= -1e-9 && along <= 1 + 1e-9)
            return true;
    }
    return false;
}

// A named widget of a running dialog.
template <typename T>
T* child(QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QString::fromLatin1(name));
}
