#include "projectfilereader.h"

#include <QBuffer>
#include <QFile>
#include <QIODevice>
#include <QXmlStreamReader>

#include <memory>
#include <utility>

#include "itemwalk.h"
#include "itemvalues.h"
#include "projectfilelayout.h"
#include "projectfilescanner.h"
#include "streamtokens.h"

using namespace ProjectFileLayout;
using ItemWalking::ItemWalk;

QVector<QPoint> ProjectFileReader::parsePointList(QStringView text)
{
    QVector<QPoint> points;
    QStringView rest = text;
    while (points.size() < 5 && !rest.isEmpty()) {
        const int xEnd = rest.indexOf(QLatin1Char(','));
        // A lone number cannot make a point; the list stops there.
        if (xEnd < 0)
            break;
        const int x = ItemValues::toCoordinate(rest.left(xEnd));
        rest = rest.mid(xEnd + 1);
        const int yEnd = rest.indexOf(QLatin1Char(','));
        int y = 0;
        if (yEnd >= 0) {
            y = ItemValues::toCoordinate(rest.left(yEnd));
            rest = rest.mid(yEnd + 1);
        } else {
            y = ItemValues::toCoordinate(rest);
            rest = QStringView();
        }
        points.append(QPoint(x, y));
    }
    return points;
}

// ---- The passes ----------------------------------------------------------------

bool ProjectFileReader::startsLikeProject(QIODevice* device)
{
    if (!device || !device->isReadable())
        return false;
    QXmlStreamReader reader(device->peek(startWindow));
    return reader.readNext() == QXmlStreamReader::StartDocument
        && reader.readNext() == QXmlStreamReader::StartElement && reader.name() == tagVornProject;
}

bool ProjectFileReader::readNames(QIODevice* device, QString* names)
{
    if (!startsLikeProject(device))
        return false;
    StreamTokens source(device);
    QXmlStreamReader& reader = source.reader;
    ItemWalk<StreamTokens> pass(source, nullptr);
    bool ok = reader.readNext() == QXmlStreamReader::StartDocument
        && pass.nextIsStartTag(tagVornProject);
    if (ok) {
        pass.skip(1);
        ok = pass.nextIsStartTag(tagProjectFiles);
    }
    QString text;
    if (ok) {
        text = reader.readElementText();
        ok = !reader.hasError();
    }
    if (ok) {
        pass.skip(2);
        if (names)
            *names = text;
    }
    return ok;
}

namespace {

void appendRecords(ProjectFileReader::Records* to, ProjectFileReader::Records& from)
{
    const auto append = [](auto& target, auto& source) {
        if (target.isEmpty())
            target.swap(source);
        else
            target += source;
    };
    append(to->processes, from.processes);
    append(to->states, from.states);
    append(to->transitions, from.transitions);
    append(to->texts, from.texts);
    append(to->links, from.links);
    append(to->memories, from.memories);
    append(to->dataflows, from.dataflows);
    to->keys.append(from.keys);
}

} // namespace

bool ProjectFileReader::run(QIODevice* device, Pass pass, Records* records, bool* scanned, Fields fields)
{
    if (scanned)
        *scanned = false;
    if (!startsLikeProject(device))
        return false;
    // The scanner reads a buffer's bytes where they are, and a file a window
    // at a time (not mapped: a file cut short meanwhile must not crash the
    // reader). It is several times faster than the stream reader, and gives
    // up, leaving the file to it, on anything unusual.
    const qint64 from = device->pos();
    auto* buffer = qobject_cast<QBuffer*>(device);
    auto* file = qobject_cast<QFile*>(device);
    std::unique_ptr<ProjectFileScanner> scanner;
    if (buffer && buffer->data().size() > from)
        scanner.reset(new ProjectFileScanner(buffer->data().constData() + from, buffer->data().size() - from));
    else if (file && !file->isSequential())
        scanner.reset(new ProjectFileScanner(file));
    if (scanner) {
        Records read;
        const bool sound = ItemWalk<ProjectFileScanner>(*scanner, &read, fields).run(pass);
        if (!scanner->left()) {
            if (scanned)
                *scanned = true;
            if (records && (sound || pass == Pass::Read))
                appendRecords(records, read);
            return sound;
        }
        // A file cut short (or a valid start followed by a huge token) is
        // refused here; only the lenient read wants what comes before the cut.
        if (scanner->ranOut() && pass != Pass::Read)
            return false;
        scanner.reset();
        if (!device->seek(from))
            return false;
    }
    // The stream reader reads the file again, on its own.
    return runWithStreamReader(device, pass, records, fields);
}

bool ProjectFileReader::runWithStreamReader(QIODevice* device, Pass pass, Records* records, Fields fields)
{
    if (!startsLikeProject(device))
        return false;
    Records read;
    StreamTokens source(device);
    const bool sound = ItemWalk<StreamTokens>(source, &read, fields).run(pass);
    if (records && (sound || pass == Pass::Read))
        appendRecords(records, read);
    return sound;
}
