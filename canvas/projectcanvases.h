#ifndef PROJECTCANVASES_H
#define PROJECTCANVASES_H

#include <QHash>
#include <QStringList>
#include <QUndoStack>
#include <QVector>

#include <functional>
#include <memory>
#include <vector>

#include "documentobserver.h"
#include "strreadprocessitem.h"

class Canvas;
class Document;
class ProcessItem;
class ProjectNode;
class QAction;
class XmlIO;
struct t_strContextMenu;

// The canvases of one open project, one per node of the hierarchy, the
// project node's first, the document whose nodes they show, and the
// project's one undo history. It creates them as nodes come, finds them by
// node or by the identity a file gives, puts on them the elements
// ProjectPlacement makes of a project file, and saves them as a document
// through ProjectFileWriter. It needs no window, so tests work on it alone.
class ProjectCanvases : private DocumentObserver
{
public:
    struct NotificationActions {
        QAction* processAdded = nullptr;
        QAction* processLabelChanged = nullptr;
        QAction* returnToSelect = nullptr;
    };

    ProjectCanvases(t_strContextMenu* menus, NotificationActions actions);
    ~ProjectCanvases();
    ProjectCanvases(const ProjectCanvases&) = delete;
    ProjectCanvases& operator=(const ProjectCanvases&) = delete;

    const QVector<Canvas*>& all() const { return canvases; }
    bool contains(const Canvas* canvas) const { return canvases.contains(const_cast<Canvas*>(canvas)); }
    // One history for the whole project: every canvas pushes its steps here.
    QUndoStack* history() { return &undoHistory; }
    const QUndoStack* history() const { return &undoHistory; }
    bool isEmpty() const { return canvases.isEmpty(); }
    // The project as plain data: the tree of its processes, each node shown
    // by one canvas.
    const Document& document() const { return *projectDocument; }
    Canvas* at(int pos) const { return canvases.value(pos); }
    void setCanvasSize(int width, int height) { canvasWidth = width; canvasHeight = height; }

    // A canvas for the node of a process, or, without one, for the node of
    // the process the identity names; a canvas no process owns shows a node
    // of its own, outside the tree.
    Canvas* createCanvasElement(t_strReadProcessItem* identity, ProjectNode* node = nullptr);
    // The load of Open and New without a window: reads the file at the path
    // of io into its records, then creates the canvases and their items
    // (place()). Nothing is created when the file cannot be read; outline
    // receives the tree text for the browser.
    bool load(XmlIO& io, QString* outline);
    // Creates one canvas per diagram ProjectPlacement keeps of the records of
    // io, and puts on it the elements the placement fills for that diagram.
    // What cannot be placed is named in lostItems(); diagrams that no placed
    // process owns get no canvas (their items are named there too), so that
    // the canvases made are exactly what a save writes.
    void place(XmlIO& io);
    // One line per record of the last load that is not in the project.
    const QStringList& lostItems() const { return lost; }

    Canvas* getCanvasItem(int level, int id, int parentId, bool* found) const;
    int getCanvasItemPos(t_strReadProcessItem* node, bool* found) const;

    struct StateMachine {
        Canvas* canvas = nullptr;
        ProcessItem* process = nullptr;
    };
    // Every state-machine canvas in canvas order with the process that owns
    // it on its parent canvas; one whose process is not found is left out.
    QVector<StateMachine> stateMachines() const;

    // The canvas that shows the process's node; null when none does.
    Canvas* diagramOf(const ProcessItem* process) const;
    // The process whose node the canvas shows, on the canvas of the node
    // above; null for the project node's canvas or when none is found.
    ProcessItem* owningProcess(const Canvas* canvas) const;
    // Rebuilds the canvas's mirrors of its owning process's links and
    // dataflows, as a visit from the browser shows them.
    void refillMirrors(Canvas* canvas) const;
    // The labels from the project node down to the canvas, joined by "/",
    // as the browser shows the path; empty when a node above has no canvas.
    QString browserPath(const Canvas* canvas) const;

    // Every process below canvas, down the whole subtree, with the canvas
    // that shows its node.
    QHash<ProcessItem*, Canvas*> ownership(const Canvas* canvas) const;
    // The canvases follow the nodes of the document. A node that comes under
    // a shown diagram gets a canvas of its own, unless a placement (a file's,
    // a paste's) makes its canvases; a node that leaves takes the canvases of
    // its subtree out of the set, and they come back with it. A step that
    // keeps a node out of the tree releases them when it goes.
    class Placement
    {
    public:
        explicit Placement(ProjectCanvases* project);
        ~Placement();
        Placement(const Placement&) = delete;
        Placement& operator=(const Placement&) = delete;

    private:
        ProjectCanvases* project;
        bool was;
    };
    void release(const ProjectNode& node);
    // Called with every canvas made, so that the window can follow it.
    void setCanvasListener(std::function<void(Canvas*)> listener) { canvasListener = std::move(listener); }
    // Called after processes came or went, so the browser can follow.
    void setStructureListener(std::function<void()> listener) { structureListener = std::move(listener); }
    void structureChanged() const;

    void clear();

    bool getAllCanvasNames(QString* out) const;
    // Writes the whole project to the file at path; the previous file is
    // replaced only when everything was written. Before anything is written
    // it checks that every canvas and every item will be: one canvas per
    // browser node, each owned by one process. On failure saveError() says why.
    bool save(const QString& path) const;
    // The project as a save writes it, after the same checks; the document
    // can then be written on any thread. False, with saveError(), when the
    // project cannot be saved as it is.
    bool takeSnapshot(Document* document) const;
    QString saveError() const { return lastSaveError; }
    // Whether the file still holds its previous bytes after a failed save.
    bool previousFileKept() const { return previousKept; }

private:
    t_strContextMenu* menus;
    NotificationActions actions;
    // The node of the process the identity names on the canvas one level
    // up, or the root for the project node's canvas, unless a canvas shows
    // it already.
    ProjectNode* nodeFor(const t_strReadProcessItem& identity);
    // The canvas that shows the node; null when none does.
    Canvas* canvasShowing(const ProjectNode* node) const;
    void nodeAdded(const ProjectNode& parent, int index) override;
    void nodeRemoved(const ProjectNode& parent, const ProjectNode& node, int index) override;
    // Takes canvases out of the set without releasing them, and puts them
    // back in their places.
    void detach(const QVector<Canvas*>& taken);
    void attach(const QVector<Canvas*>& taken);
    // Canvases no step can bring back any more; released with the project,
    // after the history that may still point at their items.
    void retire(const QVector<Canvas*>& taken);
    // The canvases of the node and its subtree, in or out of the set.
    QVector<Canvas*> canvasesBelow(const ProjectNode& node) const;

    std::unique_ptr<Document> projectDocument;
    QVector<Canvas*> canvases;
    QVector<Canvas*> retired;
    QHash<Canvas*, int> detachedAt;
    // The canvas of each node, in or out of the set.
    QHash<const ProjectNode*, Canvas*> canvasOf;
    bool placing = false;
    std::function<void(Canvas*)> canvasListener;
    // The nodes of canvases no process owns: a damaged project's.
    std::vector<std::unique_ptr<ProjectNode>> strayNodes;
    QUndoStack undoHistory;
    std::function<void()> structureListener;
    int canvasWidth = 2000;
    int canvasHeight = 1050;
    QStringList lost;
    mutable bool previousKept = true;
    mutable QString lastSaveError;
};

#endif // PROJECTCANVASES_H
