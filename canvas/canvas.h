#ifndef CANVAS_H
#define CANVAS_H

#include <QGraphicsTextItem>
#include <QHash>
#include <QPointF>
#include <QPointer>
#include <QSet>
#include <QVector>

#include "contextmenus.h"
#include "diagramscene.h"
#include "document.h"
#include "elementid.h"
#include "sharedelement.h"
#include "strreadprocessitem.h"

class QAction;
class QGraphicsLineItem;
class QUndoStack;
class StateItem;
class TransitionItem;
class TransitionLine;
class TextItem;
class ProcessItem;
class LinkItem;
class LinkLine;
class MemoryItem;
class DataflowItem;
class DataflowLine;
class FloatingLinkItem;
class ProjectCanvases;
class FloatingMemoryItem;
class InitialTransition;
class InitialTransitionLine;
class ProjectNode;
struct DataflowElement;
struct LinkElement;
struct MemoryElement;
struct ProcessElement;
struct StateElement;
struct TextElement;
struct TransitionElement;

// The diagram of one node of the project hierarchy. It turns mouse gestures
// into items or undo commands, keeps one registry per item kind, and reports
// back to the main window only by triggering the hidden actions it was given.
//
// It shows one node of its project's document. Its items are views: its
// processes of the node's children, the rest of the elements of the node's
// diagram. Steps change the document, and the canvas makes, changes and
// parks the items as it is told.
class Canvas : public DiagramScene, private DocumentObserver
{
    Q_OBJECT

public:
    enum Mode {
        InsertState = 0,
        InsertTransition = 1,
        InsertText = 2,
        InsertProcess = 3,
        InsertLink = 4,
        InsertMemory = 5,
        InsertDataflow = 6,
        SelectItem = 7
    };

    explicit Canvas(t_strContextMenu* menus, QObject* parent = nullptr);
    ~Canvas() override;

    // The identity the file gives the canvas's node, as its place in the
    // project tree makes it; 0 while the canvas shows none.
    int getLevel() const;
    int getId() const;
    int getParentId() const;
    int getGrandParentId() const;
    int getNos() const;
    QString getLabel() const { return label; }
    void setLabel(const QString& text);
    void setDrawProcessShape(int shape) { drawProcessShape = shape; }
    int getDrawProcessShape() const { return drawProcessShape; }
    Mode getMode() const { return mode; }
    // A read-only canvas can be looked at, zoomed and scrolled, but takes no
    // clicks, drags, context menus or property dialogs (a simulation runs
    // the machine as it was compiled).
    void setReadOnly(bool on);
    bool isReadOnly() const { return readOnly; }

    void setActions(QAction* action) { processAddedAction = action; }
    void setProcessLabelChangedAction(QAction* action) { processPropertiesAction = action; }
    void setReturnToSelectAction(QAction* action) { returnToSelectAction = action; }

    t_strContextMenu* contextMenus() const { return menus; }
    QUndoStack* undoStack() const { return m_undoStack; }
    // The history the canvas pushes its steps on: its project's. The owner of
    // the history clears it before it releases any canvas.
    void setUndoStack(QUndoStack* history);
    // The project the canvas belongs to, so that a process's steps carry its
    // diagram along; none for a canvas on its own.
    void setProject(ProjectCanvases* canvases) { project = canvases; }
    ProjectCanvases* getProject() const { return project; }

    // While many items move at once (a drag step, an undone move), the
    // transitions of the moved states follow once each when the batch ends,
    // not once per state that moved.
    //
    // A drag step lets only the transitions follow whose lines can show in a
    // view; the others follow when the drag ends, or when they come into view
    // on a later step. A large machine has thousands off screen.
    enum Following { FollowAll, FollowShown };
    void beginMoves() { ++movesOpen; }
    void endMoves(Following following = FollowAll);
    // Lets every transition that a drag step left behind follow.
    void followDeferred();
    // False when no batch is open: the transition must follow at once.
    bool followLater(TransitionItem* transition);

    // Items that a step took off stay on the scene, hidden, while a step
    // keeps them (all but processes, whose diagrams go along): Qt finds an item it removes by searching
    // every item of the scene, so taking a thousand states off a large
    // machine would cost seconds. Hidden, they keep their place in the
    // stacking order for undo, and Qt's lookups at a point or in an area and
    // its painting pass over them; items() and itemsBoundingRect() do not.
    bool holds(const QGraphicsItem* item) const { return item && item->scene() == this && item->isVisible(); }
    // Deletes parked items that no step keeps any longer, unless the canvas
    // is closing: then the scene takes them along with the rest at once.
    void discard(const QVector<QGraphicsItem*>& parked);
    void beginClosing() { closing = true; }

