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

LinkItem::LinkItem(QMenu* menu, ElementId id, ProcessItem* start, ProcessItem* end)
    : QObject(nullptr)
    , QGraphicsItem(nullptr)
    , myStartItem(start)
    , myEndItem(end)
    , contextMenu(menu)
    , pen(QBrush(Qt::black), 1, Qt::SolidLine)
    , identity(id)
{
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    updatePolygon();
}

LinkElement LinkItem::newElement(const ProcessItem* from, const ProcessItem* to)
{
    LinkElement link;
    link.position = (centreOf(from) + centreOf(to)) / 2 - QPointF(emptyWidth / 2, emptyHeight / 2);
    link.startProcess = from->elementId();
    link.endProcess = to->elementId();
    link.colour = colourOf(defaultLinkColor);
    // The outline of a box not painted yet.
    link.polygon = QPolygonF(QRectF(0, 0, 100, 21));
    return link;
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

bool LinkItem::displayProperties(Values* after) const
{
    LinkProperties properties;
    properties.label = shown.label;
    properties.description = shown.description;
    properties.datatype = shown.datatype;
    properties.currentColor = shown.colour;
    properties.chosenColor = shown.colour;
    properties.fillProperties();
    if (properties.exec() != QDialog::Accepted)
        return false;
    *after = {properties.label, properties.description, properties.datatype, properties.currentColor};
    return *after != values();
}

void LinkItem::setElement(const LinkElement& element)
{
    shown = BlockValues::of(element);
    polygon = QPolygonF(element.polygon);
    place.follow(this, element.position);
    update();
}

void LinkItem::showElement(const LinkElement& element)
{
    shown = BlockValues::of(element);
    updatePolygon();
    place.follow(this, element.position);
    update(boundingRect());
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

    resize(LabelBoxFigure::size(painter, shown.label));
    LabelBoxFigure::paint(painter, QSize(width, height), shown.label, shown.colour, pen.style());
    updatePolygon();
}

void LinkItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}
