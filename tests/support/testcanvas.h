// A canvas wired like the main window wires it (the select action really
// returns to select mode), 2000 x 1050, with helpers that build items by
// gestures, by commands or from file records, and paint them as a view would.
#pragma once

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTextEdit>
#include <QUndoStack>

#include "addstatecommand.h"
#include "addtransitioncommand.h"
#include "canvas.h"
#include "editpropertiescommand.h"
#include "dataflowitem.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "modalanswerer.h"
#include "processitem.h"
#include "scenemouse.h"
#include "takenelementswatch.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
#include "transitionline.h"

struct TestCanvas
{
    QMenu menus[7];
    t_strContextMenu set {&menus[0], &menus[1], &menus[2], &menus[3], &menus[4], &menus[5], &menus[6]};
    QAction processAdded, processProperties, returnToSelect;
    // Before the canvas, which shows one of its nodes.
    Document document;
    Canvas canvas {&set};
    QVector<Canvas*> canvases {&canvas};
    // After the canvas, so that it goes first: its steps may hold items.
    QUndoStack history;
    TakenElementsWatch watch {&history, &canvases};

    // By default a state machine, id 3 under 2 under 1.
    explicit TestCanvas(int level = 5, int id = 3, int parentId = 2)
    {
        // The canvas's identity follows from its node's place: a chain of
        // nodes down to the level, numbered id under parentId under 1.
        ProjectNode* node = &document.root();
        for (int depth = 2; depth <= level; ++depth) {
            node = node->appendChild(Document::newId());
            node->process.number = depth == level ? id : depth == level - 1 ? parentId : 1;
        }
        canvas.setUndoStack(&history);
        canvas.setDiagram(&document, node);
        // The title is an item of its own; the block tests count items without it.
        if (level == 5)
            canvas.setLabel(QStringLiteral("machine"));
        canvas.setSceneRect(0, 0, 2000, 1050);
        canvas.setActions(&processAdded);
        canvas.setProcessLabelChangedAction(&processProperties);
        canvas.setReturnToSelectAction(&returnToSelect);
        QObject::connect(&returnToSelect, &QAction::triggered, [this] { canvas.setMode(Canvas::SelectItem); });
    }

    ~TestCanvas()
    {
        // As a project closes: the items the steps parked go with the scene.
        canvas.beginClosing();
        history.clear();
    }

    QUndoStack* stack() { return &history; }

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
    // A 280 x 150 state as a project file gives it, its top-left at the point.
    StateItem* state(const QString& label, const QPointF& at, bool initial = false)
    {
        StateElement element;
        element.label = label;
        element.initial = initial;
        element.initialCondition = initial ? QStringLiteral("ready") : QString();
        element.position = at;
        element.width = 280;
        element.height = 150;
        element.colour = StateElement::defaultColour;
        element.polygon = {QPointF(0, 0), QPointF(280, 0), QPointF(280, 150), QPointF(0, 150), QPointF(0, 0)};
        return canvas.addStateItem(element);
    }
    // Null when the canvas refuses the transition.
    TransitionItem* join(StateItem* from, StateItem* to)
    {
        const int before = canvas.transitionItems.size();
        stack()->push(new AddTransitionCommand(&canvas, from, to));
        return canvas.transitionItems.size() > before ? canvas.transitionItems.last() : nullptr;
    }
    // The box and both its lines on the canvas, or all three off it.
    bool fullyOn(TransitionItem* t) const
    {
        return canvas.holds(t) && canvas.holds(t->getStartLine()) && canvas.holds(t->getEndLine());
    }
    bool fullyOff(TransitionItem* t) const
    {
        return !canvas.holds(t) && !canvas.holds(t->getStartLine()) && !canvas.holds(t->getEndLine());
    }
    // Lines take their geometry when painted.
    void render()
    {
        QImage image(500, 260, QImage::Format_ARGB32);
        QPainter painter(&image);
        canvas.render(&painter);
    }
    // Block items by real gestures; null for a refused connector.
    ProcessItem* placeProcess(const QPointF& centre, int shape = 1)
    {
        canvas.setDrawProcessShape(shape);
        canvas.setMode(Canvas::InsertProcess);
        SceneMouse::click(&canvas, centre);
        return canvas.processItems.last();
    }
    MemoryItem* placeMemory(const QPointF& centre)
    {
        canvas.setMode(Canvas::InsertMemory);
        SceneMouse::click(&canvas, centre);
        return canvas.memoryItems.last();
    }
    // Renames a memory item or process in its document, outside the history.
    template <typename Item>
    void rename(Item* item, const QString& label)
    {
        typename Item::Values values = item->values();
        values.label = label;
        applyValues(&canvas, item, values);
    }
    // Runs the process's dialog as a double-click does.
    bool editProcess(ProcessItem* process)
    {
        canvas.currentProcess = process;
        return canvas.displayProcessItemProperties();
    }
    LinkItem* drawLink(const QPointF& from, const QPointF& to)
    {
        const int before = canvas.linkItems.size();
        canvas.setMode(Canvas::InsertLink);
        SceneMouse::drag(&canvas, from, to);
        return canvas.linkItems.size() > before ? canvas.linkItems.last() : nullptr;
    }
    DataflowItem* drawDataflow(const QPointF& from, const QPointF& to)
    {
        const int before = canvas.dataflowItems.size();
        canvas.setMode(Canvas::InsertDataflow);
        SceneMouse::drag(&canvas, from, to);
        return canvas.dataflowItems.size() > before ? canvas.dataflowItems.last() : nullptr;
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

// Paints an item once in its own coordinates (lines: in scene coordinates)
// on a transparent image.
inline QImage paintOnce(QGraphicsItem* item, QSize size = QSize(1200, 700))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QStyleOptionGraphicsItem option;
    item->paint(&painter, &option, nullptr);
    return image;
}

inline bool isBlank(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)))
                return false;
    return true;
}

// Gives a link, memory or dataflow item its texts through its own dialog.
template <typename Item>
void editTexts(Item* item, const QString& label, const QString& datatype = QString(),
               const QString& description = QString())
{
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("LE_Label"))->setText(label);
        dialog->findChild<QLineEdit*>(QStringLiteral("LE_Datatype"))->setText(datatype);
        dialog->findChild<QTextEdit*>(QStringLiteral("textEdit"))->setPlainText(description);
    });
    // The item is its document's: the canvas makes the edit a step.
    static_cast<Canvas*>(item->scene())->editProperties(item);
}
