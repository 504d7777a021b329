#include "projectplacement.h"

#include <QCoreApplication>
#include <QHash>

#include "document.h"
#include "machineset.h"
#include "nameindex.h"
#include "placementfiller.h"

namespace {

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString line(const char* text)
{
    return QCoreApplication::translate("ProjectCanvases", text);
}

QString where(int level, int parentId, int grandParentId)
{
    return line("no diagram (level %1, id %2, parent %3) to place it on")
        .arg(qint64(level) - 1)
        .arg(parentId)
        .arg(grandParentId);
}

// The last of the records on a diagram with the label: the one a lookup by
// label finds, as later items of one name hide earlier ones.
template <typename Record>
NameIndex byLabel(const QVector<int>& placed, const QVector<Record>& records)
{
    NameIndex index(placed.size());
    for (int record : placed)
        index.insert(records.at(record).label, record);
    return index;
}

} // namespace

ProjectPlacement::ProjectPlacement(const ProjectFileReader::Records& records)
    : source(records)
{
    places.resize(records.processes.size());
    for (int i = 0; i < places.size(); ++i)
        places[i].process = i;
    placeProcesses();
    placeStateMachines();
    placeBlocks();
    dropUnreached();
    if (outline().isEmpty() && lostLines.isEmpty())
        lostLines << line("the numbering of the processes does not match the project tree, so the "
                          "project cannot be saved as it is");
}

int ProjectPlacement::find(int level, int id, int parentId) const
{
    for (int i = 0; i < places.size(); ++i) {
        const t_processItemReadFromXML& made = source.processes.at(places.at(i).process);
        if (!places.at(i).dropped && made.level == level && made.id == id && made.parentId == parentId)
            return i;
    }
    return -1;
}

void ProjectPlacement::placeProcesses()
{
    bool rootSeen = false;
    QVector<bool> owned(places.size(), false);
    for (int i = 0; i < source.processes.size(); ++i) {
        const t_processItemReadFromXML& record = source.processes.at(i);
        const QString name = line("process %1 (level %2, id %3)")
                                 .arg(quoted(record.label))
                                 .arg(record.level)
                                 .arg(record.id);
        if (record.level == 1 && !rootSeen && record.id == 1 && record.parentId == 1) {
            rootSeen = true;
            continue;
        }
        if (record.level == 1) {
            lostLines << line("%1: a second project node").arg(name);
            continue;
        }
        // Levels are checked before any arithmetic on them, so that no value
        // in a file can overflow.
        const int on = record.level >= 2 && record.level <= 5
            ? find(record.level - 1, record.parentId, record.grandParentId)
            : -1;
        if (on < 0) {
            lostLines << QStringLiteral("%1: %2").arg(
                name, record.level < 2 || record.level > 5 ? line("its level is not between 1 and 5")
                                                           : where(record.level, record.parentId,
                                                                   record.grandParentId));
            continue;
        }
        const int own = find(record.level, record.id, record.parentId);
        if (own < 0 || owned.at(own)) {
            lostLines << line("%1: its diagram belongs to another process").arg(name);
            continue;
        }
        owned[own] = true;
        places[on].processes.append(i);
    }
}

namespace {

// The keys of the states and transitions: read as such, or taken from their
// records.
PlacementKeys placementKeys(const ProjectFileReader::Records& records)
{
    // Keys read as such are shared, not copied.
    PlacementKeys keys = records.keys;
    for (const t_stateItemReadFromXML& r : records.states)
        keys.addState(r.level, r.parentId, r.grandParentId, r.label);
    for (const t_transitionItemReadFromXML& r : records.transitions)
        keys.addTransition(r.level, r.parentId, r.grandParentId, r.label, r.startItem, r.endItem);
    return keys;
}

} // namespace

