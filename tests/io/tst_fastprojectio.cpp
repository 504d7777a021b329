// The fast project-file paths give exactly what the general ones give: the
// scanner and QXmlStreamReader the same verdicts and records, the text
// writer the bytes of QXmlStreamWriter, a check without state-machine items
// the losses of a full load.

#include <QtTest>

#include <QBuffer>
#include <QColor>
#include <QRandomGenerator>
#include <QDir>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <memory>
#include <QXmlStreamWriter>

#include "document.h"
#include "documentfile.h"
#include "itemwalk.h"
#include "parsedcolour.h"
#include "projectfilereader.h"
#include "projectfilescanner.h"
#include "projectfilewriter.h"
#include "testenvironment.h"
#include "windowlesscanvases.h"
#include "xmltextwriter.h"

namespace {

using Pass = ProjectFileReader::Pass;
using Fields = ProjectFileReader::Fields;

QString points(const QVector<QPoint>& polygon)
{
    QStringList parts;
    for (const QPoint& point : polygon)
        parts << QStringLiteral("%1;%2").arg(point.x()).arg(point.y());
    return parts.join(QLatin1Char(' '));
}

// Every field of every record, one line each.
QString dump(const ProjectFileReader::Records& r)
{
    QStringList lines;
    const auto colour = [](const ParsedColour& c) { return c.valid ? QString::number(c.argb, 16) : QStringLiteral("-"); };
    for (const auto& p : r.processes)
        lines << QStringList {"P", QString::number(p.level), QString::number(p.id), QString::number(p.Nos), p.label,
                              QString::number(p.parentId), QString::number(p.grandParentId), p.code, p.description,
                              QString::number(p.xCoord), QString::number(p.yCoord), QString::number(p.width),
                              QString::number(p.height), QString::number(p.shape), colour(p.backgroundColour),
                              points(p.polygon)}.join('|');
    for (const auto& s : r.states)
        lines << QStringList {"S", QString::number(s.level), QString::number(s.parentId),
                              QString::number(s.grandParentId), s.label, QString::number(s.ifInitialState),
                              s.initialCondition, s.initialDescription, QString::number(s.xCoord),
                              QString::number(s.yCoord), QString::number(s.width), QString::number(s.height),
                              colour(s.backgroundColour), points(s.polygon), s.action, s.description,
                              QString::number(s.numberOfTI), s.transitions.join(',')}.join('|');
    for (const auto& t : r.transitions)
        lines << QStringList {"T", QString::number(t.level), QString::number(t.parentId),
                              QString::number(t.grandParentId), t.label, t.condition, colour(t.backgroundColour),
                              QString::number(t.xCoord), QString::number(t.yCoord), QString::number(t.width),
                              QString::number(t.height), points(t.polygon), t.startItem, t.endItem,
                              t.description, t.action}.join('|');
    for (const auto& x : r.texts)
        lines << QStringList {"X", QString::number(x.level), QString::number(x.type), colour(x.backgroundColour),
                              colour(x.textColour), QString::number(x.xCoord), QString::number(x.yCoord),
                              QString::number(x.width), QString::number(x.height), points(x.polygon),
                              x.action}.join('|');
    for (const auto& l : r.links)
        lines << QStringList {"L", QString::number(l.level), l.label, l.description, l.datatype, l.startItem,
                              l.endItem, QString::number(l.xCoord), colour(l.backgroundColour),
                              points(l.polygon)}.join('|');
    for (const auto& m : r.memories)
        lines << QStringList {"M", QString::number(m.level), m.label, m.description, m.datatype,
                              QString::number(m.yCoord), colour(m.backgroundColour), points(m.polygon)}.join('|');
    for (const auto& d : r.dataflows)
        lines << QStringList {"D", QString::number(d.level), QString::number(d.lineType), d.label,
                              d.startItem, d.endItem, d.datatype, colour(d.backgroundColour),
                              points(d.polygon)}.join('|');
    for (const auto& k : r.keys.states())
        lines << QStringList {"KS", QString::number(k.level), QString::number(k.parentId),
                              QString::number(k.grandParentId), k.label}.join('|');
    for (int i = 0; i < r.keys.transitions().size(); ++i) {
        const auto& k = r.keys.transitions().at(i);
        lines << QStringList {"KT", QString::number(k.level), QString::number(k.parentId),
                              QString::number(k.grandParentId), r.keys.transitionLabel(i), k.startItem,
                              k.endItem}.join('|');
    }
    return lines.join('\n');
}

QString outcome(const QByteArray& bytes, Pass pass, bool scanner, bool* scanned = nullptr,
                Fields fields = Fields::All)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    ProjectFileReader::Records records;
    const bool sound = scanner ? ProjectFileReader::run(&buffer, pass, &records, scanned, fields)
                               : ProjectFileReader::runWithStreamReader(&buffer, pass, &records, fields);
    return (sound ? QStringLiteral("sound\n") : QStringLiteral("refused\n")) + dump(records);
}

