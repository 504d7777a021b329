#include "projectcanvases.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <algorithm>

#include "canvas.h"
#include "dataflowitem.h"
#include "document.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
#include "projectfilewriter.h"
#include "projectplacement.h"
#include "projectsnapshot.h"
#include "xmlio.h"

namespace {

struct CanvasKey
{
    int level;
    int id;
    int parentId;
    bool operator==(const CanvasKey& other) const
    {
        return level == other.level && id == other.id && parentId == other.parentId;
    }
};

uint qHash(const CanvasKey& key, uint seed = 0)
{
    return ::qHash(qMakePair(qMakePair(key.level, key.id), key.parentId), seed);
}

// The canvas lookup by (level, id, parent id) as getCanvasItem does it (the
// first canvas in vector order wins), but in constant time, so that a save
// grows linearly with the number of canvases.
class CanvasIndex
{
public:
    explicit CanvasIndex(const QVector<Canvas*>& canvases)
    {
        canvasByKey.reserve(canvases.size());
        for (Canvas* canvas : canvases) {
            const CanvasKey key {canvas->getLevel(), canvas->getId(), canvas->getParentId()};
            if (!canvasByKey.contains(key))
                canvasByKey.insert(key, canvas);
        }
    }

    Canvas* find(int level, int id, int parentId) const
    {
        return canvasByKey.value(CanvasKey {level, id, parentId}, nullptr);
    }

private:
    QHash<CanvasKey, Canvas*> canvasByKey;
};

void appendLine(QString* out, int indent, const QString& label)
{
    out->append(QString(indent, QLatin1Char(' ')));
    out->append(label);
    out->append(QLatin1String("\r\n"));
}

using Section = ProjectSnapshot::Section;

// Lists, depth first down to level 5, each process of the canvas and the
// canvas that shows its node, in the order the file holds them.
template <typename ShownBy>
bool planSections(const ShownBy& shownBy, const Canvas* canvas, int level, QVector<Section>* plan, QString* why)
{
    for (ProcessItem* process : canvas->processItems) {
        const Canvas* child = shownBy(canvas->processNode(process));
        if (!child) {
            *why = QCoreApplication::translate("ProjectCanvases",
                                               "The diagram of the process \"%1\" is missing.")
                       .arg(process->getLabel());
            return false;
        }
        plan->append({canvas, process, child});
        if (level < 5 && !planSections(shownBy, child, level + 1, plan, why))
            return false;
    }
    return true;
}

int itemCount(const Canvas* canvas)
{
    return canvas->processItems.size() + canvas->linkItems.size() + canvas->memoryItems.size()
        + canvas->dataflowItems.size() + canvas->stateItems.size() + canvas->transitionItems.size()
        + canvas->textItems.size();
}

// The items of the canvas that the file has a place for.
int writableItemCount(const Canvas* canvas)
{
    int count = canvas->linkItems.size() + canvas->memoryItems.size() + canvas->dataflowItems.size();
    if (canvas->getLevel() < 5)
        count += canvas->processItems.size();
    else
        count += canvas->stateItems.size() + canvas->transitionItems.size() + canvas->textItems.size();
    return count;
}

QString lostLine(const char* text)
{
    return QCoreApplication::translate("ProjectCanvases", text);
}

bool appendChildNames(QString* out, const CanvasIndex& index, const Canvas* canvas, int level)
{
    for (int i = 1; i <= canvas->processItems.size(); ++i) {
        const Canvas* child = index.find(level, i, canvas->getId());
        if (!child)
            return false;
        appendLine(out, (level - 1) * 4, child->getLabel());
        if (level < 5 && !appendChildNames(out, index, child, level + 1))
            return false;
    }
    return true;
}

} // namespace

ProjectCanvases::ProjectCanvases(t_strContextMenu* contextMenus, NotificationActions notifications)
    : menus(contextMenus)
    , actions(notifications)
    , projectDocument(std::make_unique<Document>())
{
    projectDocument->addObserver(this);
}

ProjectCanvases::~ProjectCanvases()
{
    clear();
}

Canvas* ProjectCanvases::createCanvasElement(t_strReadProcessItem* node, ProjectNode* shown)
{
    auto* canvas = new Canvas(menus, nullptr);
    canvas->setLabel(node->label);
    canvas->setArea(QRectF(0, 0, canvasWidth, canvasHeight));
    canvas->setActions(actions.processAdded);
    canvas->setProcessLabelChangedAction(actions.processLabelChanged);
    canvas->setReturnToSelectAction(actions.returnToSelect);
    canvas->setUndoStack(&undoHistory);
    canvas->setProject(this);
    ProjectNode* diagram = shown ? shown : nodeFor(*node);
    canvas->setDiagram(projectDocument.get(), diagram);
    canvases.append(canvas);
    canvasOf.insert(diagram, canvas);
    if (canvasListener)
        canvasListener(canvas);
    return canvas;
}

