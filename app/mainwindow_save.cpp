// The save walk: writes every canvas of the project through XmlIO.

#include "mainwindow.h"

#include <QHash>

#include "dataflowitem.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "processitem.h"
#include "stateitem.h"
#include "textitem.h"
#include "transitionitem.h"

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

bool MainWindow::getAllCanvasNames(QString* out)
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

bool MainWindow::saveDataToFile()
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
    if (!xmlIO.eraseFile())
        return false;

    xmlIO.writeStartElement(QStringLiteral("VornProject"));
    xmlIO.writeTextElement(QStringLiteral("ProjectFiles"), names);
    xmlIO.writeStartElement(QStringLiteral("SceneData"));
    xmlIO.writeAttribute(QStringLiteral("version"), QStringLiteral("v1.0"));
    xmlIO.writeStartElement(QStringLiteral("GraphicsItemList"));
    xmlIO.writeLevel1ProcessItem(root->getLabel());

    if (!writeProcessesOf(xmlIO, CanvasIndex(canvases), root, 2)) {
        xmlIO.discardFile();
        return false;
    }

    xmlIO.writeEndElement();
    xmlIO.writeEndElement();
    xmlIO.writeEndElement();
    if (!xmlIO.closeFile())
        return false;
    disableAction(POS_SAVE);
    return true;
}
