#ifndef CONNECTORGEOMETRY_H
#define CONNECTORGEOMETRY_H

#include <QPointF>
#include <QPolygonF>

class QGraphicsItem;

// Where the lines that join a process, memory or data store to the box of a
// link or dataflow meet the items (ConnectorFigure draws them).
class ConnectorGeometry
{
public:
    // Centre and drawn outline, in scene coordinates, of an item a connector
    // can join: a process, a memory item, or a link or dataflow box.
    static QPointF centreOf(const QGraphicsItem* item);
    static QPolygonF outlineOf(const QGraphicsItem* item);
};

#endif // CONNECTORGEOMETRY_H
