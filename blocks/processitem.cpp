#include "processitem.h"

#include "processfigure.h"
#include "shadowpainting.h"
#include "processproperties.h"

#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include "diagramscene.h"
#include "dataflowitem.h"
#include "qcolourof.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "projectnode.h"

namespace {
const int newWidth = 300;
const int newHeight = 250;

QPen outlinePen(Qt::PenStyle style)
{
    return QPen(QBrush(Qt::black), 2, style, Qt::RoundCap, Qt::RoundJoin);
}
} // namespace

ProcessItem::ProcessItem(QMenu* menu, ElementId id)
    : QObject(nullptr)
    , QGraphicsRectItem(nullptr)
    , contextMenu(menu)
    , identity(id)
{
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setPen(outlinePen(Qt::SolidLine));
}

ProcessItem::~ProcessItem() = default;

int ProcessItem::getLevel() const
{
    return node ? node->level() : 0;
}

int ProcessItem::getId() const
{
    return node ? node->fileId() : 0;
}

int ProcessItem::getNos() const
{
    return node ? node->process.countNumber : 0;
}

int ProcessItem::getParentId() const
{
    return node ? node->fileParentId() : 0;
}

int ProcessItem::getGrandParentId() const
{
    return node ? node->fileGrandParentId() : 0;
}

void ProcessItem::setSize(int newW, int newH)
{
    if (newW != width || newH != height)
        prepareGeometryChange();
    width = newW;
    height = newH;
    setRect(0, 0, width, height);
}

ProcessElement ProcessItem::newElement(QPointF centre, int shape)
{
    ProcessElement element;
    element.position = centre - QPointF(newWidth / 2, newHeight / 2);
    element.width = newWidth;
    element.height = newHeight;
    element.shape = shape;
    element.colour = ProcessElement::defaultColour;
    element.polygon = QPolygonF(QRectF(0, 0, newWidth, newHeight));
    return element;
}

ProcessElement ProcessItem::withValues(ProcessElement element, const Values& values)
{
    element.width = values.width;
    element.height = values.height;
    element.label = values.label;
    element.code = values.code;
    element.description = values.description;
    element.colour = colourOf(values.colour, qColourOf(ProcessElement::defaultColour));
    element.shape = values.shape;
    element.polygon = QPolygonF(QRectF(0, 0, values.width, values.height));
    return element;
}

void ProcessItem::updatePolygon()
{
    // The closed outline: the corners clockwise from the origin and back.
    polygon = QPolygonF(QRectF(0, 0, width, height));
    outline = ProcessFigure {width, height, shape, QString(), QColor(), Qt::SolidLine}.outline();
}

void ProcessItem::addLink(LinkItem* link)
{
    links.append(link);
}

void ProcessItem::removeLink(LinkItem* link)
{
    links.removeOne(link);
}

void ProcessItem::addDataflow(DataflowItem* dataflow)
{
    dataflows.append(dataflow);
}

void ProcessItem::removeDataflow(DataflowItem* dataflow)
{
    dataflows.removeOne(dataflow);
}

bool ProcessItem::displayProperties(Values* after) const
{
    ProcessProperties properties;
    properties.width = width;
    properties.height = height;
    properties.label = label;
    properties.code = code;
    properties.description = description;
    properties.currentColor = backgroundColor;
    properties.chosenColor = backgroundColor;
    properties.shape = shape;
    if (auto* canvas = qobject_cast<DiagramScene*>(scene()))
        properties.setSiblingLabels(canvas->siblingLabels(this));
    properties.fillProperties();
    if (properties.exec() != QDialog::Accepted)
        return false;
    *after = {properties.width, properties.height, properties.label, properties.code,
              properties.description, properties.currentColor, properties.shape};
    return *after != values();
}

void ProcessItem::showElement(const ProcessElement& element)
{
    label = element.label;
    code = element.code;
    description = element.description;
    shape = element.shape;
    setSize(element.width, element.height);
    backgroundColor = qColourOf(element.colour);
    // The stored outline is not trusted: a file may give one that differs
    // from the size drawn, and connectors must meet what the user sees.
    updatePolygon();
    place.follow(this, element.position);
    update(boundingRect());
}

void ProcessItem::setHighlighted()
{
    prepareGeometryChange();
    setPen(outlinePen(Qt::DotLine));
}

void ProcessItem::resetHighlighted()
{
    prepareGeometryChange();
    setPen(outlinePen(Qt::SolidLine));
}

QRectF ProcessItem::ownRect() const
{
    return QRectF(0, 0, width, height);
}

QRectF ProcessItem::boundingRect() const
{
    return ShadowPainting::around(ownRect());
}

void ProcessItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (rect() != ownRect())
        setRect(ownRect());
    ProcessFigure {width, height, shape, label, backgroundColor, pen().style()}.paint(painter);
}

void ProcessItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}