void ProjectPlacement::placeStateMachines()
{
    const auto machine = [this](int level, int parentId, int grandParentId) {
        return level == 6 ? find(5, parentId, grandParentId) : -1;
    };
    const PlacementKeys keys = placementKeys(source);
    for (int i = 0; i < keys.states().size(); ++i) {
        const PlacementKeys::State& key = keys.states().at(i);
        const int on = machine(key.level, key.parentId, key.grandParentId);
        if (on >= 0)
            places[on].states.append(i);
        else
            lostLines << line("state %1: no state machine (id %2, parent %3) to place it on")
                             .arg(quoted(key.label))
                             .arg(key.parentId)
                             .arg(key.grandParentId);
    }
    QHash<int, NameIndex> states;
    for (int i = 0; i < keys.transitions().size(); ++i) {
        const PlacementKeys::Transition& key = keys.transitions().at(i);
        const int on = machine(key.level, key.parentId, key.grandParentId);
        if (on < 0) {
            lostLines << line("transition %1: no state machine (id %2, parent %3) to place it on")
                             .arg(quoted(keys.transitionLabel(i)))
                             .arg(key.parentId)
                             .arg(key.grandParentId);
            continue;
        }
        if (!states.contains(on))
            states.insert(on, byLabel(places.at(on).states, keys.states()));
        const NameIndex& labels = states[on];
        const int start = labels.value(key.startItem);
        const int end = labels.value(key.endItem);
        if (start < 0 || end < 0)
            lostLines << line("transition %1 from %2 to %3: its states are not found")
                             .arg(quoted(keys.transitionLabel(i)), quoted(key.startItem), quoted(key.endItem));
        else
            places[on].transitions.append({i, start, end});
    }
    for (int i = 0; i < source.texts.size(); ++i) {
        const t_textItemReadFromXML& record = source.texts.at(i);
        const int on = machine(record.level, record.parentId, record.grandParentId);
        if (on >= 0)
            places[on].texts.append(i);
        else
            lostLines << line("text %1: no state machine (id %2, parent %3) to place it on")
                             .arg(quoted(record.action.left(40)))
                             .arg(record.parentId)
                             .arg(record.grandParentId);
    }
}

void ProjectPlacement::placeBlocks()
{
    const auto block = [this](int level, int parentId, int grandParentId) {
        return level >= 2 && level <= 6 ? find(level - 1, parentId, grandParentId) : -1;
    };
    QHash<int, NameIndex> processes;
    const auto processNamed = [&](int on, const QString& label) {
        if (!processes.contains(on))
            processes.insert(on, byLabel(places.at(on).processes, source.processes));
        return processes[on].value(label);
    };
    for (int i = 0; i < source.links.size(); ++i) {
        const t_linkItemReadFromXML& record = source.links.at(i);
        const QString name = line("link %1 from %2 to %3")
                                 .arg(quoted(record.label), quoted(record.startItem), quoted(record.endItem));
        const int on = block(record.level, record.parentId, record.grandParentId);
        if (on < 0) {
            lostLines << QStringLiteral("%1: %2").arg(name, where(record.level, record.parentId, record.grandParentId));
            continue;
        }
        const int start = processNamed(on, record.startItem);
        const int end = processNamed(on, record.endItem);
        if (start < 0 || end < 0 || start == end)
            lostLines << line("%1: its processes are not found").arg(name);
        else
            places[on].links.append({i, start, end});
    }
    for (int i = 0; i < source.memories.size(); ++i) {
        const t_memoryItemReadFromXML& record = source.memories.at(i);
        const int on = block(record.level, record.parentId, record.grandParentId);
        if (on >= 0)
            places[on].memories.append(i);
        else
            lostLines << line("memory item %1: %2")
                             .arg(quoted(record.label), where(record.level, record.parentId, record.grandParentId));
    }
    QHash<int, NameIndex> memories;
    for (int i = 0; i < source.dataflows.size(); ++i) {
        const t_dataflowItemReadFromXML& record = source.dataflows.at(i);
        const QString name = line("dataflow %1 from %2 to %3")
                                 .arg(quoted(record.label), quoted(record.startItem), quoted(record.endItem));
        const int on = block(record.level, record.parentId, record.grandParentId);
        if (on < 0) {
            lostLines << QStringLiteral("%1: %2").arg(name, where(record.level, record.parentId, record.grandParentId));
            continue;
        }
        if (!memories.contains(on))
            memories.insert(on, byLabel(places.at(on).memories, source.memories));
        int process = -1;
        int memory = -1;
        if (record.lineType == 1 || record.lineType == 2) {
            const bool fromProcess = record.lineType == 1;
            process = processNamed(on, fromProcess ? record.startItem : record.endItem);
            memory = memories[on].value(fromProcess ? record.endItem : record.startItem);
        }
        if (process < 0 || memory < 0)
            lostLines << line("%1: its process or memory item is not found").arg(name);
        else
            places[on].dataflows.append({i, process, memory});
    }
}

