#ifndef TRANSITIONITEM_H
#define TRANSITIONITEM_H

#include <tuple>
#include <QColor>
#include <QGraphicsRectItem>
#include <QObject>
#include <QPainterPath>
#include <QPointF>
#include <QPolygonF>
#include <QString>

#include "elementid.h"
#include "elementplace.h"
#include "sharedelement.h"
#include "transitionelement.h"
#include "itemtype.h"

class QMenu;
class StateItem;
class TransitionLine;

// The label box of a transition between two states (or from a state to
// itself), showing its name, guard condition and action. Two TransitionLines
// join it to its states; followEnds() reroutes them when a state moves.
class TransitionItem : public QObject, public QGraphicsRectItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum { Type = TransitionType };

    // Everything the properties dialog edits, as one value for undo.
    struct Values
    {
        int width = 150;
        int height = 75;
        QString label;
        QString action;
        QString condition;
        QString description;
        QColor backgroundColour;
        auto fields() const
        {
            return std::tie(width, height, label, action, condition, description, backgroundColour);
        }
        bool operator==(const Values& other) const;
        bool operator!=(const Values& other) const { return !(*this == other); }
    };
    Values values() const;
    // The element with every value, and the outline of its size.
    static TransitionElement withValues(TransitionElement element, const Values& values);
    // The element with the size its texts need in the screen's font.
    static TransitionElement autoSized(TransitionElement element);
    // A transition just drawn between two states (or from a state to
    // itself): its box beside the line between them, clear of the others
    // between them (a self transition's above the others of its state).
    static TransitionElement newElement(const StateItem* start, const StateItem* end);
    // Where the lines of a transition between the states meet, as it is
    // placed among those already attached to them.
    static QPointF meetingPoint(const StateItem* start, const StateItem* end);

    // The view of the transition element with the id between the states;
    // setElement() places it.
    TransitionItem(QMenu* menu, ElementId id, StateItem* start, StateItem* end);
    ~TransitionItem() override;

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    // Nothing to hit while the transition is hidden.
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

    StateItem* startItem() const { return startState; }
    StateItem* endItem() const { return endState; }
    void setStartLine(TransitionLine* line) { startLine = line; }
    void setEndLine(TransitionLine* line) { endLine = line; }
    TransitionLine* getStartLine() const { return startLine; }
    TransitionLine* getEndLine() const { return endLine; }

    QString getLabel() const { return held->label; }
    QString getTransitionItemName() const { return held->label; }
    QString getCondition() const { return held->condition; }
    QString getAction() const { return held->action; }
    QString getDescription() const { return held->description; }
    QColor getBackgroundColour() const;
    // What an item whose colour was never set is drawn in.
    static QColor defaultBackgroundColour();
    QPointF getMidPos() const { return held->midPosition; }
    int getWidth() const { return held->width; }
    int getTransitionItemWidth() const { return held->width; }
    int getTransitionItemHeight() const { return held->height; }
    QPolygonF myPolygon() const { return QPolygonF(held->polygon); }

    bool isSelfTransition() const { return selfTransition; }
    // States lying on each other hide the transitions between them: such a
    // transition is neither painted nor hit.
    bool hiddenByOverlap() const;
    // Works out again whether the states overlap; followEnds() does it.
    void updateOverlap();
    void setIfSelfTransition(bool self) { selfTransition = self; }

    // Shows the element, shared with the document; the item moves only when
    // the element did, so that a drag under way keeps its place.
    void setElement(const SharedElement<TransitionElement>& element);
    const TransitionElement& element() const { return held.get(); }
    // Names the item's element in its canvas's document.
    ElementId elementId() const { return identity; }
    void setHighlighted();
    void resetHighlighted();
    bool isHighlighted() const { return outline == Qt::DotLine; }
    // Runs a properties dialog made for this one edit; true, with the values
    // chosen, when they differ from the item's.
    bool displayProperties(Values* after) const;
    // Reroutes both lines and repaints the box after one of its ends moved.
    void followEnds();
    // Whether the box or its lines, where they are or where followEnds()
    // would take them, reach into area.
    bool mayShowIn(const QRectF& area) const;
    // Queued to follow its states when the canvas's batch of moves ends.
    bool followPending = false;

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    // The element shown.
    SharedElement<TransitionElement> held;
    // The element's id, at hand where a state names its transitions.
    const ElementId identity;
    ElementPlace place;
    StateItem* startState = nullptr;
    StateItem* endState = nullptr;
    QMenu* contextMenu = nullptr;
    TransitionLine* startLine = nullptr;
    TransitionLine* endLine = nullptr;
    bool selfTransition = false;
    Qt::PenStyle outline = Qt::SolidLine;
    // Whether the two states overlap, as of the last move of an end.
    bool overlapped = false;
};

#endif // TRANSITIONITEM_H
