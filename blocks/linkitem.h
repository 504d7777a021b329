#ifndef LINKITEM_H
#define LINKITEM_H

#include <QColor>

#include "blockvalues.h"
#include <QGraphicsItem>
#include <QObject>
#include <QPen>
#include <QPolygonF>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

#include "elementid.h"
#include "foreigncontent.h"
#include "itemtype.h"
#include "linkelement.h"

class QMenu;
class QPainter;
class ProcessItem;
class LinkLine;

// The label box of a link between two processes of one canvas. The box owns
// the two lines that join it to its processes.
class LinkItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum { Type = LinkType };

    LinkItem(QMenu* menu, ProcessItem* start, ProcessItem* end, QGraphicsItem* parent = nullptr);
    ~LinkItem() override;

    int type() const override { return Type; }

    using Values = BlockValues;
    Values values() const { return {label, description, datatype, backgroundColor}; }
    void setValues(const Values& values);

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    QString getLabel() const { return label; }
    QString getDescription() const { return description; }
    QString getDatatype() const { return datatype; }
    QColor getBackgroundColor() const { return backgroundColor; }
    // What an item whose colour was never set is drawn in.
    static QColor defaultBackgroundColour();
    QPointF getMidPos() const { return QPointF(midX, midY); }
    ProcessItem* startItem() const { return myStartItem; }
    ProcessItem* endItem() const { return myEndItem; }
    LinkLine* getStartLine() const { return startLine; }
    LinkLine* getEndLine() const { return endLine; }
    QPolygonF myPolygon() const { return QPolygonF(polygon); }

    void setStartLine(LinkLine* line) { startLine = line; }
    void setEndLine(LinkLine* line) { endLine = line; }

    void removeLinkLines();
    void updatePolygon();
    // Runs a properties dialog made for this one edit; true when it changed
    // the item.
    bool displayProperties();
    void setElement(const LinkElement& element);
    // What a newer Korvel wrote into the item, kept for the next save.
    const ForeignContent& foreignContent() const { return foreign; }
    // Names the item's element in the documents taken of its canvas.
    ElementId elementId() const { return identity; }
    void setHighlighted();
    void resetHighlighted();
    // Called by a line that is destroyed on its own (e.g. by the scene).
    void forgetLine(LinkLine* line);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    void resize(const QSize& size);

    int width = 100;
    int height = 21;
    QString label;
    QString description;
    QString datatype;
    double midX = 0.0;
    double midY = 0.0;
    QColor backgroundColor;
    ProcessItem* myStartItem = nullptr;
    ProcessItem* myEndItem = nullptr;
    QVector<QPointF> polygon;
    QMenu* contextMenu = nullptr;
    QPen pen;
    LinkLine* startLine = nullptr;
    LinkLine* endLine = nullptr;
    ForeignContent foreign;
    const ElementId identity = nextElementId();
};

#endif // LINKITEM_H
