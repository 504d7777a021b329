#include "projectpictures.h"

#include <QSet>

#include "document.h"
#include "projectplacement.h"
#include "qcolourof.h"

namespace {

// The area of a canvas the window opens with, where mirrors line up.
const QRectF canvasArea(0, 0, 2000, 1050);

} // namespace

ProjectPictures::ProjectPictures() = default;

ProjectPictures::~ProjectPictures() = default;

ProjectPictures::LoadResult ProjectPictures::load(const QString& path)
{
    canvases.clear();
    lost.clear();
    placement.reset();
    io.clearRecords();
    io.setFilePath(path);
    if (!io.checkProjectFileCorrupt())
        return Corrupt;
    QString outline;
    if (!io.readProjectFileNames(&outline) || !io.readProjectFile())
        return Unreadable;
    placement = std::make_unique<ProjectPlacement>(io.records());
    lost = placement->lost();
    const QVector<ProjectPlacement::Diagram>& diagrams = placement->diagrams();
    for (int i = 0; i < diagrams.size(); ++i) {
        // A dropped diagram is named in lost() with its items.
        if (diagrams.at(i).dropped)
            continue;
        const t_processItemReadFromXML& record = io.processItemRecords.at(diagrams.at(i).process);
        canvases << Entry {i, record.level, record.id, record.parentId, record.grandParentId, record.Nos,
                            record.label};
    }
    return Loaded;
}

int ProjectPictures::find(int level, int id, int parentId) const
{
    for (int i = 0; i < canvases.size(); ++i) {
        const Entry& canvas = canvases.at(i);
        if (canvas.level == level && canvas.id == id && canvas.parentId == parentId)
            return i;
    }
    return -1;
}

QString ProjectPictures::browserPath(int canvas) const
{
    QStringList labels;
    int at = canvas;
    // Five levels at most; odd identities must not make the walk loop.
    while (at >= 0 && labels.size() < 5) {
        const Entry& node = canvases.at(at);
        labels.prepend(node.label);
        if (node.level <= 1)
            return labels.join(QLatin1Char('/'));
        at = find(node.level - 1, node.parentId, node.grandParentId);
    }
    return QString();
}

void ProjectPictures::collectMirrors(int canvas, QVector<DiagramLayout::LinkMirror>* links,
                                     QVector<DiagramLayout::MemoryMirror>* memories) const
{
    const Entry& node = canvases.at(canvas);
    if (node.level <= 1)
        return;
    const int parent = find(node.level - 1, node.parentId, node.grandParentId);
    if (parent < 0)
        return;
    Document document;
    placement->fillCanvas(canvases.at(parent).diagram, &document);
    const ProjectNode* owner = nullptr;
    for (const auto& child : document.root().children()) {
        const ProcessElement& process = child->process;
        if (process.number == node.id && process.countNumber == node.nos && process.label == node.label) {
            owner = child.get();
            break;
        }
    }
    if (!owner)
        return;
    const Diagram& diagram = document.root().diagram;
    QSet<ElementId> processes;
    for (const auto& child : document.root().children())
        processes.insert(child->id());
    for (const LinkElement& link : diagram.links) {
        const bool placed = processes.contains(link.startProcess) && processes.contains(link.endProcess)
            && link.startProcess != link.endProcess;
        if (placed && link.startProcess == owner->id())
            *links << DiagramLayout::LinkMirror {link.label, 1};
        else if (placed && link.endProcess == owner->id())
            *links << DiagramLayout::LinkMirror {link.label, 0};
    }
    QSet<ElementId> stores;
    for (const MemoryElement& memory : diagram.memories)
        stores.insert(memory.id);
    for (const DataflowElement& dataflow : diagram.dataflows) {
        const bool placed = stores.contains(dataflow.memory) && (dataflow.lineType == 1 || dataflow.lineType == 2);
        if (placed && dataflow.process == owner->id())
            *memories << DiagramLayout::MemoryMirror {dataflow.label, dataflow.datatype, qColourOf(dataflow.colour)};
    }
}

std::unique_ptr<DiagramLayout> ProjectPictures::layout(int canvas, bool mirrored) const
{
    QVector<DiagramLayout::LinkMirror> links;
    QVector<DiagramLayout::MemoryMirror> memories;
    if (mirrored)
        collectMirrors(canvas, &links, &memories);
    Document document;
    placement->fillCanvas(canvases.at(canvas).diagram, &document);
    return std::make_unique<DiagramLayout>(canvases.at(canvas).label, document.root(), links, memories, canvasArea);
}
