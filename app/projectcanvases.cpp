#include "projectcanvases.h"

#include <QHash>

#include "canvas.h"
#include "dataflowitem.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"
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

void writeHierarchyContainers(XmlIO& io, const Canvas* canvas)
{
    io.writeStartElement(QStringLiteral("LinkItems"));
    io.writeAttribute(QStringLiteral("number"), QString::number(canvas->linkItems.size()));
    for (LinkItem* item : canvas->linkItems)
        io.writeLinkItem(item);
    io.writeEndElement();

    io.writeStartElement(QStringLiteral("MemoryItems"));
    io.writeAttribute(QStringLiteral("number"), QString::number(canvas->memoryItems.size()));
    for (MemoryItem* item : canvas->memoryItems)
        io.writeMemoryItem(item);
    io.writeEndElement();

    io.writeStartElement(QStringLiteral("DataflowItems"));
    io.writeAttribute(QStringLiteral("number"), QString::number(canvas->dataflowItems.size()));
    for (DataflowItem* item : canvas->dataflowItems)
        io.writeDataflowItem(item);
    io.writeEndElement();
}

void writeStateMachineContainers(XmlIO& io, const Canvas* canvas)
{
    io.writeStartElement(QStringLiteral("StateItems"));
    io.writeAttribute(QStringLiteral("number"), QString::number(canvas->stateItems.size()));
    for (StateItem* item : canvas->stateItems)
        io.writeStateItem(item);
    io.writeEndElement();

    io.writeStartElement(QStringLiteral("TransitionItems"));
    io.writeAttribute(QStringLiteral("number"), QString::number(canvas->transitionItems.size()));
    for (TransitionItem* item : canvas->transitionItems)
        io.writeTransitionItem(item);
    io.writeEndElement();

    io.writeStartElement(QStringLiteral("TextItems"));
    io.writeAttribute(QStringLiteral("number"), QString::number(canvas->textItems.size()));
    for (TextItem* item : canvas->textItems)
        io.writeTextItem(item);
    io.writeEndElement();
}

// Writes each process of the canvas (processes of the given level) and,
// right after it, the canvas it owns, depth first down to level 5. The depth
// comes from the walk, not from the items, so odd identities cannot make it
// loop. False when an owned canvas is missing.
bool writeProcessesOf(XmlIO& io, const CanvasIndex& index, const Canvas* canvas, int level)
{
    for (ProcessItem* process : canvas->processItems) {
        io.writeProcessItem(process);
        const Canvas* child = index.find(process->getLevel(), process->getId(), process->getParentId());
        if (!child)
            return false;
        writeHierarchyContainers(io, child);
        if (level == 5)
            writeStateMachineContainers(io, child);
        else if (!writeProcessesOf(io, index, child, level + 1))
            return false;
    }
    return true;
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

bool ProjectCanvases::load(XmlIO& io, QString* outline)
{
    if (!io.readProjectFileNames(outline) || !io.readProjectFile())
        return false;
    createCanvasElementsOnFileRead(io);
    placeRecords(io);
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

void ProjectCanvases::placeRecords(XmlIO& io)
{
    const CanvasIndex index(canvases);
    // Label lookups stay constant-time while a whole file is placed.
    for (Canvas* canvas : qAsConst(canvases))
        canvas->beginBulkLoad();

    for (t_processItemReadFromXML& record : io.processItemRecords) {
        if (record.level < 2 || record.level > 5)
            continue;
        if (Canvas* canvas = index.find(record.level - 1, record.parentId, record.grandParentId))
            canvas->addProcessItem(&record);
    }
    for (t_stateItemReadFromXML& record : io.stateItemRecords) {
        if (record.level != 6)
            continue;
        if (Canvas* canvas = index.find(5, record.parentId, record.grandParentId))
            canvas->addStateItem(&record);
    }
    for (t_transitionItemReadFromXML& record : io.transitionItemRecords) {
        if (record.level != 6)
            continue;
        if (Canvas* canvas = index.find(5, record.parentId, record.grandParentId))
            canvas->addTransitionItem(&record);
    }
    for (t_textItemReadFromXML& record : io.textItemRecords) {
        if (record.level != 6)
            continue;
        if (Canvas* canvas = index.find(5, record.parentId, record.grandParentId))
            canvas->addTextItem(&record);
    }
    for (t_linkItemReadFromXML& record : io.linkItemRecords) {
        if (Canvas* canvas = index.find(record.level - 1, record.parentId, record.grandParentId))
            canvas->addLinkItem(&record);
    }
    for (t_memoryItemReadFromXML& record : io.memoryItemRecords) {
        if (Canvas* canvas = index.find(record.level - 1, record.parentId, record.grandParentId))
            canvas->addMemoryItem(&record);
    }
    for (t_dataflowItemReadFromXML& record : io.dataflowItemRecords) {
        if (Canvas* canvas = index.find(record.level - 1, record.parentId, record.grandParentId))
            canvas->addDataflowItem(&record);
    }

    for (Canvas* canvas : qAsConst(canvases))
        canvas->endBulkLoad();
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

QVector<ProjectCanvases::StateMachine> ProjectCanvases::stateMachines() const
{
    QVector<StateMachine> machines;
    for (Canvas* canvas : canvases) {
        if (canvas->getLevel() != 5)
            continue;
        bool found = false;
        const Canvas* parent = getCanvasItem(canvas->getLevel() - 1, canvas->getParentId(),
                                             canvas->getGrandParentId(), &found);
        if (!found)
            continue;
        t_strReadProcessItem node;
        node.level = canvas->getLevel();
        node.id = canvas->getId();
        node.parentId = canvas->getParentId();
        node.grandParentId = canvas->getGrandParentId();
        node.Nos = canvas->getNos();
        node.label = canvas->getLabel();
        ProcessItem* process = parent->getProcessItem(&node, &found);
        if (found)
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

bool ProjectCanvases::save(XmlIO& io) const
{
    if (canvases.isEmpty())
        return false;
    const Canvas* root = canvases.first();
    if (root->getLevel() != 1 || root->getId() != 1)
        return false;

    // The tree text is built before anything is written, so a missing canvas
    // never costs the file; the writer only replaces it when all went well.
    QString names;
    if (!getAllCanvasNames(&names))
        return false;
    if (!io.eraseFile())
        return false;

    io.writeStartElement(QStringLiteral("VornProject"));
    io.writeTextElement(QStringLiteral("ProjectFiles"), names);
    io.writeStartElement(QStringLiteral("SceneData"));
    io.writeAttribute(QStringLiteral("version"), QStringLiteral("v1.0"));
    io.writeStartElement(QStringLiteral("GraphicsItemList"));
    io.writeLevel1ProcessItem(root->getLabel());

    if (!writeProcessesOf(io, CanvasIndex(canvases), root, 2)) {
        io.discardFile();
        return false;
    }

    io.writeEndElement();
    io.writeEndElement();
    io.writeEndElement();
    return io.closeFile();
}
