#ifndef CONNECTORGEOMETRY_H
#define CONNECTORGEOMETRY_H

#include <QLineF>
#include <QPolygonF>
#include <QRectF>

class QPainter;
class QPen;

// Geometry and drawing shared by the lines that join a process, memory or
// data store to the box of a link or dataflow.
class ConnectorGeometry
{
public:
    // The line from where the centre line (start to end) meets the end
    // outline, back to the start centre.
    static QLineF clippedLine(const QPointF& startCentre, const QPointF& endCentre,
                              const QPolygonF& endOutline);
    // The arrow head at the first point of the line.
    static QPolygonF arrowHead(const QLineF& line);
    static QRectF boundingRect(const QLineF& line, int penWidth);
    // Draws the line, the arrow head when wanted, and the selection marks.
    static void paint(QPainter* painter, const QPen& pen, const QLineF& line,
                      const QPolygonF* arrowHead, bool selected);
};

#endif // CONNECTORGEOMETRY_H
