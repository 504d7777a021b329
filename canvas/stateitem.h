#ifndef STATEITEM_H
#define STATEITEM_H

#include <tuple>
#include <QColor>
#include <QGraphicsItem>
#include <QList>
#include <QObject>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QString>

#include "elementid.h"
#include "elementplace.h"
#include "sharedelement.h"
#include "stateelement.h"
#include "statefigure.h"
#include "itemtype.h"

class QMenu;
class TransitionItem;

// One state of a state machine: a rounded box with the state's name above a
// divider and its action code below; the view of a state of its canvas's
// document. It knows the transitions touching it, which follow it as it moves.
class StateItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum { Type = StateType };

    // Everything the properties dialog edits, as one value, so that an edit
    // can be undone and redone as a whole.
    struct Values
    {
        int width = 280;
        int height = 150;
        QString label;
        QString action;
        QString description;
        QString initDescription;
        QString initCondition;
        QColor backgroundColour;
        bool initial = false;
        auto fields() const
        {
            return std::tie(width, height, label, action, description, initDescription, initCondition,
                            backgroundColour, initial);
        }
        bool operator==(const Values& other) const;
        bool operator!=(const Values& other) const { return !(*this == other); }
    };

    // The view of the state element with the id; setElement() places it.
    StateItem(QMenu* menu, ElementId id);
    ~StateItem() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;
    int type() const override { return Type; }

    int getWidth() const { return held->width; }
    int getHeight() const { return held->height; }
    QString getLabel() const { return held->label; }
    QString getAction() const { return held->action; }
    QString getDescription() const { return held->description; }
    QString getInitCondition() const { return held->initialCondition; }
    QString getInitDescription() const { return held->initialDescription; }
    QColor getBackgroundColour() const;
    // What an item whose colour was never set is drawn in.
    static QColor defaultBackgroundColour();

    bool initialStatus() const { return held->initial; }

    Values values() const;
    // The element with every value, the initial flag included, and the
    // outline of its size.
    static StateElement withValues(StateElement element, const Values& values);
    // A new state of the default size at position.
    static StateElement newElement(QPointF position, const QString& label);
    // The element with the size its texts need in the screen's font.
    static StateElement autoSized(StateElement element);

    QPolygonF myPolygon() const { return QPolygonF(held->polygon); }

    // Transitions to or from another state, in the order attached.
    QList<TransitionItem*> getTransitions() const { return transitions; }
    // Transitions from this state to itself.
    QList<TransitionItem*> getSelfTransitions() const { return selfTransitions; }
    // The canvas attaches them as its document lists them.
    void setTransitions(const QList<TransitionItem*>& attached) { transitions = attached; }
    void addSelfTransition(TransitionItem* transition) { selfTransitions.append(transition); }
    void removeTransition(TransitionItem* transition);

    // Shows the element, shared with the document; the item moves only when
    // the element did, so that a drag under way keeps its place.
    void setElement(const SharedElement<StateElement>& element);
    const StateElement& element() const { return held.get(); }
    // Names the item's element in its canvas's document.
    ElementId elementId() const { return identity; }
    void setHighlighted();
    void resetHighlighted();
    bool isHighlighted() const { return (initialStatus() ? initialPen : normalPen).style() == Qt::DotLine; }
    // Runs a properties dialog made for this one edit; true, with the values
    // chosen, when they differ from the item's (the initial flag changes even
    // when the dialog is cancelled).
    bool displayProperties(bool initialBarred, Values* after) const;

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;
    // Keeps the transitions in step while the state is dragged.
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    StateFigure figure() const;

    // The element shown.
    SharedElement<StateElement> held;
    // The element's id, at hand where states are looked up by id.
    const ElementId identity;
    ElementPlace place;
    QList<TransitionItem*> transitions;
    QList<TransitionItem*> selfTransitions;
    QPen normalPen;
    QPen initialPen;
    QMenu* contextMenu = nullptr;
};

#endif // STATEITEM_H
