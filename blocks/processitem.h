#ifndef PROCESSITEM_H
#define PROCESSITEM_H

#include <tuple>
#include <QColor>
#include <QGraphicsRectItem>
#include <QList>
#include <QObject>
#include <QPolygonF>
#include <QString>
#include <QVector>

#include "elementid.h"
#include "elementplace.h"
#include "itemtype.h"
#include "processelement.h"

class ProjectNode;
class QMenu;
class LinkItem;
class DataflowItem;

// A block standing for one node of the project hierarchy on its parent's
// canvas: the view of the node's process. Its identity as the file numbers
// it (level, id, parent id, grandparent id) follows from the node's place.
class ProcessItem : public QObject, public QGraphicsRectItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum { Type = ProcessType };

    // The view of the process of the node with the id; showElement() places it.
    ProcessItem(QMenu* menu, ElementId id);
    ~ProcessItem() override;

    int type() const override { return Type; }

    // Everything the properties dialog edits, as one value, so that an edit
    // can be undone and redone as a whole.
    struct Values
    {
        int width = 0;
        int height = 0;
        QString label;
        QString code;
        QString description;
        QColor colour;
        int shape = 1;
        auto fields() const { return std::tie(width, height, label, code, description, colour, shape); }
        bool operator==(const Values& other) const
        {
            return width == other.width && height == other.height && label == other.label
                && code == other.code && description == other.description && colour == other.colour
                && shape == other.shape;
        }
        bool operator!=(const Values& other) const { return !(*this == other); }
    };
    Values values() const { return {width, height, label, code, description, backgroundColor, shape}; }
    // The process with the values a dialog chose.
    static ProcessElement withValues(ProcessElement element, const Values& values);
    // A new process of the given shape centred on the point, in its default
    // size.
    static ProcessElement newElement(QPointF centre, int shape);

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    int getShape() const { return shape; }
    int getLevel() const;
    int getId() const;
    int getNos() const;
    int getParentId() const;
    int getGrandParentId() const;
    QString getLabel() const { return label; }
    QString getCode() const { return code; }
    QString getDescription() const { return description; }
    QColor getBackgroundColor() const { return backgroundColor; }
    QPolygonF myPolygon() const { return QPolygonF(polygon); }
    // The outline as drawn (rounded rectangle or ellipse) in item coordinates;
    // connectors end on it.
    QPolygonF drawnOutline() const { return outline; }
    QList<LinkItem*> getLinks() const { return links; }
    QList<DataflowItem*> getDataflows() const { return dataflows; }

    // The node whose process the item shows; it stays while a step keeps
    // the node out of the tree.
    void setNode(const ProjectNode* shown) { node = shown; }

    void addLink(LinkItem* link);
    void removeLink(LinkItem* link);
    void addDataflow(DataflowItem* dataflow);
    void removeDataflow(DataflowItem* dataflow);
    // Take back the connections in an earlier order.
    void setLinks(const QList<LinkItem*>& attached) { links = attached; }
    void setDataflows(const QList<DataflowItem*>& attached) { dataflows = attached; }

    void updatePolygon();
    // Runs a properties dialog made for this one edit; true, with the
    // values chosen, when they differ from the item's.
    bool displayProperties(Values* after) const;
    // Shows the process's values; the item moves only when the process did.
    void showElement(const ProcessElement& element);
    // Names the node whose process the item shows.
    ElementId elementId() const { return identity; }
    void setHighlighted();
    void resetHighlighted();

    QRectF boundingRect() const override;
    // The process's own rectangle, without its shadow.
    QRectF ownRect() const;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    void setSize(int newWidth, int newHeight);

    QList<LinkItem*> links;
    QList<DataflowItem*> dataflows;
    const ProjectNode* node = nullptr;
    QString label;
    QString code;
    int width = 0;
    int height = 0;
    QString description;
    QColor backgroundColor;
    int shape = 1;
    QMenu* contextMenu = nullptr;
    QVector<QPointF> polygon;
    QPolygonF outline;
    ElementPlace place;
    const ElementId identity;
};

#endif // PROCESSITEM_H
