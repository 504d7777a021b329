#ifndef BLOCKCANVAS_H
#define BLOCKCANVAS_H

// A block-diagram canvas wired like the main window wires it, with helpers to
// draw processes, memory items, links and dataflows by real gestures and to
// paint single items the way a view would.

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTextEdit>

#include "canvas.h"
#include "dataflowitem.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "modalanswerer.h"
#include "processitem.h"
#include "scenemouse.h"

struct BlockCanvas
{
    QMenu menus[7];
    t_strContextMenu set {&menus[0], &menus[1], &menus[2], &menus[3], &menus[4], &menus[5], &menus[6]};
    QAction processAdded, processProperties, save, returnToSelect;
    Canvas canvas {&set};

    explicit BlockCanvas(int level, int id = 1, int parentId = 1)
    {
        canvas.setLevel(level);
        canvas.setId(id);
        canvas.setParentId(parentId);
        canvas.setGrandParentId(1);
        canvas.setSceneRect(0, 0, 2000, 1050);
        canvas.setActions(&processAdded);
        canvas.setProcessLabelChangedAction(&processProperties);
        canvas.setSaveAction(&save);
        canvas.setReturnToSelectAction(&returnToSelect);
        QObject::connect(&returnToSelect, &QAction::triggered, [this] { canvas.setMode(Canvas::SelectItem); });
    }

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
    item->displayProperties();
}

#endif // BLOCKCANVAS_H
