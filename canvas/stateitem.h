#ifndef STATEITEM_H
#define STATEITEM_H

#include <optional>
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

    void initStateItem(QPointF position);

    int getLevel() const { return level; }
    int getParentId() const { return parentId; }
    int getGrandParentId() const { return grandParentId; }
    void setLevel(int value) { level = value; }
    void setparentId(int value) { parentId = value; }
    void setGrandParentId(int value) { grandParentId = value; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    QString getLabel() const { return label; }
    void setLabel(const QString& text)
    {
        label = text;
        changed();
        update();
    }
    QString getAction() const { return action; }
    QString getDescription() const { return description; }
    QString getInitCondition() const { return initCondition; }
    QString getInitDescription() const { return initDescription; }
    QColor getBackgroundColour() const { return backgroundColour; }
    // What an item whose colour was never set is drawn in.
    static QColor defaultBackgroundColour();

    bool initialStatus() const { return initial; }
    void setIfInitialState(bool status)
    {
        initial = status;
        changed();
    }

    Values values() const;
    // Takes every value, the initial flag included; the canvas moves the
    // initial marker.
    void setValues(const Values& values);

    QPolygonF myPolygon() const { return polygon; }

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
        changed();
    }
    void setSelfTransitions(const QList<TransitionItem*>& attached) { selfTransitions = attached; }

    // Takes the element's values; the canvas attaches the transitions again.
    void setElement(const StateElement& element);
    // The item's values as an element, with the id and the transitions of
    // the item: taken anew only after the item changed, so that a save
    // shares the elements of the states it did not touch.
    const SharedElement<StateElement>& element() const;
    // The same, taken now.
    StateElement currentElement() const;
    // Keeps the element the item was made of as the one taken, when it holds
    // what the item holds (its id and transitions included).
    void keepElement(const SharedElement<StateElement>& made);

    // What a newer Korvel wrote into the item, kept for the next save.

    const ForeignContent& foreignContent() const { return foreign; }
    // Names the item's element in the documents taken of its canvas.
    ElementId elementId() const { return identity; }
    void setAutoDimensions();
    void updatePolygon();
    void setHighlighted();
    void resetHighlighted();
    bool isHighlighted() const { return (initial ? initialPen : normalPen).style() == Qt::DotLine; }
    // Runs a properties dialog made for this one edit; true when the state
    // changed (the initial flag changes even when the dialog is cancelled).
    bool displayProperties(bool initialBarred);

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;
    // Keeps the transitions in step while the state is dragged.
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    StateFigure figure() const;
    // Every change to what element() holds ends here.
    void changed() { taken.reset(); }

    QList<TransitionItem*> transitions;
    QList<TransitionItem*> selfTransitions;
    int parentId = 0;
    int grandParentId = 0;
    int level = 0;
    int width = 280;
    int height = 150;
    QString label;
    QString action;
    QString description;
    QString initDescription;
    QString initCondition;
    QColor backgroundColour;
    QPolygonF polygon;
    QPointF position;
    QPen normalPen;
    QPen initialPen;
    QMenu* contextMenu = nullptr;
    bool initial = false;
    ForeignContent foreign;
    const ElementId identity;
    mutable std::optional<SharedElement<StateElement>> taken;
};

#endif // STATEITEM_H
