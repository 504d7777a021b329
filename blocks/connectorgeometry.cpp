#include "connectorgeometry.h"

#include <QGraphicsItem>

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
    const QRectF own = ItemShadow::ownRect(item);
    if (outline.isEmpty() || !own.adjusted(-1, -1, 1, 1).contains(outline.boundingRect()))
        outline = QPolygonF(own);
    return outline.translated(item->pos());
}
