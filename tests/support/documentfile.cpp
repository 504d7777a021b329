#include "documentfile.h"

#include "projectplacement.h"
#include "xmlio.h"

namespace {

bool readRecords(XmlIO* io, const QString& path)
{
    io->setFilePath(path);
    return io->checkProjectFileCorrupt() && io->readProjectFile();
}

} // namespace

bool readDocument(const QString& path, Document* document)
{
    XmlIO io;
    QString why;
    return readRecords(&io, path) && ProjectPlacement(io.records()).fill(document, &why);
}

bool readMachines(const QString& path, MachineSet* machines)
{
    XmlIO io;
    if (!readRecords(&io, path))
        return false;
    const ProjectPlacement placement(io.records());
    placement.fillMachines(machines);
    return placement.lost().isEmpty();
}
