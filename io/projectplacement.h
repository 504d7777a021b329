#ifndef PROJECTPLACEMENT_H
#define PROJECTPLACEMENT_H

#include <QStringList>
#include <QVector>

#include "projectfilereader.h"

class Document;
class MachineSet;
class ProjectNode;

// Where the records of a project file go when it is opened: one diagram per
// process record, the records placed on each (references resolved to the
// records they name), the lines naming what cannot be placed, and the
// diagrams that no placed process reaches, which are dropped with their
// items. The window builds its canvases from it; the command-line tool fills
// a document from it without any.
class ProjectPlacement
{
public:
    // Record positions within their kind's vector of the records.
    struct Link { int record; int start; int end; };
    struct Dataflow { int record; int process; int memory; };
    struct Transition { int record; int start; int end; };
    struct Diagram
    {
        int process = 0; // the record the diagram was made from
        bool dropped = false;
        QVector<int> processes;
        QVector<int> states; // in the order of their records
        QVector<Transition> transitions;
        QVector<int> texts;
        QVector<Link> links;
        QVector<int> memories;
        QVector<Dataflow> dataflows;
    };

    explicit ProjectPlacement(const ProjectFileReader::Records& records);

    const ProjectFileReader::Records& records() const { return source; }
    // In the order of the process records they were made from.
    const QVector<Diagram>& diagrams() const { return places; }
    const QStringList& lost() const { return lostLines; }
    // The browser outline of what was kept; empty when the processes are
    // not numbered 1, 2, ... among their siblings.
    QString outline() const;

    // Fills the document with the project as the window shows it after
    // Open. False, with the reason a save would give, when the project
    // cannot be saved as it is.
    bool fill(Document* document, QString* why) const;

    // The kept diagram one level up, on which the process this diagram is
    // drawn from lies; -1 for the project's diagram or when none is kept.
    int parentDiagram(int diagram) const;
    // That process's record, found as the window finds a canvas's process;
    // -1 when there is none.
    int owningProcess(int diagram) const;

    // A state machine kept, with the diagram its process lies on and that
    // process's record, found as the window finds a canvas's process.
    struct Machine { int diagram; int module; int process; };
    // Every machine whose process is found, in the order of the diagrams.
    QVector<Machine> machines() const;
    // One diagram alone: the document's project node holds its elements.
    void fillDiagram(int diagram, Document* document) const;
    // One diagram as a canvas shows it: its elements, and a child of the
    // project node for each process drawn on it, in order.
    void fillCanvas(int diagram, Document* document) const;
    // One machine: the project node stands for its module, its one child,
    // which is returned, for the machine.
    const ProjectNode* fillMachine(const Machine& machine, Document* document) const;
    // Every machine of machines(), in order.
    void fillMachines(MachineSet* set) const;

private:
    int find(int level, int id, int parentId) const;
    void placeProcesses();
    void placeStateMachines();
    void placeBlocks();
    void dropUnreached();
    // The processes of the diagram, depth first, each with the diagram it
    // owns, as a save walks them; false, with why, where the walk stops.
    bool walk(int diagram, int level, QVector<int>* taken, QVector<QPair<int, int>>* sections,
              QString* why) const;
    bool appendNames(QString* out, int diagram, int level) const;
    int itemCount(const Diagram& diagram) const;
    int kept() const;

    const ProjectFileReader::Records source;
    QVector<Diagram> places;
    QStringList lostLines;
};

#endif // PROJECTPLACEMENT_H
