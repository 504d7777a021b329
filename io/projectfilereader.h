#ifndef PROJECTFILEREADER_H
#define PROJECTFILEREADER_H

#include <QPoint>
#include <QString>
#include <QStringView>
#include <QVector>

#include "itemrecords.h"
#include "placementkeys.h"

class QIODevice;

// Reads the items of a project file into plain records, one vector per item
// kind in document order.
//
// The file's head (declaration, root, tree text, scene) is read in the
// writer's layout; an item's attributes and children are read by name, in
// any order, and children it does not know are passed over. The integrity
// check is the same walk, stricter about what it accepts; it can keep what
// it read, so that opening a file parses it once.
class ProjectFileReader
{
public:
    struct Records
    {
        QVector<t_processItemReadFromXML> processes;
        QVector<t_stateItemReadFromXML> states;
        QVector<t_transitionItemReadFromXML> transitions;
        QVector<t_textItemReadFromXML> texts;
        QVector<t_linkItemReadFromXML> links;
        QVector<t_memoryItemReadFromXML> memories;
        QVector<t_dataflowItemReadFromXML> dataflows;
        // With Fields::Placement, the states and transitions are kept here
        // instead.
        PlacementKeys keys;
    };
    // Check only answers whether the file is sound; CheckAndRead also keeps
    // the records of a sound file; Read keeps the records, also those read
    // before the file turned out broken, and is lenient about states that end
    // early.
    enum class Pass { Check, Read, CheckAndRead };
    // What of the states and transitions the records keep: everything; only
    // what deciding where they go needs (identity, label, ends: as keys); or
    // that and what their C code is made of. The file is checked whole either
    // way.
    enum class Fields { All, Placement, Generation };

    // One pass over the item list; the records read are appended to records
    // (which may be null for Check). False when the file is not sound. A file
    // or buffer is scanned in memory when the scanner can read it.
    // scanned, when given, tells whether the scanner could read the file.
    static bool run(QIODevice* device, Pass pass, Records* records, bool* scanned = nullptr,
                    Fields fields = Fields::All);
    // The project tree text stored in front of the items.
    static bool readNames(QIODevice* device, QString* names);

    // Whether the device starts as a project file does (the XML declaration,
    // then the root element), judged from at most startWindow bytes and
    // without consuming them. Both passes look here first, so that a file of
    // anything else is refused before the rest of it is read.
    static bool startsLikeProject(QIODevice* device);
    static constexpr int startWindow = 64 * 1024;

    // Coordinates and sizes read from a file are kept within this range.
    static constexpr double coordinateLimit = 1000000.0;
    // At most five integer points, each coordinate clamped to the range;
    // never loops, whatever the text.
    static QVector<QPoint> parsePointList(QStringView text);

    // As run(), reading only with QXmlStreamReader, never with the faster
    // ProjectFileScanner; for comparing the two.
    static bool runWithStreamReader(QIODevice* device, Pass pass, Records* records, Fields fields = Fields::All);
};

#endif // PROJECTFILEREADER_H