    // Every item placed on the canvas lands above all earlier ones.
    double nextZValue() { zCounter += 1.0; return zCounter; }

    bool enableDisableStateSetInitChkBox(StateItem* state) const;
    // Puts the initial marker on the state when it is initial, or takes it
    // off when the state was the initial one and is no longer.
    void syncInitialMarker(StateItem* state);
    void addSelfTransitionItem();
    void removeAllSelection();
    // The area the canvas offers to scroll over: its size from the canvas
    // size setting. The scene itself reaches over every item placed beyond
    // it as well, so that its spatial index holds them all evenly.
    QRectF area() const { return canvasArea.isNull() ? sceneRect() : canvasArea; }
    void setArea(const QRectF& rect);
    // Widens the scene over the items it holds; once, after placing many.
    void coverItems();
    // What the items cover, their shadows left out: the area a picture of
    // the canvas or Fit to Window shows.
    QRectF contentRect() const;
    // What the canvas's views show of it, a little widened.
    QRectF shownArea() const;
    // Selects every item that can be edited, moved or deleted.
    void selectAllItems();
    // Opens the properties dialog of an editable item, as a double-click does.
    void editProperties(QGraphicsItem* item);
    // The dotted outline a click in select mode gives an editable item.
    void highlight(QGraphicsItem* item);
    // The same for every editable item selected, after a selection band.
    void highlightSelection();

    // Puts the elements of a node's diagram on the canvas as items, the
    // processes of its children first; the canvas takes the node's place in
    // the hierarchy, its items the identities that follow from it. States
    // and transitions can keep their elements' ids when the document was
    // made for this canvas alone: no other item can have those ids.
    enum class ItemIds { Fresh, OfElements };
    void placeElements(const ProjectNode& node, ItemIds ids = ItemIds::Fresh);
    // The same for the states and transitions of a diagram alone. Each state
    // lists the transitions touching it in the order they are placed.
    void placeMachine(const Diagram& diagram, ItemIds ids = ItemIds::Fresh);
    // The document and the node of it the canvas shows; the canvas follows
    // the changes of the node's diagram.
    void setDiagram(Document* document, ProjectNode* node);
    Document& document() const { return *doc; }
    ProjectNode& diagramNode() const { return *shownNode; }
    // The item showing a text of the document; it stays, hidden, while the
    // text is out of the document and a step may bring it back.
    TextItem* textItemOf(ElementId id) const { return textViews.value(id); }
    // The same for the memory items, links and dataflows.
    MemoryItem* memoryItemOf(ElementId id) const { return memoryViews.value(id); }
    LinkItem* linkItemOf(ElementId id) const { return linkViews.value(id); }
    DataflowItem* dataflowItemOf(ElementId id) const { return dataflowViews.value(id); }
    // The document's element with the item's new place, after a move.
    void itemMoved(const QGraphicsItem* item);
    // The text with the size its content needs, outside the history: the
    // sizes follow the screen's font.
    void fitText(TextItem* text);

    // A state or transition goes into the document with the id (0 for a
    // fresh one); with its own id, the element itself goes in, shared with
    // the document it came from until either changes it. A new state lists
    // no transitions; a transition is listed by its states as it comes, and
    // one without both its states is not placed and gives null.
    StateItem* addStateItem(const SharedElement<StateElement>& element, ElementId id = 0);
    TransitionItem* addTransitionItem(const SharedElement<TransitionElement>& element, StateItem* start,
                                      StateItem* end, ElementId id = 0);
    // The item showing a state or transition of the document; it stays,
    // hidden, while a step may bring the element back.
    StateItem* stateItemOf(ElementId id) const { return stateViews.value(id); }
    TransitionItem* transitionItemOf(ElementId id) const { return transitionViews.value(id); }
    // Every state and transition sized for the screen's font, outside the
    // history, as fitText() does for a text.
    void fitMachine();
    // A text, memory item, link or dataflow goes into the document with a
    // fresh id; the item shows it. A connector without both its ends is not
    // placed and gives null.
    TextItem* addTextItem(const TextElement& element);
    MemoryItem* addMemoryItem(const MemoryElement& element);
    LinkItem* addLinkItem(const LinkElement& element, ProcessItem* start, ProcessItem* end);
    DataflowItem* addDataflowItem(const DataflowElement& element, ProcessItem* process, MemoryItem* memory);
    // A process comes as a node under the one the canvas shows, with a
    // fresh id; the item shows the node's process.
    ProcessItem* addProcessItem(const ProcessElement& element);
    // The node whose process the item shows; null when it is out of the
    // document.
    ProjectNode* processNode(const ProcessItem* process) const;
    // The item showing the process of a node below the canvas's; null while
    // the node is out of the document.
    ProcessItem* processItemOf(ElementId id) const { return processOf(id); }

