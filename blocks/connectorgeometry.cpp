#include "connectorgeometry.h"

#include <QGraphicsItem>

#include "connectorfigure.h"

#include "dataflowitem.h"
#include "itemshadow.h"
#include "itemtype.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"

QPointF ConnectorGeometry::centreOf(const QGraphicsItem* item)
{
    // Integer halves, as the boxes are centred between their ends.
    const QRectF bounds = ItemShadow::ownRect(item);
    return item->pos() + QPointF(int(bounds.width()) / 2, int(bounds.height()) / 2);
}

QPolygonF ConnectorGeometry::outlineOf(const QGraphicsItem* item)
{
    QPolygonF outline;
    switch (item->type()) {
    case ProcessType:
        outline = static_cast<const ProcessItem*>(item)->drawnOutline();
        break;
    case MemoryType:
        outline = static_cast<const MemoryItem*>(item)->myPolygon();
        break;
    case LinkType:
        outline = static_cast<const LinkItem*>(item)->myPolygon();
        break;
    case DataflowType:
        outline = static_cast<const DataflowItem*>(item)->myPolygon();
        break;
    default:
        break;
    }
    // An outline that no longer fits the item (a box not yet repainted after
    // loading) is replaced by the item's own rectangle.
    return ConnectorFigure::fittedOutline(outline, ItemShadow::ownRect(item)).translated(item->pos());
}
