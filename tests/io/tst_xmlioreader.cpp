// The project file reader: the integrity check's verdicts, what the read pass
// keeps of damaged items, and the point lists.

#include <QtTest>

#include <QBuffer>

#include "projectdocument.h"
#include "testenvironment.h"
#include "xmlio.h"

using Doc = ProjectDocument;
Q_DECLARE_METATYPE(ProjectDocument::Item)

namespace {

QBuffer* device(const QByteArray& bytes)
{
    auto* buffer = new QBuffer;
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return buffer;
}

bool check(const QByteArray& bytes)
{
    XmlIO io;
    QScopedPointer<QBuffer> buffer(device(bytes));
    return io.checkProjectFileCorrupt(buffer.data());
}

bool read(XmlIO& io, const QByteArray& bytes)
{
    QScopedPointer<QBuffer> buffer(device(bytes));
    return io.readProjectFile(buffer.data());
}

int recordCount(const XmlIO& io)
{
    return io.processItemRecords.size() + io.linkItemRecords.size() + io.memoryItemRecords.size()
        + io.dataflowItemRecords.size() + io.stateItemRecords.size()
        + io.transitionItemRecords.size() + io.textItemRecords.size();
}

QByteArray document(const QVector<Doc::Item>& items)
{
    Doc doc;
    doc.items = items;
    return doc.toXml();
}

QByteArray soundDocument()
{
    return document(Doc::kinds());
}

QVector<QPoint> rect(int w, int h)
{
    return {QPoint(0, 0), QPoint(w, 0), QPoint(w, h), QPoint(0, h), QPoint(0, 0)};
}

} // namespace

class TestXmlIOReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::useThrowAwaySettings(); }
    void verdicts_data();
    void verdicts();
    void everyPrefixOfSoundFileIsCorrupt();
    void stateRecord_data();
    void stateRecord();
    void pointList_data();
    void pointList();
};

