// Saving and loading generated projects of growing size, next to the floor
// any reader must pay: QXmlStreamReader merely tokenizing the same file.
// Both must grow linearly with the project; the table shows time per item.
//
//   bench_projectfile [--no-place] [items ...]     default items: 1000 10000 100000

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <cstdio>
#include <cstdlib>

#include "windowlesscanvases.h"
#include "projectcanvases.h"
#include "xmlio.h"

namespace {

constexpr int machinesPerModule = 4;
constexpr int statesPerMachine = 10;

QVector<QPoint> rectangle(int w, int h)
{
    return {QPoint(0, 0), QPoint(w, 0), QPoint(w, h), QPoint(0, h), QPoint(0, 0)};
}

t_processItemReadFromXML process(int level, int id, int nos, int parentId, int grandParentId,
                                 const QString& label)
{
    t_processItemReadFromXML p;
    p.level = level;
    p.id = id;
    p.Nos = nos;
    p.parentId = parentId;
    p.grandParentId = grandParentId;
    p.label = label;
    p.xCoord = 100 + 350 * (id % 8);
    p.yCoord = 100 + 300 * (id / 8 % 8);
    p.width = 300;
    p.height = 250;
    p.shape = 1;
    p.code = QStringLiteral("int counter;");
    p.description = QStringLiteral("generated");
    p.backgroundColour = ParsedColour {true, 0xfffec309u};
    p.polygon = rectangle(300, 250);
    return p;
}

// A project of about the given number of items: modules joined by links on
// the microcontroller, each with a few state machines of ten states in a
// ring, a text item and variables, plus dataflows on every level.
int generate(XmlIO& io, int wanted)
{
    const int itemsPerMachine = 1 + 1 + 1 + 2 * statesPerMachine + 1 + 1;
    const int itemsPerModule = 1 + 1 + 1 + 2 + machinesPerModule * itemsPerMachine;
    const int modules = qMax(1, wanted / itemsPerModule);

    io.processItemRecords.append(process(1, 1, 1, 1, 1, QStringLiteral("Bench")));
    io.processItemRecords.append(process(2, 1, 1, 1, 1, QStringLiteral("Hardware Module")));
    io.processItemRecords.append(process(3, 1, 1, 1, 1, QStringLiteral("Microcontroller")));
    int items = 2;
    for (int m = 1; m <= modules; ++m) {
        const QString module = QStringLiteral("Module_%1").arg(m);
        io.processItemRecords.append(process(4, m, modules, 1, 1, module));
        ++items;
        if (m > 1) {
            t_linkItemReadFromXML link;
            link.level = 4;
            link.parentId = 1;
            link.grandParentId = 1;
            link.xCoord = 50.5 * m;
            link.yCoord = 20;
            link.label = QStringLiteral("link_%1").arg(m);
            link.datatype = QStringLiteral("uint8_t");
            link.startItem = QStringLiteral("Module_%1").arg(m - 1);
            link.endItem = module;
            link.backgroundColour = ParsedColour {true, 0xff80ff00u};
            link.polygon = rectangle(100, 21);
            io.linkItemRecords.append(link);
            ++items;
        }
        t_memoryItemReadFromXML shared;
        shared.level = 4;
        shared.parentId = 1;
        shared.grandParentId = 1;
        shared.xCoord = 40 * m;
        shared.yCoord = 900;
        shared.label = QStringLiteral("shared_%1").arg(m);
        shared.datatype = QStringLiteral("int");
        shared.backgroundColour = ParsedColour {true, 0xff00aaffu};
        shared.polygon = rectangle(100, 64);
        io.memoryItemRecords.append(shared);
        ++items;
        for (int lineType = 1; lineType <= 2; ++lineType) {
            t_dataflowItemReadFromXML flow;
            flow.level = 4;
            flow.parentId = 1;
            flow.grandParentId = 1;
            flow.lineType = lineType;
            flow.xCoord = 40 * m;
            flow.yCoord = 700 + 50 * lineType;
            flow.label = shared.label;
            flow.datatype = shared.datatype;
            flow.startItem = lineType == 1 ? module : shared.label;
            flow.endItem = lineType == 1 ? shared.label : module;
            flow.backgroundColour = ParsedColour {true, 0xff123456u};
            flow.polygon = rectangle(100, 21);
            io.dataflowItemRecords.append(flow);
            ++items;
        }

        for (int k = 1; k <= machinesPerModule; ++k) {
            const QString machine = QStringLiteral("SM_%1_%2").arg(m).arg(k);
            io.processItemRecords.append(process(5, k, machinesPerModule, m, 1, machine));
            ++items;
            t_memoryItemReadFromXML variable = shared;
            variable.level = 5;
            variable.parentId = m;
            variable.label = QStringLiteral("var_%1").arg(k);
            io.memoryItemRecords.append(variable);
            t_dataflowItemReadFromXML flow;
            flow.level = 5;
            flow.parentId = m;
            flow.grandParentId = 1;
            flow.lineType = 2;
            flow.xCoord = 100 * k;
            flow.yCoord = 600;
            flow.label = variable.label;
            flow.startItem = variable.label;
            flow.endItem = machine;
            flow.polygon = rectangle(100, 21);
            io.dataflowItemRecords.append(flow);
            items += 2;

            for (int s = 0; s < statesPerMachine; ++s) {
                t_stateItemReadFromXML state;
                state.level = 6;
                state.parentId = k;
                state.grandParentId = m;
                state.label = QStringLiteral("S%1").arg(s);
                state.ifInitialState = s == 0;
                state.xCoord = 200 + 400 * (s % 5);
                state.yCoord = 200 + 400 * (s / 5);
                state.width = 280;
                state.height = 150;
                state.backgroundColour = ParsedColour {true, 0xffe5e7e9u};
                state.polygon = rectangle(280, 150);
                state.action = QStringLiteral("step_%1();\ncount++;").arg(s);
                state.description = QStringLiteral("state %1").arg(s);
                io.stateItemRecords.append(state);

                t_transitionItemReadFromXML transition;
                transition.level = 6;
                transition.parentId = k;
                transition.grandParentId = m;
                transition.label = QStringLiteral("T%1").arg(s);
                transition.condition = QStringLiteral("count > %1").arg(s);
                transition.backgroundColour = state.backgroundColour;
                transition.xCoord = state.xCoord + 150.25;
                transition.yCoord = state.yCoord + 200;
                transition.width = 150;
                transition.height = 75;
                transition.polygon = rectangle(150, 75);
                transition.startItem = state.label;
                transition.endItem = QStringLiteral("S%1").arg((s + 1) % statesPerMachine);
                transition.action = QStringLiteral("log();");
                io.transitionItemRecords.append(transition);
                items += 2;
            }
            t_textItemReadFromXML text;
            text.level = 6;
            text.parentId = k;
            text.grandParentId = m;
            text.type = 1;
            text.xCoord = 20;
            text.yCoord = 20;
            text.width = 200;
            text.height = 80;
            text.backgroundColour = ParsedColour {true, 0xffffffffu};
            text.textColour = ParsedColour {true, 0xff0000ffu};
            text.polygon = rectangle(200, 80);
            text.action = QStringLiteral("#include <stdint.h>");
            io.textItemRecords.append(text);
            ++items;
        }
    }
    return items;
}

double msSince(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

struct Row
{
    int items = 0;
    qint64 bytes = 0;
    double save = 0, check = 0, read = 0, place = 0, tokenize = 0;
    qint64 tokens = 0;
};

// Each timing is the best of a few runs, so that first-use costs (codecs,
// allocator, page cache) do not blur the growth with size.
constexpr int repeats = 3;

template <typename Work>
double bestOf(Work work)
{
    double best = 0;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        const double ms = msSince(timer);
        best = i == 0 ? ms : qMin(best, ms);
    }
    return best;
}

[[noreturn]] void fail(const char* what, int items)
{
    std::fprintf(stderr, "%s of %d items failed\n", what, items);
    std::exit(1);
}

Row measure(int wanted, bool place, const QString& folder)
{
    Row row;
    const QString path = folder + QStringLiteral("/bench_%1.vorn").arg(wanted);
    {
        WindowlessCanvases source;
        row.items = generate(source.io(), wanted);
        source.canvases().place(source.io());
        row.save = bestOf([&] {
            if (!source.saveAs(path))
                fail("save", wanted);
        });
    }
    row.bytes = QFileInfo(path).size();

    row.tokenize = bestOf([&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QXmlStreamReader reader(&file);
        row.tokens = 0;
        while (!reader.atEnd()) {
            reader.readNext();
            ++row.tokens;
        }
    });
    row.check = bestOf([&] {
        XmlIO io;
        io.setFilePath(path);
        if (!io.checkProjectFileCorrupt())
            fail("check", wanted);
    });
    row.read = bestOf([&] {
        XmlIO io;
        io.setFilePath(path);
        QString names;
        if (!io.readProjectFileNames(&names) || !io.readProjectFile())
            fail("read", wanted);
    });

    if (place) {
        // What Open does after the read: one canvas per process record, then
        // every record placed on its canvas.
        WindowlessCanvases target;
        XmlIO& io = target.io();
        io.setFilePath(path);
        QString names;
        if (!io.readProjectFileNames(&names) || !io.readProjectFile())
            fail("read", wanted);
        QElapsedTimer timer;
        timer.start();
        target.canvases().place(io);
        row.place = msSince(timer);
    }
    return row;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Never near the user's own settings.
    QTemporaryDir folder;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());

    bool place = true;
    QVector<int> sizes;
    for (const QString& argument : app.arguments().mid(1)) {
        if (argument == QLatin1String("--no-place"))
            place = false;
        else if (argument.toInt() > 0)
            sizes << argument.toInt();
    }
    if (sizes.isEmpty())
        sizes = {1000, 10000, 100000};

    std::printf("%9s %11s %9s %9s %9s %9s %10s %8s %9s %9s\n", "items", "bytes", "save ms",
                "check ms", "read ms", "place ms", "tokens ms", "ratio", "save us/i", "load us/i");
    for (int wanted : sizes) {
        const Row r = measure(wanted, place, folder.path());
        // What the reader costs over the tokenizer, per pass: check and read
        // each walk the whole file once.
        const double ratio = (r.check + r.read) / 2.0 / r.tokenize;
        std::printf("%9d %11lld %9.1f %9.1f %9.1f %9.1f %10.1f %8.2f %9.2f %9.2f\n", r.items,
                    static_cast<long long>(r.bytes), r.save, r.check, r.read, r.place,
                    r.tokenize, ratio, 1000.0 * r.save / r.items,
                    1000.0 * (r.check + r.read + r.place) / r.items);
        std::fflush(stdout);
    }
    return 0;
}
