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

namespace {
const QColor defaultProcessColor(254, 195, 9);
const int newWidth = 300;
const int newHeight = 250;

QPen outlinePen(Qt::PenStyle style)
{
    return QPen(QBrush(Qt::black), 2, style, Qt::RoundCap, Qt::RoundJoin);
}
} // namespace

ProcessItem::ProcessItem(QMenu* menu, QPointF pos, int shapeKind, QGraphicsItem* /*parent*/)
    : QObject(nullptr)
    , QGraphicsRectItem(nullptr)
    , shape(shapeKind)
    , contextMenu(menu)
    , x(pos.x())
    , y(pos.y())
{
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setPen(outlinePen(Qt::SolidLine));
}

ProcessItem::~ProcessItem() = default;

void ProcessItem::setSize(int newW, int newH)
{
    if (newW != width || newH != height)
        prepareGeometryChange();
    width = newW;
    height = newH;
    setRect(0, 0, width, height);
}

void ProcessItem::initProcessItem()
{
    setSize(newWidth, newHeight);
    updatePolygon();
    setPos(x - newWidth / 2, y - newHeight / 2);
}

void ProcessItem::updatePolygon()
{
    // The closed outline: the corners clockwise from the origin and back.
    polygon = QPolygonF(QRectF(0, 0, width, height));
    outline = ProcessFigure {width, height, shape, QString(), QColor(), Qt::SolidLine}.outline();
}

void ProcessItem::setLabel(const QString& text)
{
    label = text;
    update();
}

void ProcessItem::setBackgroundColor(const QColor& colour)
{
    backgroundColor = colour;
    update();
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

bool ProcessItem::displayProperties()
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
    const Values after {properties.width, properties.height, properties.label, properties.code,
                        properties.description, properties.currentColor, properties.shape};
    const bool changed = after != values();
    setValues(after);
    return changed;
}

void ProcessItem::setValues(const Values& values)
{
    setSize(values.width, values.height);
    label = values.label;
    code = values.code;
    description = values.description;
    backgroundColor = values.colour;
    shape = values.shape;
    updatePolygon();
    update(boundingRect());
}

void ProcessItem::setElement(const ProcessElement& element)
{
    foreign = element.foreign;
    id = element.number;
    nos = element.countNumber;
    label = element.label;
    code = element.code;
    description = element.description;
    setSize(element.width, element.height);
    backgroundColor = qColourOf(element.colour);
    // The stored outline is not trusted: a file may give one that differs
    // from the size drawn, and connectors must meet what the user sees.
    updatePolygon();
    setPos(x, y);
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
    if (!backgroundColor.isValid())
        backgroundColor = defaultBackgroundColour();
    if (rect() != ownRect())
        setRect(ownRect());
    ProcessFigure {width, height, shape, label, backgroundColor, pen().style()}.paint(painter);
}

void ProcessItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}

QColor ProcessItem::defaultBackgroundColour()
{
    return defaultProcessColor;
}