void TestXmlIOReader::verdicts_data()
{
    // The check's verdict, then whether the read pass succeeds and how many
    // records it keeps (those read before a failure stay).
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<int>("records");

    QTest::newRow("every kind") << soundDocument() << true << true << 7;
    for (const Doc::Item& kind : Doc::kinds()) {
        for (int i = 0; i < kind.fields.size(); ++i) {
            const QString name = kind.fields.at(i).first;
            // A state may end early in the read pass, not in the check.
            const bool trailingOfState = kind.tag == QLatin1String("StateItem") && i >= 13;
            QTest::addRow("%s without %s", qPrintable(kind.tag), qPrintable(name))
                << document({Doc::process(), kind.without(name)}) << false << trailingOfState
                << (trailingOfState ? 2 : 1);
        }
    }
    QTest::newRow("state label before level") << document({Doc::state().swapped(0, 3)}) << false << false << 0;
    // The read pass keeps a state up to its first out-of-place optional child.
    QTest::newRow("state action after description") << document({Doc::state().swapped(13, 14)}) << false << true << 1;
    QTest::newRow("transition ends swapped") << document({Doc::transition().swapped(12, 13)}) << false << false << 0;
    QTest::newRow("text colours swapped") << document({Doc::text().swapped(8, 9)}) << false << false << 0;
    for (const char* last : {"polygon", "action", "description", "numberOfTI"}) {
        QTest::addRow("state ending after %s", last)
            << document({Doc::state(), Doc::state().truncatedAfter(last), Doc::transition()}) << false << true << 3;
    }
    QTest::newRow("initial flag 2") << document({Doc::state().with("ifInitialState", "2")}) << false << true << 1;
    QTest::newRow("initial flag -1") << document({Doc::state().with("ifInitialState", "-1")}) << true << true << 1;
    QTest::newRow("dataflow without ends")
        << document({Doc::dataflow().with("lineType", "3").without("startItem").without("endItem")}) << false << false
        << 0;
    QTest::newRow("dataflow of line type 7") << document({Doc::dataflow().with("lineType", "7")}) << true << true << 1;
    QTest::newRow("unparsable numbers and colours")
        << document({Doc::process().with("level", "two").with("id", "2147483648").with("xCoord", "inf")
                         .with("width", "12.5").with("backgroundColour", "#GGGGGG"),
                     Doc::state().with("xCoord", "left").with("height", "").with("backgroundColour", "")})
        << true << true << 2;
    QTest::newRow("foreign tags, attributes and containers")
        << document({{QStringLiteral("Comment"), true, {{"text", "ignored"}}},
                     Doc::process().with("extra", "1"),
                     {QStringLiteral("StateItems"), true, {{"number", "garbage"}}},
                     {QStringLiteral("Unknown"), false, {{"level", "9"}}},
                     Doc::memory().with("zOrder", "3")})
        << true << true << 2;
    QByteArray trailing = soundDocument();
    trailing.truncate(trailing.indexOf("</GraphicsItemList>") + int(qstrlen("</GraphicsItemList>")));
    QTest::newRow("junk after the item list") << trailing + "\n<<<not xml" << true << true << 7;

    const QByteArray decl("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    const QByteArray head = decl + "<VornProject>\n    <ProjectFiles>\r\nP\r\n</ProjectFiles>\n    <SceneData version=\"v1.0\">\n";
    const QByteArray items("        <GraphicsItemList>\n        </GraphicsItemList>\n    </SceneData>\n</VornProject>\n");
    QTest::newRow("empty file") << QByteArray() << false << false << 0;
    QTest::newRow("not xml") << QByteArray("just some text\n") << false << false << 0;
    QTest::newRow("only declaration") << decl << false << false << 0;
    QTest::newRow("other root") << QByteArray(head).replace("VornProject", "Project") + items << false << false << 0;
    QTest::newRow("empty tree text") << QByteArray(head).replace("\r\nP\r\n", "") + items << false << false << 0;
    QTest::newRow("no item list") << head + "    </SceneData>\n</VornProject>\n" << false << false << 0;
    QTest::newRow("without formatting")
        << decl + "<VornProject><ProjectFiles>P</ProjectFiles><SceneData version=\"v1.0\"><GraphicsItemList>"
                  "</GraphicsItemList></SceneData></VornProject>"
        << false << false << 0;
    QTest::newRow("mismatched end tag") << head + "        <GraphicsItemList>\n        </SceneData>\n" << false << false << 0;
    QTest::newRow("duplicate attribute") << head + "        <GraphicsItemList>\n            <Foo a=\"1\" a=\"2\"/>\n"
                                         << false << false << 0;
}

void TestXmlIOReader::verdicts()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, sound);
    QFETCH(bool, readable);
    QFETCH(int, records);
    QCOMPARE(check(bytes), sound);
    XmlIO io;
    QCOMPARE(read(io, bytes), readable);
    QCOMPARE(recordCount(io), records);
}

void TestXmlIOReader::everyPrefixOfSoundFileIsCorrupt()
{
    const QByteArray bytes = soundDocument();
    const int end = bytes.indexOf("</GraphicsItemList>") + int(qstrlen("</GraphicsItemList>"));
    for (int size = 0; size < end; ++size) {
        XmlIO io;
        if (check(bytes.left(size)) || read(io, bytes.left(size)))
            QFAIL(qPrintable(QStringLiteral("prefix of %1 bytes passed").arg(size)));
    }
    QVERIFY(check(bytes.left(end)));
}

