// A state-machine canvas for tests: level 5 (its items are level 6), id 3 under
// 2 under 1, 2000 x 1050, with a select action that really returns to select mode.
#pragma once

#include <QAction>
#include <QApplication>
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

struct SmCanvas
{
    QMenu menus[7];
    t_strContextMenu set {&menus[0], &menus[1], &menus[2], &menus[3], &menus[4], &menus[5], &menus[6]};
    QAction returnToSelect;
    Canvas canvas {&set};

    SmCanvas()
    {
        canvas.setLevel(5);
        canvas.setId(3);
        canvas.setParentId(2);
        canvas.setGrandParentId(1);
        canvas.setSceneRect(0, 0, 2000, 1050);
        canvas.setReturnToSelectAction(&returnToSelect);
        QObject::connect(&returnToSelect, &QAction::triggered, [this] { canvas.setMode(Canvas::SelectItem); });
    }

    StateItem* clickState(const QPointF& at)
    {
        canvas.setMode(Canvas::InsertState);
        SceneMouse::click(&canvas, at);
        return canvas.stateItems.last();
    }
    TextItem* clickText(const QPointF& at)
    {
        canvas.setMode(Canvas::InsertText);
        SceneMouse::click(&canvas, at);
        return canvas.textItems.last();
    }
    // A 280 x 150 state read from a project file, its top-left at the point.
    StateItem* state(const QString& label, const QPointF& at, bool initial = false,
                     const QString& action = QString())
    {
        t_stateItemReadFromXML record;
        record.level = 5;
        record.parentId = 3;
        record.grandParentId = 2;
        record.label = label;
        record.ifInitialState = initial;
        record.initialCondition = initial ? QStringLiteral("ready") : QString();
        record.initialDescription = initial ? QStringLiteral("start();") : QString();
        record.xCoord = at.x();
        record.yCoord = at.y();
        record.width = 280;
        record.height = 150;
        record.polygon = {QPoint(0, 0), QPoint(280, 0), QPoint(280, 150), QPoint(0, 150), QPoint(0, 0)};
        record.action = action;
        canvas.addStateItem(&record);
        return canvas.stateItems.last();
    }
    // A 280 x 150 state added through the undo stack, centred on the point.
    StateItem* stateCentredAt(const QPointF& centre)
    {
        canvas.undoStack()->push(new AddStateCommand(&canvas, centre - QPointF(140, 75)));
        return canvas.stateItems.last();
    }
    // Null when the canvas refuses the transition.
    TransitionItem* join(StateItem* from, StateItem* to)
    {
        const int before = canvas.transitionItems.size();
        canvas.undoStack()->push(new AddTransitionCommand(&canvas, from, to));
        return canvas.transitionItems.size() > before ? canvas.transitionItems.last() : nullptr;
    }
    TransitionItem* transition(const QString& from, const QString& to, const QPointF& at,
                               const QString& label = QString(), const QString& condition = QString(),
                               const QColor& colour = QColor())
    {
        t_transitionItemReadFromXML record;
        record.xCoord = at.x();
        record.yCoord = at.y();
        record.startItem = from;
        record.endItem = to;
        record.label = label;
        record.condition = condition;
        record.backgroundColour = colour;
        record.width = 150;
        record.height = 75;
        canvas.addTransitionItem(&record);
        return canvas.transitionItems.last();
    }
    TextItem* text(const QPointF& at, int kind = 0, const QString& action = QString())
    {
        t_textItemReadFromXML record;
        record.type = kind;
        record.xCoord = at.x();
        record.yCoord = at.y();
        record.width = 150;
        record.height = 75;
        record.action = action;
        canvas.addTextItem(&record);
        return canvas.textItems.last();
    }
    QImage render(const QColor& background = Qt::white)
    {
        QImage image(2000, 1050, QImage::Format_ARGB32);
        image.fill(background);
        QPainter painter(&image);
        canvas.render(&painter, QRectF(0, 0, 2000, 1050), QRectF(0, 0, 2000, 1050));
        return image;
    }
};

// Whether the point lies on one of the edges of the item's closed outline.
inline bool onOutline(const QPointF& point, const QGraphicsItem* item, const QPolygonF& polygon)
{
    const QPolygonF outline = polygon.translated(item->pos());
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
