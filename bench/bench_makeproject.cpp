// Writes a project with one state machine of N states, three transitions
// leaving each (to the next state, to one a row further and to itself), laid
// out on a grid: the input of the large-design benchmarks. With a third
// argument, the same machine as SCXML too, for the Qt SCXML compiler.
//
//   bench_makeproject STATES OUT.vorn [OUT.scxml]

#include <QApplication>
#include <QFile>
#include <QXmlStreamWriter>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include "windowlesscanvases.h"
#include "xmlio.h"

namespace {

QVector<QPoint> rectangle(int w, int h)
{
    return {QPoint(0, 0), QPoint(w, 0), QPoint(w, h), QPoint(0, h), QPoint(0, 0)};
}

t_processItemReadFromXML process(int level, const QString& label)
{
    t_processItemReadFromXML p;
    p.level = level;
    p.id = 1;
    p.Nos = 1;
    p.parentId = 1;
    p.grandParentId = 1;
    p.label = label;
    p.xCoord = 300;
    p.yCoord = 300;
    p.width = 300;
    p.height = 250;
    p.shape = 1;
    p.backgroundColour = ParsedColour {true, 0xfffec309u};
    p.polygon = rectangle(300, 250);
    return p;
}

constexpr int columns = 100;
constexpr int pitchX = 700;
constexpr int pitchY = 500;

t_transitionItemReadFromXML transition(int from, int to, int number)
{
    t_transitionItemReadFromXML t;
    t.level = 6;
    t.parentId = 1;
    t.grandParentId = 1;
    t.label = QStringLiteral("T%1_%2").arg(from).arg(number);
    t.condition = QStringLiteral("event == EV_%1").arg(number);
    t.action = QStringLiteral("count_%1++;").arg(number);
    t.description = QStringLiteral("from S%1 to S%2").arg(from).arg(to);
    t.width = 150;
    t.height = 75;
    t.polygon = rectangle(150, 75);
    t.backgroundColour = ParsedColour {true, 0xffe5e7e9u};
    t.startItem = QStringLiteral("S%1").arg(from);
    t.endItem = QStringLiteral("S%1").arg(to);
    const int x = 100 + pitchX * (from % columns);
    const int y = 100 + pitchY * (from / columns);
    // Next: to the right; a row further: below; itself: above right.
    t.xCoord = x + (number == 0 ? 400 : number == 1 ? 40 : 320);
    t.yCoord = y + (number == 0 ? 40 : number == 1 ? 260 : -100);
    return t;
}

bool writeScxml(const XmlIO& io, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("scxml"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2005/07/scxml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("BigMachine"));
    xml.writeAttribute(QStringLiteral("initial"), QStringLiteral("S0"));
    int t = 0;
    for (const t_stateItemReadFromXML& state : io.stateItemRecords) {
        xml.writeStartElement(QStringLiteral("state"));
        xml.writeAttribute(QStringLiteral("id"), state.label);
        for (int k = 0; k < 3; ++k, ++t) {
            const t_transitionItemReadFromXML& transition = io.transitionItemRecords.at(t);
            xml.writeStartElement(QStringLiteral("transition"));
            xml.writeAttribute(QStringLiteral("event"), QStringLiteral("EV_%1").arg(k));
            xml.writeAttribute(QStringLiteral("target"), transition.endItem);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndDocument();
    return file.flush();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settingsFolder;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());

    const QStringList args = app.arguments();
    const int n = args.size() == 3 || args.size() == 4 ? args.at(1).toInt() : 0;
    if (n < 2) {
        std::fprintf(stderr, "usage: bench_makeproject STATES OUT.vorn [OUT.scxml]\n");
        return 2;
    }

    WindowlessCanvases project;
    XmlIO& io = project.io();
    io.processItemRecords.append(process(1, QStringLiteral("Bench")));
    io.processItemRecords.append(process(2, QStringLiteral("Hardware Module")));
    io.processItemRecords.append(process(3, QStringLiteral("Microcontroller")));
    io.processItemRecords.append(process(4, QStringLiteral("Controller")));
    io.processItemRecords.append(process(5, QStringLiteral("Big_Machine")));
    for (int s = 0; s < n; ++s) {
        t_stateItemReadFromXML state;
        state.level = 6;
        state.parentId = 1;
        state.grandParentId = 1;
        state.label = QStringLiteral("S%1").arg(s);
        state.ifInitialState = s == 0;
        state.xCoord = 100 + pitchX * (s % columns);
        state.yCoord = 100 + pitchY * (s / columns);
        state.width = 280;
        state.height = 150;
        state.backgroundColour = ParsedColour {true, 0xffe5e7e9u};
        state.polygon = rectangle(280, 150);
        state.action = QStringLiteral("step_%1();\ncount++;").arg(s);
        state.description = QStringLiteral("state %1").arg(s);
        io.stateItemRecords.append(state);
    }
    for (int s = 0; s < n; ++s) {
        io.transitionItemRecords.append(transition(s, (s + 1) % n, 0));
        io.transitionItemRecords.append(transition(s, (s + columns) % n, 1));
        io.transitionItemRecords.append(transition(s, s, 2));
    }
    if (args.size() == 4 && !writeScxml(io, args.at(3))) {
        std::fprintf(stderr, "bench_makeproject: cannot write %s\n", qPrintable(args.at(3)));
        return 1;
    }
    project.canvases().place(io);
    if (!project.saveAs(args.at(2))) {
        std::fprintf(stderr, "bench_makeproject: cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    return 0;
}