int ProjectPlacement::itemCount(const Diagram& diagram) const
{
    return diagram.processes.size() + diagram.links.size() + diagram.memories.size() + diagram.dataflows.size()
        + diagram.states.size() + diagram.transitions.size() + diagram.texts.size();
}

bool ProjectPlacement::walk(int diagram, int level, QVector<int>* taken, QVector<QPair<int, int>>* sections,
                            QString* why) const
{
    for (int process : places.at(diagram).processes) {
        const t_processItemReadFromXML& record = source.processes.at(process);
        const int child = find(record.level, record.id, record.parentId);
        if (child < 0) {
            *why = QCoreApplication::translate("ProjectCanvases", "The diagram of the process \"%1\" is missing.")
                       .arg(record.label);
            return false;
        }
        if (taken->contains(child)) {
            *why = QCoreApplication::translate("ProjectCanvases",
                                               "The process \"%1\" claims the diagram of another process.")
                       .arg(record.label);
            return false;
        }
        taken->append(child);
        sections->append({process, child});
        if (level < 5 && !walk(child, level + 1, taken, sections, why))
            return false;
    }
    return true;
}

void ProjectPlacement::dropUnreached()
{
    // Without a project node in front nothing can be saved; a save says so.
    const int root = find(1, 1, 1);
    if (root < 0 || root != 0) {
        lostLines << line("the project node (level 1, id 1) is not the first process of the file");
        return;
    }
    // Diagrams that the save walk cannot reach would vanish on the next save;
    // they go now, and what was on them is named.
    QVector<int> reached {root};
    QVector<QPair<int, int>> sections;
    QString why;
    walk(root, 2, &reached, &sections, &why);
    for (int i = 0; i < places.size(); ++i) {
        if (reached.contains(i))
            continue;
        if (const int count = itemCount(places.at(i)))
            lostLines << QCoreApplication::translate(
                             "ProjectCanvases",
                             "%n item(s) on the diagram %1 (level %2), which no process of the project owns",
                             nullptr, count)
                             .arg(quoted(source.processes.at(places.at(i).process).label))
                             .arg(source.processes.at(places.at(i).process).level);
    }
    for (int i = 0; i < places.size(); ++i)
        places[i].dropped = !reached.contains(i);
}

bool ProjectPlacement::appendNames(QString* out, int diagram, int level) const
{
    const t_processItemReadFromXML& made = source.processes.at(places.at(diagram).process);
    for (int i = 1; i <= places.at(diagram).processes.size(); ++i) {
        const int child = find(level, i, made.id);
        if (child < 0)
            return false;
        out->append(QString((level - 1) * 4, QLatin1Char(' ')));
        out->append(source.processes.at(places.at(child).process).label);
        out->append(QLatin1String("\r\n"));
        if (level < 5 && !appendNames(out, child, level + 1))
            return false;
    }
    return true;
}

QString ProjectPlacement::outline() const
{
    const int root = find(1, 1, 1);
    if (root < 0)
        return QString();
    QString text = QStringLiteral("\r\n") + source.processes.at(places.at(root).process).label
        + QStringLiteral("\r\n");
    return appendNames(&text, root, 2) ? text : QString();
}

int ProjectPlacement::kept() const
{
    int count = 0;
    for (const Diagram& diagram : places)
        count += diagram.dropped ? 0 : 1;
    return count;
}

