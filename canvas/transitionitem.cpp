#include "transitionitem.h"

#include "shadowpainting.h"
#include "transitionfigure.h"
#include "qcolourof.h"

#include "stateitem.h"
#include "transitionline.h"

#include "transitionproperties.h"

#include <QGraphicsScene>
#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QWidget>

#include <cmath>

namespace {
QPointF centreOf(const StateItem* state)
{
    return state->pos() + QPointF(state->getWidth() / 2, state->getHeight() / 2);
}

// Where a new box between two states goes: beside the straight line between
// their centres, clear of it, so that the lines and the arrow head stay in
// sight between close states. Each further transition between the same two
// states, either way, takes the next place out, the sides alternating, so
// that no two share a line or a box.
QPointF besideTheLine(const StateItem* start, const StateItem* end, QSizeF box)
{
    const QPointF a = centreOf(start);
    const QPointF b = centreOf(end);
    const QPointF middle = (a + b) / 2;
    // One frame for both directions: from the state further left (or up).
    const bool ordered = a.x() < b.x() || (a.x() == b.x() && a.y() <= b.y());
    const QLineF line(ordered ? a : b, ordered ? b : a);
    if (line.length() == 0)
        return middle;
    const QLineF normal = line.normalVector().unitVector();
    const QPointF across = normal.p2() - normal.p1();
    int others = 0;
    for (const TransitionItem* transition : start->getTransitions()) {
        const bool between = (transition->startItem() == start && transition->endItem() == end)
            || (transition->startItem() == end && transition->endItem() == start);
        others += between ? 1 : 0;
    }
    const int place = others / 2 + 1;
    const int side = others % 2 == 0 ? 1 : -1;
    const qreal step = std::hypot(box.width(), box.height()) / 2 + 10;
    // Whole numbers, as a file stores them.
    const QPointF at = middle + across * (side * place * step);
    return QPointF(qRound(at.x()), qRound(at.y()));
}
} // namespace

TransitionItem::TransitionItem(QMenu* menu, ElementId id, StateItem* start, StateItem* end)
    : identity(id)
    , startState(start)
    , endState(end)
    , contextMenu(menu)
    , selfTransition(start == end)
{
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemSendsGeometryChanges, true);
    // The shape Qt hit-tests follows this pen; the outline drawn follows the highlight.
    setPen(QPen(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    updateOverlap();
}

TransitionItem::~TransitionItem() = default;

QPointF TransitionItem::meetingPoint(const StateItem* start, const StateItem* end)
{
    if (start != end)
        return (centreOf(start) + centreOf(end)) / 2;
    // Further self transitions of one state stack upwards.
    const QPointF centre = centreOf(start);
    const int n = start->getSelfTransitions().size();
    return QPointF(centre.x() + start->getWidth() + 150, centre.y() - 37 * n);
}

TransitionElement TransitionItem::newElement(const StateItem* start, const StateItem* end)
{
    TransitionElement transition;
    transition.colour = TransitionElement::defaultColour;
    transition.width = 150;
    transition.height = 75;
    transition.polygon = QPolygonF(QRectF(0, 0, transition.width, transition.height));
    transition.startState = start->elementId();
    transition.endState = end->elementId();
    transition.midPosition = meetingPoint(start, end);
    QPointF centre;
    if (start == end) {
        // Further self transitions of one state stack upwards, each box clear
        // of the one below.
        const QPointF state = centreOf(start);
        const int below = start->getSelfTransitions().size();
        centre = QPointF(state.x() + start->getWidth() + 150, state.y() - (transition.height + 10) * below);
    } else {
        centre = besideTheLine(start, end, QSizeF(transition.width, transition.height));
    }
    transition.position = centre - QPointF(transition.width / 2, transition.height / 2);
    return transition;
}

QRectF TransitionItem::boundingRect() const
{
    return ShadowPainting::around(QRectF(0, 0, held->width, held->height));
}

bool TransitionItem::hiddenByOverlap() const
{
    return overlapped;
}

void TransitionItem::updateOverlap()
{
    const bool now = !selfTransition && startState && endState && startState->collidesWithItem(endState);
    if (now != overlapped) {
        prepareGeometryChange();
        overlapped = now;
    }
}

QPainterPath TransitionItem::shape() const
{
    return hiddenByOverlap() ? QPainterPath() : QGraphicsRectItem::shape();
}

void TransitionItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (hiddenByOverlap())
        return;
    TransitionFigure {held->width, held->height,          held->label, held->condition,
                      held->action, getBackgroundColour(), outline}
        .paint(painter);
}

