#ifndef LINKLINE_H
#define LINKLINE_H

#include <QColor>
#include <QGraphicsLineItem>
#include <QObject>
#include <QPolygonF>

class ProcessItem;
class LinkItem;

// One of the two lines of a link: process to box (type 1, no arrow head) or
// box to process (type 2, arrow head at the process outline).
class LinkLine : public QObject, public QGraphicsLineItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    LinkLine(QGraphicsItem* start, QGraphicsItem* end, QObject* parent = nullptr);
    ~LinkLine() override;

    int getLineType() const { return lineType; }
    ProcessItem* getProcess() const { return process; }
    LinkItem* getLink() const { return link; }
    QGraphicsItem* startGraphicsItem() const { return startItem; }
    QGraphicsItem* endGraphicsItem() const { return endItem; }
    QPolygonF getArrowHead() const { return arrowHead; }
    // Called by the owning box before it destroys the line.
    void detachFromLink() { link = nullptr; }
    // Recomputes the line from the current positions of both ends.
    void updateGeometry();

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

private:
    void updateArrowHead();

    QColor colour;
    ProcessItem* process = nullptr;
    LinkItem* link = nullptr;
    QGraphicsItem* startItem = nullptr;
    QGraphicsItem* endItem = nullptr;
    int lineType = 0;
    QPolygonF arrowHead;
};

#endif // LINKLINE_H