    // The labels of the other processes, memory items or states on this
    // canvas (the kind of item decides which); names must not repeat there.
    QStringList siblingLabels(const QGraphicsItem* item) const override;
    void addFloatingLinkItem(const QString& label, int kind);
    void addFloatingMemoryItem(const QString& label, const QString& datatype, const QColor& colour);
    void removeAllFloatingLinkItems();
    void removeAllFloatingMemoryItems();
    // Stacks the link mirrors in one column below the title and the memory
    // mirrors in a column to their right, none overlapping.
    void arrangeFloatingItems();
    // A mirror changed size while painted: arrange again once painting is over.
    void floatingItemResized() override;


    // Registries, in the order the items were added.
    QVector<StateItem*> stateItems;
    QVector<TransitionItem*> transitionItems;
    QVector<TextItem*> textItems;
    QVector<ProcessItem*> processItems;
    QVector<LinkItem*> linkItems;
    QVector<MemoryItem*> memoryItems;
    QVector<DataflowItem*> dataflowItems;
    QVector<FloatingLinkItem*> floatingLinkItems;
    QVector<FloatingMemoryItem*> floatingMemoryItems;

    // The newest process, which the window gives a browser node.
    ProcessItem* newProcessItem = nullptr;

    // The item last right-clicked or double-clicked; the display slots act on it.
    ProcessItem* currentProcess = nullptr;
    StateItem* currentState = nullptr;
    TransitionItem* currentTransition = nullptr;
    TextItem* currentText = nullptr;
    LinkItem* currentLink = nullptr;
    MemoryItem* currentMemory = nullptr;
    DataflowItem* currentDataflow = nullptr;

    // The single initial marker; on the scene only while some state is initial.
    InitialTransition* initialTransition = nullptr;
    InitialTransitionLine* initialTransitionLine = nullptr;

    double zCounter = 0.0;
    QPointF floatingLinkOrigin {10, 0};
    QPointF floatingMemoryOrigin {0, 30};

signals:
    // A process's properties changed, by its dialog or by undo or redo: its
    // diagram and browser node follow its name.
    void processEdited(ProcessItem* process);

public slots:
    void setMode(Canvas::Mode newMode);
    // Each runs the current item's dialog and returns true when the item
    // changed; the change is one step on the undo stack.
    bool displayStateProperties();
    bool displayTransitionProperties();
    bool displayTextItemProperties();
    bool displayProcessItemProperties();
    bool displayLinkItemProperties();
    bool displayMemoryItemProperties();
    bool displayDataflowItemProperties();

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;
    // The arrow keys move the selection by one unit, ten with Shift; a run
    // of presses is one undo step.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;

private:
    void elementAdded(const ProjectNode& node, ElementKind kind, ElementId id, int index) override;
    void elementChanged(const ProjectNode& node, ElementKind kind, ElementId id, int index) override;
    void elementRemoved(const ProjectNode& node, ElementKind kind, ElementId id, int index) override;
    void elementsAdded(const ProjectNode& node, ElementKind kind, const QVector<ElementId>& ids,
                       const QVector<int>& indexes) override;
    void elementsRemoved(const ProjectNode& node, ElementKind kind, const QVector<ElementId>& ids,
                         const QVector<int>& indexes) override;
    void nodeAdded(const ProjectNode& parent, int index) override;
    void nodeRemoved(const ProjectNode& parent, const ProjectNode& node, int index) override;
    void processChanged(const ProjectNode& node) override;
    // The state shows the transitions its element lists, in that order;
    // within a batch, once when the batch ends.
    void attachTransitions(StateItem* state);
    void attachLater(StateItem* state);
    void endAttaching();
    // States or transitions come or go, each at its index, the first first.
    void machineAdded(ElementKind kind, const QVector<ElementId>& ids, const QVector<int>& indexes);
    void machineRemoved(ElementKind kind, const QVector<ElementId>& ids, const QVector<int>& indexes);
    // One state or transition shown, or parked, without its registry.
    StateItem* showState(ElementId id, int index);
    StateItem* parkState(ElementId id);
    TransitionItem* showTransition(ElementId id, int index);
    TransitionItem* parkTransition(ElementId id);
    void stateChanged(ElementId id, int index);
    void transitionChanged(ElementId id, int index);
    void textAdded(ElementId id, int index);
    void textRemoved(ElementId id);
    void memoryAdded(ElementId id, int index);
    void memoryRemoved(ElementId id);
    void linkAdded(ElementId id, int index);
    void linkRemoved(ElementId id);
    void dataflowAdded(ElementId id, int index);
    void dataflowRemoved(ElementId id);
    template <typename Element> void placeMoved(ElementId id, QPointF position);
    ProcessItem* processOf(ElementId id) const;