// The scanner's verdict and records, reading the bytes where they lie or a
// file piece bytes at a time.
QString windowed(const QByteArray& bytes, Pass pass, int piece)
{
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.seek(0))
        return QStringLiteral("no file");
    std::unique_ptr<ProjectFileScanner> scanner(piece ? new ProjectFileScanner(&file, piece)
                                                      : new ProjectFileScanner(bytes.constData(), bytes.size()));
    ProjectFileReader::Records records;
    const bool sound = ItemWalking::ItemWalk<ProjectFileScanner>(*scanner, &records).run(pass);
    return QStringLiteral("%1 %2 %3\n").arg(sound).arg(scanner->left()).arg(scanner->ranOut()) + dump(records);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestFastProjectIO : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::useThrowAwaySettings(); }

    void scannerReadsAsStreamReader_data();
    void scannerReadsAsStreamReader();
    void textWriterWritesAsStreamWriter();
    void wholeNumbersAreFormattedAsBefore();
    void coloursAreReadAsTheGuiReadsThem();
    void largeProjectSavesAsItWasRead();
};

void TestFastProjectIO::scannerReadsAsStreamReader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QStringList files;
    for (const QString& folder : {QStringLiteral("tests/fuzz/corpus"), QStringLiteral("tests/fuzz/regressions"),
                                  QStringLiteral("Examples")}) {
        const QDir dir(QStringLiteral(KORVEL_SOURCE_DIR "/") + folder);
        for (const QString& name : dir.entryList({QStringLiteral("*.vorn")}, QDir::Files))
            files << dir.filePath(name);
    }
    QVERIFY(files.size() > 10);
    for (const QString& path : qAsConst(files))
        QTest::newRow(qPrintable(QFileInfo(path).fileName())) << fileBytes(path);

    // Each a small step off the writer's layout, into what the scanner
    // leaves to the stream reader or what makes the file unsound.
    const QByteArray sound = fileBytes(QStringLiteral(KORVEL_SOURCE_DIR "/Examples/Example_1.vorn"));
    QVERIFY(sound.contains("<StateItem>"));
    QTest::newRow("the writer's layout") << sound;
    const auto replaced = [&sound](const char* from, const char* to) {
        QByteArray copy = sound;
        return copy.replace(from, to);
    };
    QTest::newRow("entities in text") << replaced("<label>", "<label>a&amp;b&lt;&gt;&quot;&apos;");
    QTest::newRow("character reference") << replaced("<label>", "<label>&#65;");
    QTest::newRow("unknown entity") << replaced("<label>", "<label>&nope;");
    QTest::newRow("non-ASCII") << replaced("<label>", "<label>\xc3\xa4\xe2\x82\xac");
    QTest::newRow("bad UTF-8") << replaced("<label>", "<label>\xc3(");
    QTest::newRow("carriage return") << replaced("<label>", "<label>a\r\nb");
    QTest::newRow("control character") << replaced("<label>", "<label>\x01");
    QTest::newRow("CDATA end") << replaced("<label>", "<label>]]>");
    QTest::newRow("comment") << replaced("<StateItem>", "<!-- c --><StateItem>");
    QTest::newRow("processing instruction") << replaced("<StateItem>", "<?pi x?><StateItem>");
    QTest::newRow("CDATA") << replaced("<label>", "<label><![CDATA[x]]>");
    QTest::newRow("empty leaf") << replaced("<action></action>", "<action/>");
    QTest::newRow("child in leaf") << replaced("<label>", "<label><b/>");
    QTest::newRow("wrong end tag") << replaced("</label>", "</lable>");
    QTest::newRow("blank in end tag") << replaced("</label>", "</label >");
    QTest::newRow("tab in attribute") << replaced("level=\"", "level=\"\t");
    QTest::newRow("entity in attribute") << replaced("level=\"", "level=\"&amp;");
    QTest::newRow("single quotes") << replaced("level=\"2\"", "level='2'");
    QTest::newRow("duplicate attribute") << replaced("level=\"2\"", "level=\"2\" level=\"2\"");
    QTest::newRow("no blank between attributes") << replaced("\" Nos=", "\"Nos=");
    QTest::newRow("namespace prefix") << replaced("<StateItem>", "<x:StateItem>");
    QTest::newRow("other declaration") << replaced("encoding=\"UTF-8\"", "encoding=\"ISO-8859-1\"");
    QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf") + sound;
    QTest::newRow("doctype") << replaced("<VornProject>", "<!DOCTYPE VornProject><VornProject>");
    QTest::newRow("signed numbers") << replaced("<level>", "<level>+");
    QTest::newRow("negative zero") << replaced("<xCoord>", "<xCoord>-0");
    QTest::newRow("trailing garbage") << sound + "<x/>";
    for (int percent = 5; percent < 100; percent += 9)
        QTest::newRow(qPrintable(QStringLiteral("cut at %1%").arg(percent))) << sound.left(sound.size() * percent / 100);
}

