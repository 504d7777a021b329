#include "linkitem.h"
#include "linkproperties.h"

#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "labelboxfigure.h"
#include "qcolourof.h"
#include "linkline.h"
#include "processitem.h"

namespace {
const QColor defaultLinkColor(229, 231, 233);
const int emptyWidth = LabelBoxFigure::emptyWidth;
const int emptyHeight = LabelBoxFigure::emptyHeight;

QPointF centreOf(const ProcessItem* process)
{
    return process->pos() + QPointF(process->getWidth() / 2, process->getHeight() / 2);
}
} // namespace

LinkItem::LinkItem(QMenu* menu, ProcessItem* start, ProcessItem* end, QGraphicsItem* /*parent*/)
    : QObject(nullptr)
    , QGraphicsItem(nullptr)
    , myStartItem(start)
    , myEndItem(end)
    , contextMenu(menu)
    , pen(QBrush(Qt::black), 1, Qt::SolidLine)
{
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);

    const QPointF mid = (centreOf(start) + centreOf(end)) / 2;
    midX = mid.x();
    midY = mid.y();
    updatePolygon();
    setPos(midX - emptyWidth / 2, midY - emptyHeight / 2);
}

LinkItem::~LinkItem()
{
    removeLinkLines();
}

void LinkItem::removeLinkLines()
{
    LinkLine* lines[] = {startLine, endLine};
    startLine = nullptr;
    endLine = nullptr;
    for (LinkLine* line : lines) {
        if (!line)
            continue;
        line->detachFromLink();
        if (line->scene())
            line->scene()->removeItem(line);
        delete line;
    }
}

void LinkItem::forgetLine(LinkLine* line)
{
    if (startLine == line)
        startLine = nullptr;
    if (endLine == line)
        endLine = nullptr;
}

void LinkItem::updatePolygon()
{
    // The closed outline: the corners clockwise from the origin and back.
    polygon = QPolygonF(QRectF(0, 0, width, height));
}

void LinkItem::resize(const QSize& size)
{
    if (size.width() == width && size.height() == height)
        return;
    prepareGeometryChange();
    width = size.width();
    height = size.height();
}

bool LinkItem::displayProperties()
{
    LinkProperties properties;
    properties.label = label;
    properties.description = description;
    properties.datatype = datatype;
    properties.currentColor = backgroundColor;
    properties.chosenColor = backgroundColor;
    properties.fillProperties();
    if (properties.exec() != QDialog::Accepted)
        return false;
    const Values after {properties.label, properties.description, properties.datatype, properties.currentColor};
    const bool changed = after != values();
    setValues(after);
    return changed;
}

void LinkItem::setValues(const Values& values)
{
    label = values.label;
    description = values.description;
    datatype = values.datatype;
    backgroundColor = values.colour;
    updatePolygon();
    update(boundingRect());
}

void LinkItem::setElement(const LinkElement& element)
{
    foreign = element.foreign;
    label = element.label;
    description = element.description;
    datatype = element.datatype;
    backgroundColor = qColourOf(element.colour);
    polygon = QPolygonF(element.polygon);
    setPos(element.position);
    update();
}

void LinkItem::setHighlighted()
{
    prepareGeometryChange();
    pen.setStyle(Qt::DotLine);
    update();
}

void LinkItem::resetHighlighted()
{
    prepareGeometryChange();
    pen.setStyle(Qt::SolidLine);
    update();
}

QRectF LinkItem::boundingRect() const
{
    return QRectF(0, 0, width, height);
}

void LinkItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (myStartItem && myEndItem && myStartItem->collidesWithItem(myEndItem))
        return;

    if (!backgroundColor.isValid())
        backgroundColor = defaultBackgroundColour();
    resize(LabelBoxFigure::size(painter, label));
    LabelBoxFigure::paint(painter, QSize(width, height), label, backgroundColor, pen.style());
    updatePolygon();
}

void LinkItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}

QColor LinkItem::defaultBackgroundColour()
{
    return defaultLinkColor;
}