    QGraphicsItem* topItemAt(const QPointF& point) const;
    static void trigger(QAction* action);
    void insertProcessAt(const QPointF& point);
    // Runs the dialog of an item that shows its document's element: the
    // dialog gives the values, and the step puts them into the document.
    template <typename Item> bool editViewed(Item* item, const QString& text);
    void finishDrag(QGraphicsSceneMouseEvent* event);
    // Makes the drag just finished one undo step, if it moved anything.
    void recordMoves();
    void placeInitialMarkerOn(StateItem* state);
    void takeInitialMarkerOff();
    // Takes an item off the scene and out of the registry without deleting it.
    template <typename T> void takeOff(QVector<T*>& registry);
    // The element goes into the document with a fresh id; its view, made as
    // the document tells, is returned.
    template <typename Element, typename Item>
    Item* insertFresh(Element element, const QHash<ElementId, Item*>& views)
    {
        element.id = Document::newId();
        doc->insert(*shownNode, -1, element);
        return views.value(element.id);
    }
    // A view made for an element lands above every earlier item, and is
    // found by the element's id from now on.
    template <typename Item>
    void placeView(Item* view, ElementId id, QHash<ElementId, Item*>* views)
    {
        view->setZValue(nextZValue());
        addItem(view);
        views->insert(id, view);
    }
    // A view whose element left: out of its registry and hidden, but kept,
    // so that a step that brings the element back finds it in its place in
    // the stacking order, and so do the steps that name it.
    template <typename Item>
    void parkView(Item* view, QVector<Item*>* registry, Item** current)
    {
        registry->removeOne(view);
        view->hide();
        if (*current == view)
            *current = nullptr;
        update();
    }
    // A connector parked or shown again, with its lines.
    template <typename Connector>
    static void setShown(Connector* connector, bool shown)
    {
        connector->setVisible(shown);
        if (connector->getStartLine())
            connector->getStartLine()->setVisible(shown);
        if (connector->getEndLine())
            connector->getEndLine()->setVisible(shown);
    }
    // The two lines that join a connector to its ends, below every item.
    template <typename Line, typename Connector, typename Start, typename End>
    void joinEnds(Connector* connector, Start* start, End* end)
    {
        connector->setStartLine(new Line(start, connector, nullptr));
        connector->setEndLine(new Line(connector, end, nullptr));
        for (QGraphicsItem* line : {static_cast<QGraphicsItem*>(connector->getStartLine()),
                                    static_cast<QGraphicsItem*>(connector->getEndLine())}) {
            line->setZValue(0);
            addItem(line);
        }
    }
    void polishPendingItems();

    bool readOnly = false;
    bool closing = false;
    bool arrangePending = false;

    t_strContextMenu* menus = nullptr;
    Document* doc = nullptr;
    ProjectNode* shownNode = nullptr;
    QHash<ElementId, StateItem*> stateViews;
    // While a machine is placed, its states list their transitions at the
    // end; while a batch of states or transitions comes or goes, the states
    // whose transitions changed attach them at its end.
    bool placing = false;
    int attachBatch = 0;
    QSet<StateItem*> unattached;
    QHash<ElementId, TransitionItem*> transitionViews;
    QHash<ElementId, TextItem*> textViews;
    QHash<ElementId, MemoryItem*> memoryViews;
    QHash<ElementId, LinkItem*> linkViews;
    QHash<ElementId, DataflowItem*> dataflowViews;
    QHash<ElementId, ProcessItem*> processViews;
    QUndoStack* m_undoStack = nullptr;
    ProjectCanvases* project = nullptr;
    QAction* processAddedAction = nullptr;
    QAction* processPropertiesAction = nullptr;
    QAction* returnToSelectAction = nullptr;
    QGraphicsLineItem* tempLine = nullptr;
    // Where the items under a press in select mode stood, to tell a drag
    // from a click.
    QList<QPair<QPointer<QObject>, QPointF>> pressPositions;
    // The items showing the dotted outline of a click: only these need it
    // taken off again.
    QList<QPointer<QObject>> highlightedItems;
    QRectF canvasArea;
    int movesOpen = 0;
    int nudgeRun = 0;
    bool nudging = false;
    QVector<TransitionItem*> pendingFollowers;
    QVector<QPointer<TransitionItem>> deferredFollowers;
    Mode mode = SelectItem;
    QString label;
    QGraphicsTextItem titleItem;
    int drawProcessShape = 0;
};

#endif // CANVAS_H
