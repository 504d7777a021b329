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
#include "foreigncontent.h"
#include "sharedelement.h"
#include "stateelement.h"
#include "statefigure.h"
#include "itemtype.h"

class QMenu;
class TransitionItem;

// One state of a state machine: a rounded box with the state's name above a
// divider and its action code below. It knows the transitions touching it so
// that undo can take them off and put them back with it.
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

    // An id of 0 gives the item a fresh one.
    StateItem(QMenu* menu, QPointF position, ElementId id = 0);
    ~StateItem() override;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;
    int type() const override { return Type; }

    int getWidth() const { return held->width; }
    int getHeight() const { return held->height; }
    QString getLabel() const { return held->label; }
    void setLabel(const QString& text)
    {
        held.edit().label = text;
        update();
    }
    QString getAction() const { return held->action; }
    QString getDescription() const { return held->description; }
    QString getInitCondition() const { return held->initialCondition; }
    QString getInitDescription() const { return held->initialDescription; }
    QColor getBackgroundColour() const;
    // What an item whose colour was never set is drawn in.
    static QColor defaultBackgroundColour();

    bool initialStatus() const { return held->initial; }
    void setIfInitialState(bool status)
    {
        if (status != held->initial)
            held.edit().initial = status;
    }

    Values values() const;
    // Takes every value, the initial flag included; the canvas moves the
    // initial marker.
    void setValues(const Values& values);

    QPolygonF myPolygon() const { return QPolygonF(held->polygon); }

    // Transitions to or from another state, in the order attached.
    QList<TransitionItem*> getTransitions() const { return transitions; }
    // Transitions from this state to itself.
    QList<TransitionItem*> getSelfTransitions() const { return selfTransitions; }
    void addTransition(TransitionItem* transition);
    void removeTransition(TransitionItem* transition);
    // Take back the transitions in an earlier order.
    void setTransitions(const QList<TransitionItem*>& attached)
    {
        transitions = attached;
        transitionsMoved = true;
    }
    void setSelfTransitions(const QList<TransitionItem*>& attached) { selfTransitions = attached; }

    // Takes the element as the item's own, keeping the item's id; the canvas
    // attaches the transitions again.
    void setElement(const SharedElement<StateElement>& element);
    // The element that holds the item's values, with the item's place and
    // the ids of its transitions: shared with every document taken of the
    // item since it last changed, so a save copies only what changed.
    const SharedElement<StateElement>& element() const;

    // What a newer Korvel wrote into the item, kept for the next save.
    const ForeignContent& foreignContent() const { return held->foreign; }
    // Names the item's element in the documents taken of its canvas.
    ElementId elementId() const { return identity; }
    void setAutoDimensions();
    void updatePolygon();
    void setHighlighted();
    void resetHighlighted();
    bool isHighlighted() const { return (initialStatus() ? initialPen : normalPen).style() == Qt::DotLine; }
    // Runs a properties dialog made for this one edit; true when the state
    // changed (the initial flag changes even when the dialog is cancelled).
    bool displayProperties(bool initialBarred);

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;
    // Keeps the transitions in step while the state is dragged.
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    StateFigure figure() const;
    void setSize(int width, int height);

    // The item's values. Its place and its transitions live on the scene;
    // the element takes them when it is next read after they changed.
    mutable SharedElement<StateElement> held;
    // The element's id, at hand where states are looked up by id.
    const ElementId identity;
    mutable bool moved = false;
    mutable bool transitionsMoved = false;
    QList<TransitionItem*> transitions;
    QList<TransitionItem*> selfTransitions;
    QPen normalPen;
    QPen initialPen;
    QMenu* contextMenu = nullptr;
};

#endif // STATEITEM_H