QColor TransitionItem::getBackgroundColour() const
{
    return qColourOf(held->colour);
}

void TransitionItem::setElement(const SharedElement<TransitionElement>& element)
{
    // The first element only sizes the item: its lines are not there yet.
    const bool first = held->width == 0 && held->height == 0 && !startLine;
    const bool resized = held->width != element->width || held->height != element->height;
    if (resized)
        prepareGeometryChange();
    held = element;
    // The rectangle gives the item its shape for hit tests before any paint.
    setRect(0, 0, held->width, held->height);
    place.follow(this, held->position);
    // A new size moves the edges the lines meet.
    if (resized && !first)
        followEnds();
    update();
}

TransitionElement TransitionItem::withValues(TransitionElement element, const Values& values)
{
    element.label = values.label;
    element.action = values.action;
    element.condition = values.condition;
    element.description = values.description;
    element.colour = colourOf(values.backgroundColour, defaultBackgroundColour());
    element.width = values.width;
    element.height = values.height;
    // The closed outline: the corners clockwise from the origin and back.
    element.polygon = QPolygonF(QRectF(0, 0, values.width, values.height));
    return element;
}

TransitionElement TransitionItem::autoSized(TransitionElement element)
{
    const QSize size = TransitionProperties::autoSize(element.label, element.action, element.condition);
    element.width = size.width();
    element.height = size.height();
    element.polygon = QPolygonF(QRectF(0, 0, size.width(), size.height()));
    return element;
}

bool TransitionItem::Values::operator==(const Values& other) const
{
    return width == other.width && height == other.height && label == other.label
        && action == other.action && condition == other.condition
        && description == other.description && backgroundColour == other.backgroundColour;
}

TransitionItem::Values TransitionItem::values() const
{
    return {held->width,     held->height,      held->label,          held->action,
            held->condition, held->description, getBackgroundColour()};
}

// The box's extent does not follow its outline, so a highlight only repaints:
// a change of geometry would take the item out of the scene's index and back,
// which a selection of thousands cannot afford.
void TransitionItem::setHighlighted()
{
    outline = Qt::DotLine;
    update();
}

void TransitionItem::resetHighlighted()
{
    outline = Qt::SolidLine;
    update();
}

bool TransitionItem::displayProperties(Values* after) const
{
    const Values before = values();
    TransitionProperties dialog;
    dialog.width = before.width;
    dialog.height = before.height;
    dialog.label = before.label;
    dialog.startLabel = startState ? startState->getLabel() : QString();
    dialog.endLabel = endState ? endState->getLabel() : QString();
    dialog.action = before.action;
    dialog.condition = before.condition;
    dialog.chosenColour = before.backgroundColour;
    dialog.pickedColour = before.backgroundColour;
    dialog.description = before.description;
    dialog.fillProperties();
    if (dialog.exec() != QDialog::Accepted)
        return false;

    *after = {dialog.width,     dialog.height,      dialog.label,       dialog.action,
              dialog.condition, dialog.description, dialog.chosenColour};
    return *after != before;
}

void TransitionItem::followEnds()
{
    updateOverlap();
    if (startLine)
        startLine->updateGeometry();
    if (endLine)
        endLine->updateGeometry();
    // The box itself stays as it is: a change of overlap repaints it above.
}

bool TransitionItem::mayShowIn(const QRectF& area) const
{
    const QRectF box(pos(), QSizeF(held->width, held->height));
    if (box.intersects(area))
        return true;
    // A line runs between the box's centre and a state's centre; one
    // pixel wider, so that a level line has an area to meet.
    const auto spans = [&area](const QPointF& a, const QPointF& b) {
        return QRectF(a, b).normalized().adjusted(-1, -1, 1, 1).intersects(area);
    };
    for (const TransitionLine* line : {startLine, endLine})
        if (line && spans(line->mapToScene(line->line().p1()), line->mapToScene(line->line().p2())))
            return true;
    for (const StateItem* state : {startState, endState})
        if (state && spans(box.center(), centreOf(state)))
            return true;
    return false;
}

QVariant TransitionItem::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemPositionHasChanged) {
        if (startLine)
            startLine->updateGeometry();
        if (endLine)
            endLine->updateGeometry();
    }
    return QGraphicsRectItem::itemChange(change, value);
}

void TransitionItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}

QColor TransitionItem::defaultBackgroundColour()
{
    return QColor(0xe5, 0xe7, 0xe9);
}
