#ifndef MEMORYITEM_H
#define MEMORYITEM_H

#include <QColor>

#include "blockvalues.h"
#include <QGraphicsItem>
#include <QList>
#include <QObject>
#include <QPen>
#include <QPolygonF>
#include <QString>
#include <QVector>

#include "elementid.h"
#include "elementplace.h"
#include "itemtype.h"
#include "memoryelement.h"

class QMenu;
class QPainter;
class DataflowItem;

// A global variable, drawn as a data store: a band between two bars with the
// name above the datatype. Processes read and write it through dataflows.
class MemoryItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum { Type = MemoryType };

    // The view of the memory element with the id; setElement() places it.
    MemoryItem(QMenu* menu, ElementId id);

    int type() const override { return Type; }

    using Values = BlockValues;
    Values values() const { return shown; }

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    QString getLabel() const { return shown.label; }
    QString getDatatype() const { return shown.datatype; }
    QString getDescription() const { return shown.description; }
    QColor getBackgroundColor() const { return shown.colour; }
    // The outline as last painted: its width follows the name in the
    // screen's font, so it is the view's, not the element's.
    QPolygonF myPolygon() const { return QPolygonF(polygon); }
    QList<DataflowItem*> getDataflows() const { return dataflows; }

    void addDataflow(DataflowItem* dataflow);
    void removeDataflow(DataflowItem* dataflow);
    // Take back the connections in an earlier order.
    void setDataflows(const QList<DataflowItem*>& attached) { dataflows = attached; }

    void updatePolygon();
    // Runs a properties dialog made for this one edit; true, with the
    // values chosen, when they differ from the item's.
    bool displayProperties(Values* after) const;
    // Shows the element as it first comes: its place and its outline too.
    void setElement(const MemoryElement& element);
    // Shows the element's values after a change; the item moves only when
    // the element did.
    void showElement(const MemoryElement& element);
    // Names the item's element in its canvas's document.
    ElementId elementId() const { return identity; }
    // A selected memory item has no extra feedback.
    void setHighlighted() {}
    void resetHighlighted() {}

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    QList<DataflowItem*> dataflows;
    int width = 100;
    int height = 64;
    // The values shown, as the element gives them.
    BlockValues shown;
    ElementPlace place;
    QVector<QPointF> polygon;
    QPen pen;
    QMenu* contextMenu = nullptr;
    const ElementId identity;
};

#endif // MEMORYITEM_H
