#include "floatinglinkitem.h"

#include <QPainter>

#include "diagramscene.h"
#include "labelboxfigure.h"

namespace {
const QColor incomingColor(0, 255, 0);
const QColor outgoingColor(255, 0, 0);
} // namespace

FloatingLinkItem::FloatingLinkItem(QPointF pos, int linkDirection, QString text,
                                   QGraphicsItem* /*parent*/)
    : QObject(nullptr)
    , QGraphicsItem(nullptr)
    , label(std::move(text))
    , direction(linkDirection)
{
    if (direction == 0)
        colour = incomingColor;
    else if (direction == 1)
        colour = outgoingColor;
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setPos(pos);
    updatePolygon(direction);
}

void FloatingLinkItem::updatePolygon(int kind)
{
    if (kind == 0 || kind == 1)
        polygon = LabelBoxFigure::mirrorOutline(QSize(width, height), kind);
}

QRectF FloatingLinkItem::boundingRect() const
{
    return QRectF(0, 0, width, height);
}

void FloatingLinkItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (direction != 0 && direction != 1)
        return;

    const QSize size = LabelBoxFigure::size(painter, label);
    if (size.width() != width || size.height() != height) {
        prepareGeometryChange();
        width = size.width();
        height = size.height();
        updatePolygon(direction);
        if (auto* canvas = qobject_cast<DiagramScene*>(scene()))
            canvas->floatingItemResized();
    }
    LabelBoxFigure::paintMirror(painter, myPolygon(), label, colour);
    updatePolygon(direction);
}
