#ifndef DATAFLOWITEM_H
#define DATAFLOWITEM_H

#include <QColor>

#include "blockvalues.h"
#include <QGraphicsItem>
#include <QObject>
#include <QPen>
#include <QPointer>
#include <QPolygonF>
#include <QString>
#include <QVector>

#include "elementid.h"
#include "elementplace.h"
#include "itemtype.h"
#include "dataflowelement.h"

class QMenu;
class ProcessItem;
class MemoryItem;
class DataflowLine;

// The label box of a dataflow between a process and a memory item: line type
// 1 when the process writes the variable, 2 when it reads it. The box owns the
// two lines that join it to its ends.
class DataflowItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum { Type = DataflowType };

    // The view of the dataflow element with the id from start to end (a
    // process and a memory item); setElement() places it.
    DataflowItem(QMenu* menu, ElementId id, QGraphicsItem* start, QGraphicsItem* end);
    ~DataflowItem() override;

    int type() const override { return Type; }

    using Values = BlockValues;
    Values values() const { return shown; }
    // A dataflow just drawn between a process and a memory item, either
    // way: its box halfway between their centres, with the memory item's
    // name and type.
    static DataflowElement newElement(const QGraphicsItem* start, const QGraphicsItem* end);

    QString getLabel() const { return shown.label; }
    QString getDatatype() const { return shown.datatype; }
    QString getDescription() const { return shown.description; }
    QColor getBackgroundColor() const { return shown.colour; }
    int getLineType() const { return lineType; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    DataflowLine* getStartLine() const { return startLine; }
    DataflowLine* getEndLine() const { return endLine; }
    QPolygonF myPolygon() const { return QPolygonF(polygon); }
    QGraphicsItem* startItem() const { return myStartItem; }
    QGraphicsItem* endItem() const { return myEndItem; }
    // Null once the item at that end has been destroyed.
    ProcessItem* getProcess() const;
    MemoryItem* getMemory() const;

    void setStartLine(DataflowLine* line) { startLine = line; }
    void setEndLine(DataflowLine* line) { endLine = line; }

    void removeDataflowLines();
    void updatePolygon();
    // Runs a properties dialog made for this one edit; true, with the
    // values chosen, when they differ from the item's.
    bool displayProperties(Values* after) const;
    // Shows the element as it first comes: its place and its outline too.
    void setElement(const DataflowElement& element);
    // Shows the element's values after a change; the item moves only when
    // the element did.
    void showElement(const DataflowElement& element);
    // Names the item's element in its canvas's document.
    ElementId elementId() const { return identity; }
    void setHighlighted();
    void resetHighlighted();
    // Called by a line that is destroyed on its own (e.g. by the scene).
    void forgetLine(DataflowLine* line);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    void paintDirectionOnEdge(QPainter* painter);

    QGraphicsItem* myStartItem = nullptr;
    QGraphicsItem* myEndItem = nullptr;
    QPointer<ProcessItem> process;
    QPointer<MemoryItem> memory;
    int width = 100;
    int height = 21;
    int lineType = 0;
    // The values shown, as the element gives them.
    BlockValues shown;
    ElementPlace place;
    QMenu* contextMenu = nullptr;
    QVector<QPointF> polygon;
    QPen pen;
    DataflowLine* startLine = nullptr;
    DataflowLine* endLine = nullptr;
    const ElementId identity;
};

#endif // DATAFLOWITEM_H
