#include "stateitem.h"

#include "qcolourof.h"
#include "shadowpainting.h"

#include "canvas.h"

#include "transitionitem.h"

#include "stateproperties.h"

#include <QGraphicsSceneContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QWidget>

#include <algorithm>

StateItem::StateItem(QMenu* menu, ElementId id)
    : identity(id)
    , contextMenu(menu)
{
    normalPen = QPen(QBrush(Qt::black), 1, Qt::SolidLine);
    initialPen = QPen(QBrush(Qt::red), 1, Qt::SolidLine);
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemSendsGeometryChanges, true);
}

StateItem::~StateItem() = default;

QRectF StateItem::boundingRect() const
{
    return ShadowPainting::around(QRectF(0, 0, held->width, held->height));
}

QPainterPath StateItem::shape() const
{
    QPainterPath path;
    path.addRect(QRectF(0, 0, held->width, held->height));
    return path;
}

StateFigure StateItem::figure() const
{
    // An initial state shows its highlight through the initial pen's style.
    return {held->width, held->height, held->label, held->action, getBackgroundColour(),
            initialStatus() ? initialPen.style() : normalPen.style()};
}

void StateItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    figure().paint(painter);
}

QColor StateItem::getBackgroundColour() const
{
    return qColourOf(held->colour);
}

bool StateItem::Values::operator==(const Values& other) const
{
    return width == other.width && height == other.height && label == other.label
        && action == other.action && description == other.description
        && initDescription == other.initDescription && initCondition == other.initCondition
        && backgroundColour == other.backgroundColour && initial == other.initial;
}

StateItem::Values StateItem::values() const
{
    return {held->width,       held->height, held->label,           held->action,
            held->description, held->initialDescription, held->initialCondition,
            getBackgroundColour(), held->initial};
}

StateElement StateItem::withValues(StateElement element, const Values& values)
{
    element.label = values.label;
    element.action = values.action;
    element.description = values.description;
    element.initialDescription = values.initDescription;
    element.initialCondition = values.initCondition;
    element.colour = colourOf(values.backgroundColour, defaultBackgroundColour());
    element.initial = values.initial;
    element.width = values.width;
    element.height = values.height;
    // The closed outline: the corners clockwise from the origin and back.
    element.polygon = QPolygonF(QRectF(0, 0, values.width, values.height));
    return element;
}

StateElement StateItem::newElement(QPointF position, const QString& label)
{
    StateElement state;
    state.position = position;
    state.label = label;
    state.colour = StateElement::defaultColour;
    state.width = 280;
    state.height = 150;
    state.polygon = QPolygonF(QRectF(0, 0, state.width, state.height));
    return state;
}

StateElement StateItem::autoSized(StateElement element)
{
    const QSize size = StateProperties::autoSize(element.label, element.action);
    element.width = size.width();
    element.height = size.height();
    element.polygon = QPolygonF(QRectF(0, 0, size.width(), size.height()));
    return element;
}

void StateItem::removeTransition(TransitionItem* transition)
{
    transitions.removeOne(transition);
    selfTransitions.removeOne(transition);
}

void StateItem::setElement(const SharedElement<StateElement>& element)
{
    const bool resized = held->width != element->width || held->height != element->height;
    if (resized)
        prepareGeometryChange();
    held = element;
    place.follow(this, held->position);
    // A new size moves the edges the transitions meet.
    if (resized) {
        for (TransitionItem* transition : qAsConst(transitions))
            transition->followEnds();
        for (TransitionItem* transition : qAsConst(selfTransitions))
            transition->followEnds();
    }
    update();
}

// The box's extent does not follow its outline, so a highlight only repaints:
// a change of geometry would take the item out of the scene's index and back,
// which a selection of thousands cannot afford.
void StateItem::setHighlighted()
{
    if (initialStatus())
        initialPen.setStyle(Qt::DotLine);
    else
        normalPen.setStyle(Qt::DotLine);
    update();
}

void StateItem::resetHighlighted()
{
    // Both pens, so a highlight set before the initial flag changed cannot stick.
    initialPen.setStyle(Qt::SolidLine);
    normalPen.setStyle(Qt::SolidLine);
    update();
}

bool StateItem::displayProperties(bool initialBarred, Values* after) const
{
    const Values before = values();
    StateProperties dialog;
    dialog.width = before.width;
    dialog.height = before.height;
    dialog.label = before.label;
    dialog.action = before.action;
    dialog.chosenColour = before.backgroundColour;
    dialog.pickedColour = before.backgroundColour;
    dialog.description = before.description;
    dialog.setInitialStatus(before.initial);
    dialog.disableSetInitChkBox(initialBarred);
    if (!initialBarred && before.initial) {
        dialog.initCondition = before.initCondition;
        dialog.initDescription = before.initDescription;
    }

    if (auto* canvas = qobject_cast<Canvas*>(scene()))
        dialog.setSiblingLabels(canvas->siblingLabels(this));
    dialog.fillProperties();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    *after = before;
    after->initial = dialog.isInitialStatus();
    if (accepted) {
        after->width = dialog.width;
        after->height = dialog.height;
        after->label = dialog.label;
        after->action = dialog.action;
        after->backgroundColour = dialog.chosenColour;
        after->description = dialog.description;
        if (after->initial) {
            after->initCondition = dialog.initCondition;
            after->initDescription = dialog.initDescription;
        }
    }
    return *after != before;
}

QVariant StateItem::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemPositionHasChanged) {
        // The boxes keep their drop-shadow pixmaps until told otherwise, and a
        // box shows or hides as its states part or overlap.
        auto* canvas = qobject_cast<Canvas*>(scene());
        for (TransitionItem* transition : qAsConst(transitions)) {
            if (!canvas || !canvas->followLater(transition))
                transition->followEnds();
        }
        for (TransitionItem* transition : qAsConst(selfTransitions)) {
            if (!canvas || !canvas->followLater(transition))
                transition->followEnds();
        }
    }
    return QGraphicsItem::itemChange(change, value);
}

void StateItem::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    if (contextMenu)
        contextMenu->exec(event->screenPos());
}

QColor StateItem::defaultBackgroundColour()
{
    return QColor(0xe5, 0xe7, 0xe9);
}
