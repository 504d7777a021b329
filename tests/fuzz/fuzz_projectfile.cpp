// libFuzzer target for the project file reader: the integrity check, the
// tree-text pass and the read pass must end on any input, without crashing,
// hanging or breaking the promises the loader relies on.

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "xmlio.h"

namespace {

template <typename Record>
void requireShortPolygons(const QVector<Record>& records)
{
    for (const Record& record : records) {
        if (record.polygon.size() > 5)
            __builtin_trap();
    }
}

bool runPass(XmlIO& io, const QByteArray& bytes, int pass, QString* names)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    switch (pass) {
    case 0:
        return io.checkProjectFileCorrupt(&buffer);
    case 1:
        return io.readProjectFileNames(&buffer, names);
    default:
        return io.readProjectFile(&buffer);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    XmlIO io;
    QString names = QStringLiteral("unchanged");
    runPass(io, bytes, 0, nullptr);
    if (!runPass(io, bytes, 1, &names) && names != QLatin1String("unchanged"))
        __builtin_trap(); // a failed tree-text pass must leave the string alone
    runPass(io, bytes, 2, nullptr);

    requireShortPolygons(io.processItemRecords);
    requireShortPolygons(io.linkItemRecords);
    requireShortPolygons(io.memoryItemRecords);
    requireShortPolygons(io.dataflowItemRecords);
    requireShortPolygons(io.stateItemRecords);
    requireShortPolygons(io.transitionItemRecords);
    requireShortPolygons(io.textItemRecords);
    for (const t_stateItemReadFromXML& state : qAsConst(io.stateItemRecords)) {
        if (state.transitions.size() > qMax(0, state.numberOfTI))
            __builtin_trap();
    }
    return 0;
}