bool ProjectPlacement::fill(Document* document, QString* why) const
{
    const auto structure = [why](const QString& detail) {
        *why = QCoreApplication::translate("ProjectCanvases", "The project's structure is damaged: %1").arg(detail);
        return false;
    };
    int first = 0;
    while (first < places.size() && places.at(first).dropped)
        ++first;
    if (first == places.size()) {
        *why = QCoreApplication::translate("ProjectCanvases", "No project is open.");
        return false;
    }
    const t_processItemReadFromXML& made = source.processes.at(places.at(first).process);
    if (made.level != 1 || made.id != 1)
        return structure(line("the first diagram is not the project node."));
    const QString names = outline();
    if (names.isEmpty())
        return structure(line("the project's diagrams do not match its browser tree."));
    QVector<int> taken {first};
    QVector<QPair<int, int>> sections;
    QString stop;
    if (!walk(first, 2, &taken, &sections, &stop))
        return structure(stop);
    const int nodes = names.count(QLatin1String("\r\n")) - 1;
    if (nodes != kept() || sections.size() + 1 != kept())
        return structure(line("%1 diagrams, %2 browser nodes and %3 processes do not agree.")
                             .arg(kept())
                             .arg(nodes)
                             .arg(sections.size()));

    PlacementFiller filler(*this, document);
    QHash<int, ProjectNode*> nodeOf {{first, &document->root()}};
    QHash<int, int> diagramOf;
    for (int i = 0; i < places.size(); ++i) {
        for (int process : places.at(i).processes)
            diagramOf.insert(process, i);
    }
    document->root().process.label = made.label;
    for (const QPair<int, int>& section : qAsConst(sections)) {
        ProjectNode* node = nodeOf.value(diagramOf.value(section.first))->appendChild(document->newId());
        filler.process(node, section.first);
        filler.processIds.insert(section.first, node->id());
        nodeOf.insert(section.second, node);
    }
    for (auto it = nodeOf.cbegin(); it != nodeOf.cend(); ++it)
        filler.node(it.value(), places.at(it.key()), it.value()->level() == 5);
    return true;
}

int ProjectPlacement::parentDiagram(int diagram) const
{
    const t_processItemReadFromXML& made = source.processes.at(places.at(diagram).process);
    return made.level > 1 ? find(made.level - 1, made.parentId, made.grandParentId) : -1;
}

int ProjectPlacement::owningProcess(int diagram) const
{
    const int parent = parentDiagram(diagram);
    if (parent < 0)
        return -1;
    const t_processItemReadFromXML& made = source.processes.at(places.at(diagram).process);
    for (int process : places.at(parent).processes) {
        const t_processItemReadFromXML& drawn = source.processes.at(process);
        if (drawn.level == made.level && drawn.id == made.id && drawn.parentId == made.parentId
            && drawn.grandParentId == made.grandParentId && drawn.label == made.label && drawn.Nos == made.Nos)
            return process;
    }
    return -1;
}

QVector<ProjectPlacement::Machine> ProjectPlacement::machines() const
{
    QVector<Machine> found;
    for (int i = 0; i < places.size(); ++i) {
        if (places.at(i).dropped || source.processes.at(places.at(i).process).level != 5)
            continue;
        const int process = owningProcess(i);
        if (process >= 0)
            found.append({i, parentDiagram(i), process});
    }
    return found;
}

void ProjectPlacement::fillMachines(MachineSet* set) const
{
    for (const Machine& machine : machines())
        set->add(fillMachine(machine, set->newDocument()));
}

void ProjectPlacement::fillDiagram(int diagram, Document* document) const
{
    PlacementFiller filler(*this, document);
    document->root().process.label = source.processes.at(places.at(diagram).process).label;
    filler.node(&document->root(), places.at(diagram), false);
}

void ProjectPlacement::fillCanvas(int diagram, Document* document) const
{
    PlacementFiller filler(*this, document);
    const Diagram& place = places.at(diagram);
    document->root().process.label = source.processes.at(place.process).label;
    for (int process : place.processes) {
        ProjectNode* child = document->root().appendChild(document->newId());
        filler.process(child, process);
        filler.processIds.insert(process, child->id());
    }
    // Whatever was placed on the diagram, as the canvas takes it.
    filler.node(&document->root(), place, true);
}

const ProjectNode* ProjectPlacement::fillMachine(const Machine& machine, Document* document) const
{
    PlacementFiller filler(*this, document);
    ProjectNode* node = document->root().appendChild(document->newId());
    filler.process(node, machine.process);
    filler.processIds.insert(machine.process, node->id());
    document->root().process.label = source.processes.at(places.at(machine.module).process).label;
    filler.node(&document->root(), places.at(machine.module), false);
    filler.node(node, places.at(machine.diagram), true);
    return node;
}