ProjectCanvases::Placement::Placement(ProjectCanvases* canvases)
    : project(canvases)
    , was(canvases->placing)
{
    project->placing = true;
}

ProjectCanvases::Placement::~Placement()
{
    project->placing = was;
}

QVector<Canvas*> ProjectCanvases::canvasesBelow(const ProjectNode& node) const
{
    QVector<Canvas*> found;
    QVector<const ProjectNode*> pending {&node};
    while (!pending.isEmpty()) {
        const ProjectNode* next = pending.takeFirst();
        if (Canvas* canvas = canvasOf.value(next))
            found.append(canvas);
        for (const auto& child : next->children())
            pending.append(child.get());
    }
    return found;
}

void ProjectCanvases::nodeAdded(const ProjectNode& parent, int index)
{
    const Canvas* above = canvasShowing(&parent);
    if (!above || parent.level() >= 5)
        return;
    ProjectNode& node = *above->diagramNode().children().at(std::size_t(index));
    if (canvasOf.contains(&node)) {
        attach(canvasesBelow(node));
        return;
    }
    if (placing)
        return;
    // A process drawn anew: its diagram is empty.
    t_strReadProcessItem identity;
    identity.label = node.process.label;
    createCanvasElement(&identity, &node);
}

void ProjectCanvases::nodeRemoved(const ProjectNode& parent, const ProjectNode& node, int)
{
    if (canvasShowing(&parent))
        detach(canvasesBelow(node));
}

void ProjectCanvases::release(const ProjectNode& node)
{
    retire(canvasesBelow(node));
}

ProjectNode* ProjectCanvases::nodeFor(const t_strReadProcessItem& identity)
{
    ProjectNode* node = nullptr;
    if (identity.level <= 1) {
        node = &projectDocument->root();
    } else if (const Canvas* parent = getCanvasItem(identity.level - 1, identity.parentId,
                                                    identity.grandParentId, nullptr)) {
        for (const ProcessItem* process : parent->processItems) {
            if (process->getLevel() == identity.level && process->getId() == identity.id) {
                node = parent->processNode(process);
                break;
            }
        }
    }
    if (node && !canvasOf.contains(node))
        return node;
    strayNodes.push_back(std::make_unique<ProjectNode>(Document::newId(), nullptr));
    return strayNodes.back().get();
}

bool ProjectCanvases::load(XmlIO& io, QString* outline)
{
    lost.clear();
    if (!io.readProjectFileNames(outline) || !io.readProjectFile())
        return false;
    place(io);
    // The browser shows what a save will write, whatever the file's tree says.
    QString names;
    if (getAllCanvasNames(&names) && outline)
        *outline = names;
    return true;
}

void ProjectCanvases::place(XmlIO& io)
{
    const Placement placingFile(this);
    const ProjectPlacement placement(io.records());
    lost = placement.lost();
    const QVector<ProjectPlacement::Diagram>& diagrams = placement.diagrams();
    const auto recordOf = [&](int diagram) -> const t_processItemReadFromXML& {
        return io.processItemRecords.at(diagrams.at(diagram).process);
    };
    // A dropped diagram is named in lost() with its items. The others are
    // placed a level at a time, whatever order the file gives them in: each
    // process's node comes with the diagram above, which its own needs.
    QVector<int> order;
    for (int i = 0; i < diagrams.size(); ++i)
        if (!diagrams.at(i).dropped)
            order.append(i);
    std::stable_sort(order.begin(), order.end(),
                     [&recordOf](int a, int b) { return recordOf(a).level < recordOf(b).level; });
    const int first = canvases.size();
    QVector<QPair<int, Canvas*>> made;
    for (int i : qAsConst(order)) {
        const t_processItemReadFromXML& record = recordOf(i);
        t_strReadProcessItem node;
        node.level = record.level;
        node.id = record.id;
        node.parentId = record.parentId;
        node.grandParentId = record.grandParentId;
        node.Nos = record.Nos;
        node.label = record.label;
        Canvas* canvas = createCanvasElement(&node);
        // One diagram's document at a time, so that a large project is
        // never held twice.
        Document document;
        placement.fillCanvas(i, &document);
        canvas->placeElements(document.root(), Canvas::ItemIds::OfElements);
        canvas->coverItems();
        made.append({i, canvas});
    }
    // The canvases stand in the file's order, the order of the state
    // machines everywhere else.
    std::sort(made.begin(), made.end());
    for (int k = 0; k < made.size(); ++k)
        canvases[first + k] = made.at(k).second;
}

