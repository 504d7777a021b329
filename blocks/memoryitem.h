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
#include "foreigncontent.h"
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

    MemoryItem(QMenu* menu, QPointF pos);

    int type() const override { return Type; }

    using Values = BlockValues;
    Values values() const { return {label, description, datatype, backgroundColor}; }
    void setValues(const Values& values);

    void initMemoryItem();

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    QString getLabel() const { return label; }
    QString getDatatype() const { return datatype; }
    QString getDescription() const { return description; }
    QColor getBackgroundColor() const { return backgroundColor; }
    // What an item whose colour was never set is drawn in.
    static QColor defaultBackgroundColour();
    QPolygonF myPolygon() const { return QPolygonF(polygon); }
    QList<DataflowItem*> getDataflows() const { return dataflows; }

    void setLabel(const QString& text);
    void setDatatype(const QString& text);

    void addDataflow(DataflowItem* dataflow);
    void removeDataflow(DataflowItem* dataflow);
    // Take back the connections in an earlier order.
    void setDataflows(const QList<DataflowItem*>& attached) { dataflows = attached; }

    void updatePolygon();
    // Runs a properties dialog made for this one edit; true when it changed
    // the item.
    bool displayProperties();
    void setElement(const MemoryElement& element);
    // What a newer Korvel wrote into the item, kept for the next save.
    const ForeignContent& foreignContent() const { return foreign; }
    // Names the item's element in the documents taken of its canvas.
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
    double x = 0.0;
    double y = 0.0;
    QString datatype;
    QString label;
    QString description;
    QColor backgroundColor;
    QVector<QPointF> polygon;
    QPen pen;
    QMenu* contextMenu = nullptr;
    ForeignContent foreign;
    const ElementId identity = nextElementId();
};

#endif // MEMORYITEM_H