void TestFastProjectIO::scannerReadsAsStreamReader()
{
    QFETCH(QByteArray, bytes);
    bool scanned = false;
    for (const Pass pass : {Pass::Check, Pass::Read, Pass::CheckAndRead})
        QCOMPARE(outcome(bytes, pass, true, &scanned), outcome(bytes, pass, false));
    for (const Fields fields : {Fields::Placement, Fields::Generation})
        QCOMPARE(outcome(bytes, Pass::CheckAndRead, true, nullptr, fields),
                 outcome(bytes, Pass::CheckAndRead, false, nullptr, fields));
    // A file is scanned a window at a time: tokens cut by the window's end
    // read as they do whole.
    for (const int piece : {1, 7, 100})
        QCOMPARE(windowed(bytes, Pass::Read, piece), windowed(bytes, Pass::Read, 0));
    // Files as the application writes them never need the stream reader.
    if (QByteArray(QTest::currentDataTag()).startsWith("Example") || QTest::currentDataTag() == QByteArray("the writer's layout"))
        QVERIFY(scanned);
}

void TestFastProjectIO::textWriterWritesAsStreamWriter()
{
    const QString tricky = ProjectFileWriter::xmlSafe(QStringLiteral("a<b>&c\"d'e\tf\ng\rh \u00e4\u20ac\U0001F600 ]]> &amp;"));
    const auto write = [&tricky](auto& writer) {
        writer.writeStartElement(QStringLiteral("Root"));
        writer.writeTextElement(QStringLiteral("ProjectFiles"), QStringLiteral("\r\nP\r\n    Q\r\n"));
        writer.writeStartElement(QStringLiteral("Empty"));
        writer.writeAttribute(QStringLiteral("number"), QStringLiteral("0"));
        writer.writeEndElement();
        writer.writeStartElement(QStringLiteral("Item"));
        writer.writeAttribute(QStringLiteral("label"), tricky);
        writer.writeAttribute(QStringLiteral("blank"), QString());
        writer.writeEndElement();
        writer.writeStartElement(QStringLiteral("Texts"));
        writer.writeTextElement(QStringLiteral("label"), tricky);
        writer.writeTextElement(QStringLiteral("none"), QString());
        writer.writeStartElement(QLatin1String("State"));
        writer.writeTextElement(QLatin1String("label"), tricky);
        writer.writeTextElement(QLatin1String("none"), QString());
        writer.writeEndElement();
        writer.writeStartElement(QLatin1String("Empty"));
        writer.writeAttribute(QLatin1String("number"), tricky);
        writer.writeEndElement();
        writer.writeStartElement(QStringLiteral("Inner"));
        writer.writeStartElement(QStringLiteral("Deep"));
        writer.writeEndElement();
        writer.writeEndElement();
        writer.writeEndElement();
        writer.writeEndElement();
    };
    QString expected;
    QXmlStreamWriter stream(&expected);
    stream.setAutoFormatting(true);
    write(stream);
    QString actual;
    XmlTextWriter text(&actual);
    write(text);
    QCOMPARE(actual, expected);
}