Canvas* ProjectCanvases::getCanvasItem(int level, int id, int parentId, bool* found) const
{
    for (Canvas* canvas : canvases) {
        if (canvas->getLevel() == level && canvas->getId() == id && canvas->getParentId() == parentId) {
            if (found)
                *found = true;
            return canvas;
        }
    }
    if (found)
        *found = false;
    return nullptr;
}

int ProjectCanvases::getCanvasItemPos(t_strReadProcessItem* node, bool* found) const
{
    for (int pos = 0; pos < canvases.size(); ++pos) {
        const Canvas* canvas = canvases.at(pos);
        if (canvas->getLabel() == node->label && canvas->getLevel() == node->level
            && canvas->getId() == node->id && canvas->getParentId() == node->parentId
            && canvas->getGrandParentId() == node->grandParentId) {
            if (found)
                *found = true;
            return pos;
        }
    }
    if (found)
        *found = false;
    return 0;
}

Canvas* ProjectCanvases::canvasShowing(const ProjectNode* node) const
{
    Canvas* canvas = canvasOf.value(node);
    return canvas && !detachedAt.contains(canvas) ? canvas : nullptr;
}

Canvas* ProjectCanvases::diagramOf(const ProcessItem* process) const
{
    const auto* canvas = process ? qobject_cast<const Canvas*>(process->scene()) : nullptr;
    return canvas ? canvasShowing(canvas->processNode(process)) : nullptr;
}

ProcessItem* ProjectCanvases::owningProcess(const Canvas* canvas) const
{
    if (!canvas || !canvas->getProject())
        return nullptr;
    const ProjectNode& node = canvas->diagramNode();
    const Canvas* parent = canvasShowing(node.parent());
    return parent ? parent->processItemOf(node.id()) : nullptr;
}

void ProjectCanvases::refillMirrors(Canvas* canvas) const
{
    ProcessItem* process = owningProcess(canvas);
    if (!process)
        return;
    // The mirrors are rebuilt on every visit and never saved.
    canvas->removeAllFloatingLinkItems();
    for (LinkItem* link : process->getLinks()) {
        if (link->startItem() == process)
            canvas->addFloatingLinkItem(link->getLabel(), 1);
        else if (link->endItem() == process)
            canvas->addFloatingLinkItem(link->getLabel(), 0);
    }
    canvas->removeAllFloatingMemoryItems();
    for (DataflowItem* dataflow : process->getDataflows())
        canvas->addFloatingMemoryItem(dataflow->getLabel(), dataflow->getDatatype(),
                                      dataflow->getBackgroundColor());
}

QString ProjectCanvases::browserPath(const Canvas* canvas) const
{
    QStringList labels;
    for (const ProjectNode* node = canvas ? &canvas->diagramNode() : nullptr; node; node = node->parent()) {
        const Canvas* shown = canvasShowing(node);
        if (!shown)
            return QString();
        labels.prepend(shown->getLabel());
    }
    return labels.join(QLatin1Char('/'));
}

QVector<ProjectCanvases::StateMachine> ProjectCanvases::stateMachines() const
{
    QVector<StateMachine> machines;
    for (Canvas* canvas : canvases) {
        if (canvas->getLevel() != 5)
            continue;
        if (ProcessItem* process = owningProcess(canvas))
            machines.append({canvas, process});
    }
    return machines;
}

QHash<ProcessItem*, Canvas*> ProjectCanvases::ownership(const Canvas* top) const
{
    QHash<ProcessItem*, Canvas*> owned;
    QVector<const Canvas*> pending {top};
    while (!pending.isEmpty()) {
        const Canvas* canvas = pending.takeLast();
        for (ProcessItem* process : canvas->processItems) {
            if (Canvas* child = canvasShowing(canvas->processNode(process))) {
                owned.insert(process, child);
                pending.append(child);
            }
        }
    }
    return owned;
}

void ProjectCanvases::detach(const QVector<Canvas*>& taken)
{
    // Last place first, so that each recorded place is where it stood.
    QVector<QPair<int, Canvas*>> places;
    for (Canvas* canvas : taken) {
        const int place = canvases.indexOf(canvas);
        if (place >= 0)
            places.append({place, canvas});
    }
    std::sort(places.begin(), places.end());
    for (int i = places.size() - 1; i >= 0; --i) {
        canvases.removeAt(places.at(i).first);
        detachedAt.insert(places.at(i).second, places.at(i).first);
    }
}

