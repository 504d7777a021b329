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

StateItem::StateItem(QMenu* menu, QPointF position, ElementId id)
    : contextMenu(menu)
    , identity(id ? id : nextElementId())
{
    initStateItem(position);
}

StateItem::~StateItem() = default;

void StateItem::initStateItem(QPointF at)
{
    width = 280;
    height = 150;
    normalPen = QPen(QBrush(Qt::black), 1, Qt::SolidLine);
    initialPen = QPen(QBrush(Qt::red), 1, Qt::SolidLine);
    position = at;
    setPos(at);
    updatePolygon();
    setFlag(QGraphicsItem::ItemIsMovable, true);
    setFlag(QGraphicsItem::ItemIsSelectable, true);
    setFlag(QGraphicsItem::ItemSendsGeometryChanges, true);
}

QRectF StateItem::boundingRect() const
{
    return ShadowPainting::around(QRectF(0, 0, width, height));
}

QPainterPath StateItem::shape() const
{
    QPainterPath path;
    path.addRect(QRectF(0, 0, width, height));
    return path;
}

StateFigure StateItem::figure() const
{
    // An initial state shows its highlight through the initial pen's style.
    return {width, height, label, action, backgroundColour,
            initialStatus() ? initialPen.style() : normalPen.style()};
}

void StateItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (!backgroundColour.isValid())
        backgroundColour = defaultBackgroundColour();
    figure().paint(painter);
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
    return {width, height, label, action, description, initDescription, initCondition,
            backgroundColour, initial};
}

void StateItem::setValues(const Values& values)
{
    changed();
    prepareGeometryChange();
    width = values.width;
    height = values.height;
    label = values.label;
    action = values.action;
    description = values.description;
    initDescription = values.initDescription;
    initCondition = values.initCondition;
    backgroundColour = values.backgroundColour;
    initial = values.initial;
    updatePolygon();
    for (TransitionItem* transition : qAsConst(transitions))
        transition->followEnds();
    for (TransitionItem* transition : qAsConst(selfTransitions))
        transition->followEnds();
    update();
}

void StateItem::addTransition(TransitionItem* transition)
{
    changed();
    if (transition->isSelfTransition())
        selfTransitions.append(transition);
    else
        transitions.append(transition);
}

void StateItem::removeTransition(TransitionItem* transition)
{
    changed();
    if (transition->isSelfTransition())
        selfTransitions.removeOne(transition);
    else
        transitions.removeOne(transition);
}

void StateItem::setElement(const StateElement& element)
{
    changed();
    foreign = element.foreign;
    label = element.label;
    setIfInitialState(element.initial);
    initCondition = element.initialCondition;
    initDescription = element.initialDescription;
    prepareGeometryChange();
    width = element.width;
    height = element.height;
    backgroundColour = qColourOf(element.colour);
    polygon = QPolygonF(element.polygon);
    action = element.action;
    description = element.description;
    // The canvas attaches the transitions again as it places them.
    transitions.clear();
    selfTransitions.clear();
    update();
}

const SharedElement<StateElement>& StateItem::element() const
{
    if (!taken)
        taken = SharedElement<StateElement>(currentElement());
    return *taken;
}

void StateItem::keepElement(const SharedElement<StateElement>& made)
{
    if (made.get() == currentElement())
        taken = made;
}

StateElement StateItem::currentElement() const
{
    StateElement state;
    state.id = identity;
    state.label = label;
    state.initial = initial;
    state.initialCondition = initCondition;
    state.initialDescription = initDescription;
    state.position = pos();
    state.width = width;
    state.height = height;
    state.colour = colourOf(backgroundColour, defaultBackgroundColour());
    state.polygon = polygon;
    state.foreign = foreign;
    state.action = action;
    state.description = description;
    state.transitions.reserve(transitions.size());
    for (const TransitionItem* transition : transitions)
        state.transitions.append(transition->elementId());
    return state;
}

void StateItem::setAutoDimensions()
{
    const QSize size = StateProperties::autoSize(label, action);
    changed();
    prepareGeometryChange();
    width = size.width();
    height = size.height();
    updatePolygon();
    for (TransitionItem* transition : qAsConst(transitions))
        transition->followEnds();
    for (TransitionItem* transition : qAsConst(selfTransitions))
        transition->followEnds();
    update();
}

void StateItem::updatePolygon()
{
    changed();
    // The closed outline: the corners clockwise from the origin and back.
    polygon = QPolygonF(QRectF(0, 0, width, height));
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

bool StateItem::displayProperties(bool initialBarred)
{
    const Values before = values();
    StateProperties dialog;
    dialog.width = width;
    dialog.height = height;
    dialog.label = label;
    dialog.action = action;
    dialog.chosenColour = backgroundColour;
    dialog.pickedColour = backgroundColour;
    dialog.description = description;
    dialog.setInitialStatus(initial);
    dialog.disableSetInitChkBox(initialBarred);
    if (!initialBarred && initial) {
        dialog.initCondition = initCondition;
        dialog.initDescription = initDescription;
    }

    if (auto* canvas = qobject_cast<Canvas*>(scene()))
        dialog.setSiblingLabels(canvas->siblingLabels(this));
    dialog.fillProperties();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    Values after = before;
    after.initial = dialog.isInitialStatus();
    if (accepted) {
        after.width = dialog.width;
        after.height = dialog.height;
        after.label = dialog.label;
        after.action = dialog.action;
        after.backgroundColour = dialog.chosenColour;
        after.description = dialog.description;
        if (after.initial) {
            after.initCondition = dialog.initCondition;
            after.initDescription = dialog.initDescription;
        }
    }
    if (after == before)
        return false;
    setValues(after);
    return true;
}

QVariant StateItem::itemChange(GraphicsItemChange change, const QVariant& value)
{
    if (change == ItemPositionHasChanged) {
        changed();
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
