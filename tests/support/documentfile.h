#ifndef DOCUMENTFILE_H
#define DOCUMENTFILE_H

#include <QString>

class Document;
class MachineSet;

// Reads a project file as the command-line tool does, with no canvas and
// no window: the check, the records, then their places. False when the
// check refuses the file or an item cannot be placed.
bool readDocument(const QString& path, Document* document);
// One document per state machine, in the order of the diagrams.
bool readMachines(const QString& path, MachineSet* machines);

#endif // DOCUMENTFILE_H