void ProjectCanvases::attach(const QVector<Canvas*>& taken)
{
    // Back in their old places, the first place first; the order of the
    // canvases is the order of the state machines everywhere else.
    QVector<QPair<int, Canvas*>> places;
    for (Canvas* canvas : taken) {
        if (!canvases.contains(canvas))
            places.append({detachedAt.take(canvas), canvas});
    }
    std::sort(places.begin(), places.end());
    for (const auto& place : qAsConst(places))
        canvases.insert(std::min(place.first, int(canvases.size())), place.second);
}

void ProjectCanvases::retire(const QVector<Canvas*>& taken)
{
    for (Canvas* canvas : taken) {
        canvases.removeOne(canvas);
        detachedAt.remove(canvas);
        canvasOf.remove(&canvas->diagramNode());
        // Its node goes with the step that kept it: the canvas follows the
        // document no longer.
        canvas->setDiagram(nullptr, nullptr);
        if (!retired.contains(canvas))
            retired.append(canvas);
    }
}

void ProjectCanvases::structureChanged() const
{
    if (structureListener)
        structureListener();
}

void ProjectCanvases::clear()
{
    // The steps go first: they may keep items that only they still hold, and
    // retire the diagrams they took away. The items they parked on a canvas
    // go with its scene, all at once.
    for (Canvas* canvas : canvases + retired + detachedAt.keys().toVector())
        canvas->beginClosing();
    undoHistory.clear();
    const QVector<Canvas*> dropped = canvases + retired;
    canvases.clear();
    retired.clear();
    detachedAt.clear();
    qDeleteAll(dropped);
    canvasOf.clear();
    strayNodes.clear();
    projectDocument = std::make_unique<Document>();
    projectDocument->addObserver(this);
}

bool ProjectCanvases::getAllCanvasNames(QString* out) const
{
    if (!out)
        return false;
    const CanvasIndex index(canvases);
    const Canvas* root = index.find(1, 1, 1);
    if (!root)
        return false;
    QString text = QStringLiteral("\r\n");
    appendLine(&text, 0, root->getLabel());
    if (!appendChildNames(&text, index, root, 2))
        return false;
    *out = text;
    return true;
}

bool ProjectCanvases::save(const QString& path) const
{
    Document document;
    if (!takeSnapshot(&document))
        return false;
    ProjectFileWriter writer;
    const bool written = writer.write(document, path);
    previousKept = writer.previousKept();
    if (!written)
        lastSaveError = writer.lastError();
    return written;
}

bool ProjectCanvases::takeSnapshot(Document* document) const
{
    lastSaveError.clear();
    previousKept = true;
    const auto fail = [this](const QString& why) {
        lastSaveError = why;
        return false;
    };
    const auto structure = [&fail](const QString& detail) {
        return fail(QCoreApplication::translate("ProjectCanvases", "The project's structure is damaged: %1")
                        .arg(detail));
    };
    if (canvases.isEmpty())
        return fail(QCoreApplication::translate("ProjectCanvases", "No project is open."));
    const Canvas* root = canvases.first();
    if (&root->diagramNode() != &projectDocument->root())
        return structure(lostLine("the first diagram is not the project node."));

    // Everything is checked before the file is opened, so that a damaged
    // project never costs the previous file.
    QString names;
    if (!getAllCanvasNames(&names))
        return structure(lostLine("the project's diagrams do not match its browser tree."));
    QVector<Section> plan;
    QString why;
    const auto shownBy = [this](const ProjectNode* node) { return canvasShowing(node); };
    if (!planSections(shownBy, root, 2, &plan, &why))
        return structure(why);
    const int nodes = names.count(QLatin1String("\r\n")) - 1;
    if (nodes != canvases.size() || plan.size() + 1 != canvases.size())
        return structure(lostLine("%1 diagrams, %2 browser nodes and %3 processes do not agree.")
                             .arg(canvases.size())
                             .arg(nodes)
                             .arg(plan.size()));
    int total = 0;
    int writable = 0;
    for (const Canvas* canvas : canvases) {
        total += itemCount(canvas);
        writable += writableItemCount(canvas);
    }
    if (writable != total)
        return structure(QCoreApplication::translate("ProjectCanvases",
                                                     "%n item(s) lie where the file has no place for them.",
                                                     nullptr, total - writable));

    ProjectSnapshot::take(root, plan, document);
    return true;
}