void TestXmlIOReader::stateRecord_data()
{
    // What a state keeps: initial flag, action, description, number and
    // names of transitions (at most as many as numberOfTI says).
    QTest::addColumn<Doc::Item>("item");
    QTest::addColumn<QStringList>("kept");
    const Doc::Item s = Doc::state();
    QTest::newRow("whole") << s << QStringList({"1", "run();", "waits", "2", "Go|Back"});
    QTest::newRow("not initial") << s.with("ifInitialState", "0") << QStringList({"0", "run();", "waits", "2", "Go|Back"});
    QTest::newRow("flag 100") << s.with("ifInitialState", "100") << QStringList({"1", "run();", "waits", "2", "Go|Back"});
    QTest::newRow("flag in words") << s.with("ifInitialState", "yes") << QStringList({"0", "run();", "waits", "2", "Go|Back"});
    QTest::newRow("fewer names kept") << s.with("transitions", "a,b,c") << QStringList({"1", "run();", "waits", "2", "a|b"});
    QTest::newRow("count larger") << s.with("numberOfTI", "5") << QStringList({"1", "run();", "waits", "5", "Go|Back"});
    QTest::newRow("negative count") << s.with("numberOfTI", "-2") << QStringList({"1", "run();", "waits", "-2", ""});
    QTest::newRow("count in words") << s.with("numberOfTI", "many") << QStringList({"1", "run();", "waits", "0", ""});
    QTest::newRow("empty name kept") << s.with("numberOfTI", "3").with("transitions", "a,,c")
                                     << QStringList({"1", "run();", "waits", "3", "a||c"});
    QTest::newRow("ends after polygon") << s.truncatedAfter("polygon") << QStringList({"1", "", "", "0", ""});
    QTest::newRow("ends after description") << s.truncatedAfter("description")
                                            << QStringList({"1", "run();", "waits", "0", ""});
    QTest::newRow("action after description") << s.swapped(13, 14) << QStringList({"1", "", "", "0", ""});
}

void TestXmlIOReader::stateRecord()
{
    QFETCH(Doc::Item, item);
    QFETCH(QStringList, kept);
    // A full state first: nothing of it may leak into the one under test.
    XmlIO io;
    read(io, document({Doc::state().with("label", "Full").with("numberOfTI", "1").with("transitions", "X"), item}));
    QCOMPARE(io.stateItemRecords.size(), 2);
    const t_stateItemReadFromXML& r = io.stateItemRecords.at(1);
    QCOMPARE(QStringList({QString::number(r.ifInitialState), r.action, r.description, QString::number(r.numberOfTI),
                          r.transitions.join('|')}),
             kept);
    QCOMPARE(r.polygon, rect(280, 150));
}

void TestXmlIOReader::pointList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<QPoint>>("points");
    QTest::newRow("closed rectangle") << "0,0,280,0,280,150,0,150,0,0" << rect(280, 150);
    QTest::newRow("six points keep five") << "0,0,9,0,9,9,0,9,0,0,77,77" << rect(9, 9);
    QTest::newRow("fraction is cut, negative kept") << "12.5,-3,4,7.25" << QVector<QPoint>{{12, -3}, {4, 7}};
    QTest::newRow("exponent") << "1e+06,5" << QVector<QPoint>{{1000000, 5}};
    QTest::newRow("out of range is clamped") << "2147483648,-3e9,1e300,inf"
                                             << QVector<QPoint>{{1000000, -1000000}, {1000000, 0}};
    QTest::newRow("words read as zero") << "a,b" << QVector<QPoint>{{0, 0}};
    QTest::newRow("empty") << "" << QVector<QPoint>{};
    QTest::newRow("single number") << "5" << QVector<QPoint>{};
    QTest::newRow("odd count drops lone x") << "1,2,3" << QVector<QPoint>{{1, 2}};
    QTest::newRow("only commas") << ",,,," << QVector<QPoint>{{0, 0}, {0, 0}};
    QTest::newRow("x then comma") << "7," << QVector<QPoint>{{7, 0}};
    QTest::newRow("megabyte number") << QString(1 << 20, QLatin1Char('7')) << QVector<QPoint>{};
    QTest::newRow("many pairs") << QStringLiteral("1,2,").repeated(100000) << QVector<QPoint>(5, QPoint(1, 2));
}

void TestXmlIOReader::pointList()
{
    QFETCH(QString, text);
    QFETCH(QVector<QPoint>, points);
    QCOMPARE(XmlIO::parsePointList(text), points);
}

QTEST_GUILESS_MAIN(TestXmlIOReader)
#include "tst_xmlioreader.moc"
