#ifndef CONNECTORGEOMETRY_H
#define CONNECTORGEOMETRY_H

#include <QLineF>
#include <QPolygonF>
#include <QRectF>

class QGraphicsItem;
class QPainter;
class QPen;

// Geometry and drawing shared by the lines that join a process, memory or
// data store to the box of a link or dataflow.
class ConnectorGeometry
{
public:
    // The line from where the centre line (start to end) meets the end
    // outline, back to the start centre. When the centre line crosses no edge
    // (the start centre lies inside), the line ends at the outline point
    // nearest to the start centre; only an empty outline gives the end centre.
    static QLineF clippedLine(const QPointF& startCentre, const QPointF& endCentre,
                              const QPolygonF& endOutline);
    // Centre and drawn outline, in scene coordinates, of an item a connector
    // can join: a process, a memory item, or a link or dataflow box.
    static QPointF centreOf(const QGraphicsItem* item);
    static QPolygonF outlineOf(const QGraphicsItem* item);
    // The arrow head at the first point of the line.
    static QPolygonF arrowHead(const QLineF& line);
    static QRectF boundingRect(const QLineF& line, int penWidth);
    // Draws the line, the arrow head when wanted, and the selection marks.
    static void paint(QPainter* painter, const QPen& pen, const QLineF& line,
                      const QPolygonF* arrowHead, bool selected);
};

#endif // CONNECTORGEOMETRY_H