void TestFastProjectIO::wholeNumbersAreFormattedAsBefore()
{
    const QVector<double> values {0.0, -0.0, 1.0, -1.0, 42.0, 999999.0, -999999.0, 1000000.0, -1000000.0, 12.5,
                                  0.1, 1e7, 123456.7, 999999.4, -2.5e-7};
    for (const double value : values)
        QCOMPARE(ProjectFileWriter::formatReal(value), QString::number(value, 'g', 6));

    // The writer puts numbers into the file without strings of their own,
    // yet exactly as formatReal() and formatPointList() give them.
    Document document;
    QVERIFY(readDocument(QStringLiteral(KORVEL_SOURCE_DIR "/Examples/Example_1.vorn"), &document));
    ProjectNode* node = &document.root();
    while (!node->children().empty())
        node = node->children().front().get();
    QVector<QPointF> polygon;
    for (int i = 0; i + 1 < values.size(); i += 2)
        polygon.append(QPointF(values.at(i), values.at(i + 1)));
    QVERIFY(!node->diagram.states.isEmpty() && !node->diagram.transitions.isEmpty());
    StateElement& state = node->diagram.states[0].edit();
    state.position = QPointF(12.5, -0.0);
    state.polygon = polygon;
    state.colour = Colour(0x0a0b0c);
    node->diagram.transitions[0].edit().midPosition = QPointF(123456.7, -1e7);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("numbers.vorn"));
    QVERIFY(ProjectFileWriter().write(document, path));
    const QByteArray written = fileBytes(path);
    for (const QString& expected :
         {QStringLiteral("<xCoord>12.5</xCoord>"), QStringLiteral("<yCoord>%1</yCoord>").arg(ProjectFileWriter::formatReal(-0.0)),
          QStringLiteral("<backgroundColour>#0a0b0c</backgroundColour>"),
          QStringLiteral("<polygon>%1</polygon>").arg(ProjectFileWriter::formatPointList(polygon)),
          QStringLiteral("<midPos>%1,%2</midPos>").arg(ProjectFileWriter::formatReal(123456.7),
                                                       ProjectFileWriter::formatReal(-1e7))})
        QVERIFY2(written.contains(expected.toUtf8()), qPrintable(expected));
}

// Megabytes of action text: the load takes the room of a large project, and
// the text crosses the writer's flushes.
void TestFastProjectIO::largeProjectSavesAsItWasRead()
{
    QTemporaryDir folder;
    QByteArray bytes = fileBytes(QStringLiteral(KORVEL_SOURCE_DIR "/Examples/Example_1.vorn"));
    QByteArray action;
    for (int line = 0; action.size() < 3 * 1024 * 1024; ++line)
        action += "if (x &amp;&amp; y &lt; " + QByteArray::number(line) + ") { y++; }\n";
    QVERIFY(bytes.contains("<action>lamp_red = 1;"));
    bytes.replace("<action>lamp_red = 1;", "<action>" + action + "lamp_red = 1;");
    const QString large = folder.filePath(QStringLiteral("large.vorn"));
    QFile file(large);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    WindowlessCanvases project;
    QCOMPARE(project.load(large), WindowlessCanvases::Loaded);
    const QString saved = folder.filePath(QStringLiteral("saved.vorn"));
    QVERIFY(project.saveAs(saved));
    QVERIFY(fileBytes(saved) == bytes);
}

QTEST_MAIN(TestFastProjectIO)
// The reader needs no GUI, yet reads every colour text as the GUI's colour
// class does: the same validity and the same value, alpha included.
void TestFastProjectIO::coloursAreReadAsTheGuiReadsThem()
{
    QStringList texts {"", " ", "#", "#g00", "#fff", "#FfF", " #fff", "#fff ", "#80ff0000", "#abc\n", "white\n",
                       "Light Blue", "light\tblue", "LIGHTBLUE", "trans parent", "red ", "gr\u00e9en", "rouge"};
    for (const QString& name : QColor::colorNames())
        texts << name << name.toUpper() << QStringLiteral(" %1 ").arg(name) << name.left(name.size() - 1);
    // Hex of every length up to 14, with a stray non-digit now and then.
    QRandomGenerator random(4711);
    const QString digits = QStringLiteral("0123456789abcdefABCDEFxg");
    for (int length = 0; length <= 14; ++length) {
        for (int n = 0; n < 40; ++n) {
            QString text = QStringLiteral("#");
            for (int i = 0; i < length; ++i)
                text += digits.at(int(random.bounded(n % 5 == 0 ? 24 : 22)));
            texts << text;
        }
    }
    for (const QString& text : qAsConst(texts)) {
        const QColor gui(text);
        const ParsedColour parsed = ParsedColour::fromText(text);
        QVERIFY2(parsed.valid == gui.isValid(), qPrintable(text));
        if (gui.isValid())
            QVERIFY2(parsed.argb == gui.rgba(), qPrintable(text));
    }
}

#include "tst_fastprojectio.moc"
