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
#include "elementplace.h"
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

    // The view of the link element with the id between the two processes;
    // setElement() places it.
    LinkItem(QMenu* menu, ElementId id, ProcessItem* start, ProcessItem* end);
    ~LinkItem() override;

    int type() const override { return Type; }

    using Values = BlockValues;
    Values values() const { return shown; }
    // A link just drawn from one process to another: its box halfway
    // between their centres.
    static LinkElement newElement(const ProcessItem* from, const ProcessItem* to);

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    QString getLabel() const { return shown.label; }
    QString getDescription() const { return shown.description; }
    QString getDatatype() const { return shown.datatype; }
    QColor getBackgroundColor() const { return shown.colour; }
    ProcessItem* startItem() const { return myStartItem; }
    ProcessItem* endItem() const { return myEndItem; }
    LinkLine* getStartLine() const { return startLine; }
    LinkLine* getEndLine() const { return endLine; }
    // The outline as last painted: its width follows the name in the
    // screen's font, so it is the view's, not the element's.
    QPolygonF myPolygon() const { return QPolygonF(polygon); }

    void setStartLine(LinkLine* line) { startLine = line; }
    void setEndLine(LinkLine* line) { endLine = line; }

    void removeLinkLines();
    void updatePolygon();
    // Runs a properties dialog made for this one edit; true, with the
    // values chosen, when they differ from the item's.
    bool displayProperties(Values* after) const;
    // Shows the element as it first comes: its place and its outline too.
    void setElement(const LinkElement& element);
    // Shows the element's values after a change; the item moves only when
    // the element did.
    void showElement(const LinkElement& element);
    // Names the item's element in its canvas's document.
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
    // The values shown, as the element gives them.
    BlockValues shown;
    ElementPlace place;
    ProcessItem* myStartItem = nullptr;
    ProcessItem* myEndItem = nullptr;
    QVector<QPointF> polygon;
    QMenu* contextMenu = nullptr;
    QPen pen;
    LinkLine* startLine = nullptr;
    LinkLine* endLine = nullptr;
    const ElementId identity;
};

#endif // LINKITEM_H
