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
        canvases << Entry {i, record.level, record.label};
    }
    return Loaded;
}

QString ProjectPictures::browserPath(int canvas) const
{
    QStringList labels;
    int diagram = canvases.at(canvas).diagram;
    // Five levels at most; odd identities must not make the walk loop.
    while (diagram >= 0 && labels.size() < 5) {
        const t_processItemReadFromXML& made = io.processItemRecords.at(placement->diagrams().at(diagram).process);
        labels.prepend(made.label);
        if (made.level <= 1)
            return labels.join(QLatin1Char('/'));
        diagram = placement->parentDiagram(diagram);
    }
    return QString();
}

void ProjectPictures::collectMirrors(int canvas, QVector<DiagramLayout::LinkMirror>* links,
                                     QVector<DiagramLayout::MemoryMirror>* memories) const
{
    const int drawn = canvases.at(canvas).diagram;
    const int process = placement->owningProcess(drawn);
    if (process < 0)
        return;
    const int parent = placement->parentDiagram(drawn);
    Document document;
    placement->fillCanvas(parent, &document);
    // The parent's canvas holds a node for each of its processes, in order.
    const ProjectNode* owner =
        document.root().children().at(placement->diagrams().at(parent).processes.indexOf(process)).get();
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
