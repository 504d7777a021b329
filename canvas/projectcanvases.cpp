#include "projectcanvases.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

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
// canvas it owns, in the order the file holds them. Each canvas is taken
// once: a second process claiming it would write it twice (and, nested, an
// exponential number of times). The depth comes from the walk, not from the
// items, so odd identities cannot make it loop.
bool planSections(const CanvasIndex& index, const Canvas* canvas, int level,
                  QSet<const Canvas*>* taken, QVector<Section>* plan, QString* why)
{
    for (ProcessItem* process : canvas->processItems) {
        const Canvas* child = index.find(process->getLevel(), process->getId(), process->getParentId());
        if (!child) {
            *why = QCoreApplication::translate("ProjectCanvases",
                                               "The diagram of the process \"%1\" is missing.")
                       .arg(process->getLabel());
            return false;
        }
        if (taken->contains(child)) {
            *why = QCoreApplication::translate("ProjectCanvases",
                                               "The process \"%1\" claims the diagram of another process.")
                       .arg(process->getLabel());
            return false;
        }
        taken->insert(child);
        plan->append({canvas, process, child});
        if (level < 5 && !planSections(index, child, level + 1, taken, plan, why))
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

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
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
{
}

ProjectCanvases::~ProjectCanvases()
{
    clear();
}

Canvas* ProjectCanvases::createCanvasElement(t_strReadProcessItem* node)
{
    auto* canvas = new Canvas(menus, nullptr);
    canvas->setId(node->id);
    canvas->setParentId(node->parentId);
    canvas->setGrandParentId(node->grandParentId);
    canvas->setLevel(node->level);
    canvas->setNos(node->Nos);
    canvas->setLabel(node->label);
    canvas->setSceneRect(0, 0, canvasWidth, canvasHeight);
    canvas->setActions(actions.processAdded);
    canvas->setProcessLabelChangedAction(actions.processLabelChanged);
    canvas->setSaveAction(actions.save);
    canvas->setReturnToSelectAction(actions.returnToSelect);
    canvases.append(canvas);
    return canvas;
}

bool ProjectCanvases::load(XmlIO& io, QString* outline, Placement placement)
{
    lost.clear();
    if (!io.readProjectFileNames(outline) || !io.readProjectFile())
        return false;
    createCanvasElementsOnFileRead(io);
    placeRecords(io, placement);
    // The browser shows what a save will write, whatever the file's tree says.
    QString names;
    if (getAllCanvasNames(&names)) {
        if (outline)
            *outline = names;
    } else if (lost.isEmpty()) {
        lost << lostLine("the numbering of the processes does not match the project tree, so the "
                         "project cannot be saved as it is");
    }
    return true;
}

void ProjectCanvases::createCanvasElementsOnFileRead(const XmlIO& io)
{
    for (const t_processItemReadFromXML& record : io.processItemRecords) {
        t_strReadProcessItem node;
        node.level = record.level;
        node.id = record.id;
        node.parentId = record.parentId;
        node.grandParentId = record.grandParentId;
        node.Nos = record.Nos;
        node.label = record.label;
        createCanvasElement(&node);
    }
}

void ProjectCanvases::placeRecords(XmlIO& io, Placement placement)
{
    lost.clear();
    const bool build = placement == Placement::Items;
    // Without items, what decides the placement of a state machine's items
    // is kept per canvas: the labels of its states and how many were placed.
    struct Counted
    {
        QSet<QString> states;
        int items = 0;
    };
    QHash<const Canvas*, Counted> counted;
    const auto countOn = [&counted](const Canvas* canvas) -> Counted& {
        auto found = counted.find(canvas);
        if (found == counted.end()) {
            found = counted.insert(canvas, Counted());
            for (const StateItem* state : canvas->stateItems)
                found->states.insert(state->getLabel());
        }
        return *found;
    };
    // What Canvas::addTransitionItem asks: both states are on the canvas.
    const auto countTransition = [](Counted& on, const t_transitionItemReadFromXML& record) {
        if (!on.states.contains(record.startItem) || !on.states.contains(record.endItem))
            return false;
        ++on.items;
        return true;
    };
    const CanvasIndex index(canvases);
    // Label lookups stay constant-time while a whole file is placed.
    for (Canvas* canvas : qAsConst(canvases))
        canvas->beginBulkLoad();

    // Levels are checked before any arithmetic on them, so that no value in
    // a file can overflow.
    const auto onCanvas = [&index](int level, int parentId, int grandParentId, int minLevel,
                                   int maxLevel) -> Canvas* {
        if (level < minLevel || level > maxLevel)
            return nullptr;
        return index.find(level - 1, parentId, grandParentId);
    };
    const auto where = [](int level, int parentId, int grandParentId) {
        return lostLine("no diagram (level %1, id %2, parent %3) to place it on")
            .arg(qint64(level) - 1)
            .arg(parentId)
            .arg(grandParentId);
    };

    const Canvas* root = index.find(1, 1, 1);
    bool rootSeen = false;
    QSet<const Canvas*> owned;
    for (t_processItemReadFromXML& record : io.processItemRecords) {
        const QString name = lostLine("process %1 (level %2, id %3)")
                                 .arg(quoted(record.label))
                                 .arg(record.level)
                                 .arg(record.id);
        if (record.level == 1 && !rootSeen && record.id == 1 && record.parentId == 1) {
            rootSeen = true;
            continue;
        }
        if (record.level == 1) {
            lost << lostLine("%1: a second project node").arg(name);
            continue;
        }
        Canvas* canvas = onCanvas(record.level, record.parentId, record.grandParentId, 2, 5);
        if (!canvas) {
            lost << QStringLiteral("%1: %2").arg(
                name, record.level < 2 || record.level > 5
                          ? lostLine("its level is not between 1 and 5")
                          : where(record.level, record.parentId, record.grandParentId));
            continue;
        }
        const Canvas* own = index.find(record.level, record.id, record.parentId);
        if (!own || owned.contains(own)) {
            lost << lostLine("%1: its diagram belongs to another process").arg(name);
            continue;
        }
        owned.insert(own);
        canvas->addProcessItem(&record);
    }

    const auto stateMachineCanvas = [&index](int level, int parentId, int grandParentId) -> Canvas* {
        return level == 6 ? index.find(5, parentId, grandParentId) : nullptr;
    };
    for (t_stateItemReadFromXML& record : io.stateItemRecords) {
        if (Canvas* canvas = stateMachineCanvas(record.level, record.parentId, record.grandParentId)) {
            if (build) {
                canvas->addStateItem(&record);
            } else {
                Counted& on = countOn(canvas);
                on.states.insert(record.label);
                ++on.items;
            }
        } else
            lost << lostLine("state %1: no state machine (id %2, parent %3) to place it on")
                        .arg(quoted(record.label))
                        .arg(record.parentId)
                        .arg(record.grandParentId);
    }
    for (t_transitionItemReadFromXML& record : io.transitionItemRecords) {
        Canvas* canvas = stateMachineCanvas(record.level, record.parentId, record.grandParentId);
        if (!canvas)
            lost << lostLine("transition %1: no state machine (id %2, parent %3) to place it on")
                        .arg(quoted(record.label))
                        .arg(record.parentId)
                        .arg(record.grandParentId);
        else if (build ? !canvas->addTransitionItem(&record) : !countTransition(countOn(canvas), record))
            lost << lostLine("transition %1 from %2 to %3: its states are not found")
                        .arg(quoted(record.label), quoted(record.startItem), quoted(record.endItem));
    }
    for (t_textItemReadFromXML& record : io.textItemRecords) {
        if (Canvas* canvas = stateMachineCanvas(record.level, record.parentId, record.grandParentId)) {
            if (build)
                canvas->addTextItem(&record);
            else
                ++countOn(canvas).items;
        } else
            lost << lostLine("text %1: no state machine (id %2, parent %3) to place it on")
                        .arg(quoted(record.action.left(40)))
                        .arg(record.parentId)
                        .arg(record.grandParentId);
    }
    for (t_linkItemReadFromXML& record : io.linkItemRecords) {
        const QString name = lostLine("link %1 from %2 to %3")
                                 .arg(quoted(record.label), quoted(record.startItem), quoted(record.endItem));
        Canvas* canvas = onCanvas(record.level, record.parentId, record.grandParentId, 2, 6);
        if (!canvas)
            lost << QStringLiteral("%1: %2").arg(name, where(record.level, record.parentId, record.grandParentId));
        else if (!canvas->addLinkItem(&record))
            lost << lostLine("%1: its processes are not found").arg(name);
    }
    for (t_memoryItemReadFromXML& record : io.memoryItemRecords) {
        if (Canvas* canvas = onCanvas(record.level, record.parentId, record.grandParentId, 2, 6))
            canvas->addMemoryItem(&record);
        else
            lost << lostLine("memory item %1: %2")
                        .arg(quoted(record.label), where(record.level, record.parentId, record.grandParentId));
    }
    for (t_dataflowItemReadFromXML& record : io.dataflowItemRecords) {
        const QString name = lostLine("dataflow %1 from %2 to %3")
                                 .arg(quoted(record.label), quoted(record.startItem), quoted(record.endItem));
        Canvas* canvas = onCanvas(record.level, record.parentId, record.grandParentId, 2, 6);
        if (!canvas)
            lost << QStringLiteral("%1: %2").arg(name, where(record.level, record.parentId, record.grandParentId));
        else if (!canvas->addDataflowItem(&record))
            lost << lostLine("%1: its process or memory item is not found").arg(name);
    }

    for (Canvas* canvas : qAsConst(canvases))
        canvas->endBulkLoad();

    // Canvases that the save walk cannot reach would vanish on the next
    // save; they go now, and what was on them is named.
    // Without a project node in front nothing can be saved; the save says so.
    if (!root || root != canvases.value(0)) {
        lost << lostLine("the project node (level 1, id 1) is not the first process of the file");
        return;
    }
    QSet<const Canvas*> reached {root};
    QVector<Section> plan;
    QString why;
    planSections(index, root, 2, &reached, &plan, &why);
    QVector<Canvas*> unreached;
    for (Canvas* canvas : qAsConst(canvases)) {
        if (reached.contains(canvas))
            continue;
        unreached << canvas;
        if (const int count = itemCount(canvas) + counted.value(canvas).items)
            lost << QCoreApplication::translate(
                        "ProjectCanvases",
                        "%n item(s) on the diagram %1 (level %2), which no process of the project owns",
                        nullptr, count)
                        .arg(quoted(canvas->getLabel()))
                        .arg(canvas->getLevel());
    }
    remove(unreached);
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

ProcessItem* ProjectCanvases::owningProcess(const Canvas* canvas) const
{
    if (!canvas || canvas->getLevel() <= 1)
        return nullptr;
    bool found = false;
    const Canvas* parent = getCanvasItem(canvas->getLevel() - 1, canvas->getParentId(),
                                         canvas->getGrandParentId(), &found);
    if (!found)
        return nullptr;
    t_strReadProcessItem node;
    node.level = canvas->getLevel();
    node.id = canvas->getId();
    node.parentId = canvas->getParentId();
    node.grandParentId = canvas->getGrandParentId();
    node.Nos = canvas->getNos();
    node.label = canvas->getLabel();
    ProcessItem* process = parent->getProcessItem(&node, &found);
    return found ? process : nullptr;
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
    const Canvas* node = canvas;
    // Five levels at most; odd identities must not make the walk loop.
    while (node && labels.size() < 5) {
        labels.prepend(node->getLabel());
        if (node->getLevel() <= 1)
            return labels.join(QLatin1Char('/'));
        bool found = false;
        node = getCanvasItem(node->getLevel() - 1, node->getParentId(), node->getGrandParentId(), &found);
        if (!found)
            break;
    }
    return QString();
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

void ProjectCanvases::remove(const QVector<Canvas*>& dropped)
{
    for (Canvas* canvas : dropped) {
        if (canvases.removeOne(canvas))
            delete canvas;
    }
}

void ProjectCanvases::clear()
{
    const QVector<Canvas*> dropped = canvases;
    canvases.clear();
    qDeleteAll(dropped);
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
    if (root->getLevel() != 1 || root->getId() != 1)
        return structure(lostLine("the first diagram is not the project node."));

    // Everything is checked before the file is opened, so that a damaged
    // project never costs the previous file.
    QString names;
    if (!getAllCanvasNames(&names))
        return structure(lostLine("the project's diagrams do not match its browser tree."));
    const CanvasIndex index(canvases);
    QSet<const Canvas*> taken {root};
    QVector<Section> plan;
    QString why;
    if (!planSections(index, root, 2, &taken, &plan, &why))
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

    Document document;
    ProjectSnapshot::take(root, plan, &document);
    ProjectFileWriter writer;
    const bool written = writer.write(document, path);
    previousKept = writer.previousKept();
    return written || fail(writer.lastError());
}
