#include "floatinglinkitem.h"

#include <QPainter>

#include "diagramscene.h"
#include "linkitem.h"

namespace {
const QColor incomingColor(0, 255, 0);
const QColor outgoingColor(255, 0, 0);
const int tipDepth = 10;
} // namespace

FloatingLinkItem::FloatingLinkItem(QPointF pos, int linkDirection, QString text,
                                   QGraphicsItem* /*parent*/)
    : QObject(nullptr)
    , QGraphicsItem(nullptr)
    , label(std::move(text))
    , direction(linkDirection)
    , pen(QBrush(Qt::black), 1, Qt::SolidLine)
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
    const int half = height / 2;
    if (kind == 0) {
        polygon = {QPointF(width, half), QPointF(width - tipDepth, 0), QPointF(0, 0),
                   QPointF(0, height), QPointF(width - tipDepth, height)};
    } else if (kind == 1) {
        polygon = {QPointF(0, half), QPointF(tipDepth, 0), QPointF(width, 0),
                   QPointF(width, height), QPointF(tipDepth, height)};
    }
}

QRectF FloatingLinkItem::boundingRect() const
{
    return QRectF(0, 0, width, height);
}

void FloatingLinkItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (direction != 0 && direction != 1)
        return;

    const QSize size = LinkItem::labelBoxSize(painter, label);
    if (size.width() != width || size.height() != height) {
        prepareGeometryChange();
        width = size.width();
        height = size.height();
        updatePolygon(direction);
        if (auto* canvas = qobject_cast<DiagramScene*>(scene()))
            canvas->floatingItemResized();
    }
    painter->setPen(pen);
    painter->setBrush(QBrush(colour, Qt::SolidPattern));
    painter->drawPolygon(myPolygon());
    if (!label.isEmpty())
        painter->drawText(LinkItem::labelTextRect(painter, label), LinkItem::textFlags, label);
    updatePolygon(direction);
}
