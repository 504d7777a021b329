// The project file reader: integrity check, tree-text pass and read pass.

#include <QtTest>

#include <QBuffer>
#include <QTemporaryDir>

#include "projectdocument.h"
#include "testenvironment.h"
#include "xmlio.h"

using Doc = ProjectDocument;

Q_DECLARE_METATYPE(ProjectDocument::Item)

namespace {

bool check(const QByteArray& bytes)
{
    XmlIO io;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return io.checkProjectFileCorrupt(&buffer);
}

bool read(XmlIO& io, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return io.readProjectFile(&buffer);
}

bool readNames(XmlIO& io, const QByteArray& bytes, QString* names)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return io.readProjectFileNames(&buffer, names);
}

int recordCount(const XmlIO& io)
{
    return io.processItemRecords.size() + io.linkItemRecords.size() + io.memoryItemRecords.size()
        + io.dataflowItemRecords.size() + io.stateItemRecords.size()
        + io.transitionItemRecords.size() + io.textItemRecords.size();
}

QVector<QPoint> rect(int w, int h)
{
    return {QPoint(0, 0), QPoint(w, 0), QPoint(w, h), QPoint(0, h), QPoint(0, 0)};
}

QByteArray soundDocument()
{
    Doc doc;
    doc.treeText = QStringLiteral("\r\nP\r\n    Hardware Module\r\n");
    doc.add(Doc::process()).add(Doc::link()).add(Doc::memory()).add(Doc::dataflow())
        .add(Doc::state()).add(Doc::transition()).add(Doc::text());
    return doc.toXml();
}

} // namespace

class TestXmlIOReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::useThrowAwaySettings(); }

    void pointList_data();
    void pointList();
    void pointListWithoutCommaDoesNotLoop();

    void soundDocumentPassesAndReadsEveryField();
    void readsEveryKindInDocumentOrderIgnoringContainers();
    void treeText_data();
    void treeText();

    void missingField_data();
    void missingField();
    void childrenInAnotherOrderAreCorrupt_data();
    void childrenInAnotherOrderAreCorrupt();
    void dataflowWithoutEndsIsCorrupt();
    void ifInitialState_data();
    void ifInitialState();
    void stateEndingEarlyIsReadButNotChecked_data();
    void stateEndingEarlyIsReadButNotChecked();

    void polygonOfEveryKind_data();
    void polygonOfEveryKind();
    void transitionsKeepAtMostNumberOfTI_data();
    void transitionsKeepAtMostNumberOfTI();
    void unparsableValuesBecomeZeroOrInvalid();

    void foreignTagsAndAttributesArePassedOver();
    void checkStopsAtEndOfItemList();
    void corruptHeader_data();
    void corruptHeader();
    void everyPrefixOfSoundFileIsCorrupt();
    void readAppendsAndFailedReadKeepsEarlierRecords();
    void filePathApi();
};

void TestXmlIOReader::pointList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<QPoint>>("points");

    QTest::newRow("closed rectangle") << "0,0,280,0,280,150,0,150,0,0" << rect(280, 150);
    QTest::newRow("four points") << "1,2,3,4,5,6,7,8"
                                 << QVector<QPoint>{{1, 2}, {3, 4}, {5, 6}, {7, 8}};
    QTest::newRow("six points keep five") << "0,0,9,0,9,9,0,9,0,0,77,77" << rect(9, 9);
    QTest::newRow("negative") << "-3,-4" << QVector<QPoint>{{-3, -4}};
    QTest::newRow("fraction is cut") << "12.5,3,4,7.25"
                                     << QVector<QPoint>{{12, 3}, {4, 7}};
    QTest::newRow("exponent reads back") << "1e+06,5" << QVector<QPoint>{{1000000, 5}};
    QTest::newRow("out of range is clamped") << "2147483648,-3e9,1e300,inf"
                                             << QVector<QPoint>{{1000000, -1000000}, {1000000, 0}};
    QTest::newRow("words read as zero") << "a,b" << QVector<QPoint>{{0, 0}};
    QTest::newRow("empty") << "" << QVector<QPoint>{};
    QTest::newRow("single number") << "5" << QVector<QPoint>{};
    QTest::newRow("odd count drops lone x") << "1,2,3" << QVector<QPoint>{{1, 2}};
    QTest::newRow("trailing comma") << "1,2," << QVector<QPoint>{{1, 2}};
    QTest::newRow("only commas") << ",,,," << QVector<QPoint>{{0, 0}, {0, 0}};
    QTest::newRow("x then comma") << "7," << QVector<QPoint>{{7, 0}};
}

void TestXmlIOReader::pointList()
{
    QFETCH(QString, text);
    QFETCH(QVector<QPoint>, points);
    QCOMPARE(XmlIO::parsePointList(text), points);
}

void TestXmlIOReader::pointListWithoutCommaDoesNotLoop()
{
    const QString longNumber(1 << 20, QLatin1Char('7'));
    QCOMPARE(XmlIO::parsePointList(longNumber).size(), 0);
    const QString manyPairs = QStringLiteral("1,2,").repeated(100000);
    QCOMPARE(XmlIO::parsePointList(manyPairs).size(), 5);
}

void TestXmlIOReader::soundDocumentPassesAndReadsEveryField()
{
    const QByteArray bytes = soundDocument();
    QVERIFY(check(bytes));

    XmlIO io;
    QVERIFY(read(io, bytes));
    QCOMPARE(recordCount(io), 7);
    // Attribute values keep their carriage returns; numbers, colours and
    // point lists are read as such.
    QCOMPARE(Doc::fields(io.processItemRecords.first()), Doc::values(Doc::process()));
    QCOMPARE(Doc::fields(io.linkItemRecords.first()), Doc::values(Doc::link()));
    QCOMPARE(Doc::fields(io.memoryItemRecords.first()), Doc::values(Doc::memory()));
    QCOMPARE(Doc::fields(io.dataflowItemRecords.first()), Doc::values(Doc::dataflow()));
    QCOMPARE(Doc::fields(io.stateItemRecords.first()), Doc::values(Doc::state()));
    QCOMPARE(Doc::fields(io.transitionItemRecords.first()), Doc::values(Doc::transition()));
    QCOMPARE(Doc::fields(io.textItemRecords.first()), Doc::values(Doc::text()));
    QCOMPARE(io.processItemRecords.first().yCoord, -20.0);
    QCOMPARE(io.linkItemRecords.first().yCoord, 1e6);
    QCOMPARE(io.stateItemRecords.first().transitions, QStringList({"Go", "Back"}));
}

void TestXmlIOReader::readsEveryKindInDocumentOrderIgnoringContainers()
{
    Doc doc;
    doc.add(Doc::process().with("label", "first"))
        .add({QStringLiteral("StateItems"), true, {{"number", "99"}}})
        .add(Doc::state().with("label", "S1"))
        .add(Doc::process().with("label", "second"))
        .add(Doc::state().with("label", "S2"))
        .add({QStringLiteral("LinkItems"), true, {{"number", "garbage"}}})
        .add(Doc::state().with("label", "S3"));
    XmlIO io;
    QVERIFY(check(doc.toXml()));
    QVERIFY(read(io, doc.toXml()));
    QCOMPARE(io.processItemRecords.size(), 2);
    QCOMPARE(io.processItemRecords.at(0).label, QStringLiteral("first"));
    QCOMPARE(io.processItemRecords.at(1).label, QStringLiteral("second"));
    QCOMPARE(io.stateItemRecords.size(), 3);
    QCOMPARE(io.stateItemRecords.at(0).label, QStringLiteral("S1"));
    QCOMPARE(io.stateItemRecords.at(1).label, QStringLiteral("S2"));
    QCOMPARE(io.stateItemRecords.at(2).label, QStringLiteral("S3"));
}

void TestXmlIOReader::treeText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("names"); // left untouched on failure
    Doc doc;
    doc.treeText = QStringLiteral("\r\nDoor\r\n    Hardware Module\r\n        Micro & <Co>\r\n");
    // XML reading turns every CR LF into LF.
    QTest::newRow("sound") << doc.toXml() << "\nDoor\n    Hardware Module\n        Micro & <Co>\n";
    QTest::newRow("empty") << QByteArray() << "untouched";
    QTest::newRow("other root") << QByteArray("<?xml version=\"1.0\"?>\n<Project>\n    <ProjectFiles>x</ProjectFiles>\n</Project>\n") << "untouched";
    QTest::newRow("no whitespace before tree") << QByteArray("<?xml version=\"1.0\"?><VornProject><ProjectFiles>x</ProjectFiles></VornProject>") << "untouched";
    QTest::newRow("element inside tree") << QByteArray("<?xml version=\"1.0\"?>\n<VornProject>\n    <ProjectFiles>x<b/>y</ProjectFiles>\n</VornProject>\n") << "untouched";
    QTest::newRow("cut in tree") << QByteArray("<?xml version=\"1.0\"?>\n<VornProject>\n    <ProjectFiles>\r\nP\r\n") << "untouched";
}

void TestXmlIOReader::treeText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, names);
    XmlIO io;
    QString got = QStringLiteral("untouched");
    QCOMPARE(readNames(io, bytes, &got), names != QLatin1String("untouched"));
    QCOMPARE(got, names);
}

void TestXmlIOReader::missingField_data()
{
    QTest::addColumn<ProjectDocument::Item>("item");
    QTest::addColumn<bool>("readPasses");

    const QVector<Doc::Item> kinds = {Doc::process(), Doc::link(), Doc::memory(), Doc::dataflow(),
                                      Doc::state(), Doc::transition(), Doc::text()};
    for (const Doc::Item& kind : kinds) {
        for (int i = 0; i < kind.fields.size(); ++i) {
            const QString name = kind.fields.at(i).first;
            // A state may end early in the read pass, not in the check.
            const bool trailingOfState = kind.tag == QLatin1String("StateItem") && i >= 13;
            QTest::addRow("%s without %s", qPrintable(kind.tag), qPrintable(name))
                << kind.without(name) << trailingOfState;
        }
    }
}

void TestXmlIOReader::missingField()
{
    QFETCH(ProjectDocument::Item, item);
    QFETCH(bool, readPasses);

    Doc doc;
    doc.add(Doc::process().with("label", "before")).add(item);
    const QByteArray bytes = doc.toXml();
    QVERIFY(!check(bytes));
    XmlIO io;
    QCOMPARE(read(io, bytes), readPasses);
    // The record read before the failure stays.
    QCOMPARE(io.processItemRecords.value(0).label, QStringLiteral("before"));
    QCOMPARE(recordCount(io), readPasses ? 2 : 1);
}

void TestXmlIOReader::childrenInAnotherOrderAreCorrupt_data()
{
    QTest::addColumn<ProjectDocument::Item>("item");
    QTest::newRow("state label before level") << Doc::state().swapped(0, 3);
    QTest::newRow("state action after description") << Doc::state().swapped(13, 14);
    QTest::newRow("transition start and end") << Doc::transition().swapped(12, 13).with("startItem", "x");
    QTest::newRow("transition last two") << Doc::transition().swapped(14, 15);
    QTest::newRow("text colours") << Doc::text().swapped(8, 9);
}

void TestXmlIOReader::childrenInAnotherOrderAreCorrupt()
{
    QFETCH(ProjectDocument::Item, item);
    Doc doc;
    doc.add(item);
    QVERIFY(!check(doc.toXml()));
    XmlIO io;
    if (item.tag == QLatin1String("StateItem") && item.fields.at(13).first == QLatin1String("description")) {
        // The read pass keeps a state up to its first out-of-place optional child.
        QVERIFY(read(io, doc.toXml()));
        QCOMPARE(io.stateItemRecords.size(), 1);
        QCOMPARE(io.stateItemRecords.first().action, QString());
    } else {
        QVERIFY(!read(io, doc.toXml()));
        QCOMPARE(recordCount(io), 0);
    }
}

void TestXmlIOReader::dataflowWithoutEndsIsCorrupt()
{
    Doc doc;
    doc.add(Doc::dataflow().with("lineType", "3").without("startItem").without("endItem"));
    QVERIFY(!check(doc.toXml()));
    XmlIO io;
    QVERIFY(!read(io, doc.toXml()));
    QCOMPARE(io.dataflowItemRecords.size(), 0);

    // A line type outside 1 and 2 with both ends present is not the check's business.
    Doc odd;
    odd.add(Doc::dataflow().with("lineType", "7"));
    QVERIFY(check(odd.toXml()));
}

void TestXmlIOReader::ifInitialState_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("initial");
    QTest::newRow("0") << "0" << true << false;
    QTest::newRow("1") << "1" << true << true;
    QTest::newRow("2") << "2" << false << true;
    QTest::newRow("100") << "100" << false << true;
    QTest::newRow("-1") << "-1" << true << true;
    QTest::newRow("not a number") << "yes" << true << false;
    QTest::newRow("empty") << "" << true << false;
}

void TestXmlIOReader::ifInitialState()
{
    QFETCH(QString, value);
    QFETCH(bool, sound);
    QFETCH(bool, initial);
    Doc doc;
    doc.add(Doc::state().with("ifInitialState", value));
    QCOMPARE(check(doc.toXml()), sound);
    XmlIO io;
    QVERIFY(read(io, doc.toXml()));
    QCOMPARE(io.stateItemRecords.size(), 1);
    QCOMPARE(io.stateItemRecords.first().ifInitialState, initial);
}

void TestXmlIOReader::stateEndingEarlyIsReadButNotChecked_data()
{
    QTest::addColumn<QString>("lastChild");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("numberOfTI");
    QTest::newRow("after polygon") << "polygon" << "" << "" << 0;
    QTest::newRow("after action") << "action" << "run();" << "" << 0;
    QTest::newRow("after description") << "description" << "run();" << "waits" << 0;
    QTest::newRow("after numberOfTI") << "numberOfTI" << "run();" << "waits" << 2;
}

void TestXmlIOReader::stateEndingEarlyIsReadButNotChecked()
{
    QFETCH(QString, lastChild);
    QFETCH(QString, action);
    QFETCH(QString, description);
    QFETCH(int, numberOfTI);

    // A full state first: nothing of it may leak into the short one.
    Doc doc;
    doc.add(Doc::state().with("label", "Full"))
        .add(Doc::state().truncatedAfter(lastChild))
        .add(Doc::transition());
    QVERIFY(!check(doc.toXml()));
    XmlIO io;
    QVERIFY(read(io, doc.toXml()));
    QCOMPARE(io.stateItemRecords.size(), 2);
    const t_stateItemReadFromXML& s = io.stateItemRecords.at(1);
    QCOMPARE(s.label, QStringLiteral("Idle"));
    QCOMPARE(s.polygon, rect(280, 150));
    QCOMPARE(s.action, action);
    QCOMPARE(s.description, description);
    QCOMPARE(s.numberOfTI, numberOfTI);
    QCOMPARE(s.transitions, QStringList());
    // The item after the short state is still found.
    QCOMPARE(io.transitionItemRecords.size(), 1);
    QCOMPARE(io.transitionItemRecords.first().label, QStringLiteral("Go"));
}

void TestXmlIOReader::polygonOfEveryKind_data()
{
    QTest::addColumn<ProjectDocument::Item>("item");
    QTest::addColumn<QVector<QPoint>>("points");
    const QString four = QStringLiteral("1,1,2,2,3,3,4,4");
    const QString six = QStringLiteral("1,1,2,2,3,3,4,4,5,5,6,6");
    const QVector<QPoint> fourPoints {{1, 1}, {2, 2}, {3, 3}, {4, 4}};
    const QVector<QPoint> fivePoints {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
    const QVector<Doc::Item> kinds = {Doc::process(), Doc::link(), Doc::memory(), Doc::dataflow(),
                                      Doc::state(), Doc::transition(), Doc::text()};
    for (const Doc::Item& kind : kinds) {
        QTest::addRow("%s four", qPrintable(kind.tag)) << kind.with("polygon", four) << fourPoints;
        QTest::addRow("%s six", qPrintable(kind.tag)) << kind.with("polygon", six) << fivePoints;
        QTest::addRow("%s no comma", qPrintable(kind.tag)) << kind.with("polygon", "123") << QVector<QPoint>();
    }
}

void TestXmlIOReader::polygonOfEveryKind()
{
    QFETCH(ProjectDocument::Item, item);
    QFETCH(QVector<QPoint>, points);
    Doc doc;
    doc.add(item);
    QVERIFY(check(doc.toXml()));
    XmlIO io;
    QVERIFY(read(io, doc.toXml()));
    QVector<QPoint> got;
    const auto take = [&got](const auto& records) { if (!records.isEmpty()) got = records.first().polygon; };
    take(io.processItemRecords), take(io.linkItemRecords), take(io.memoryItemRecords), take(io.dataflowItemRecords);
    take(io.stateItemRecords), take(io.transitionItemRecords), take(io.textItemRecords);
    QCOMPARE(recordCount(io), 1);
    QCOMPARE(got, points);
}

void TestXmlIOReader::transitionsKeepAtMostNumberOfTI_data()
{
    QTest::addColumn<QString>("numberOfTI");
    QTest::addColumn<QString>("transitions");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("exact") << "3" << "a,b,c" << QStringList({"a", "b", "c"});
    QTest::newRow("fewer kept") << "2" << "a,b,c" << QStringList({"a", "b"});
    QTest::newRow("count larger") << "5" << "a,b" << QStringList({"a", "b"});
    QTest::newRow("zero") << "0" << "a,b" << QStringList();
    QTest::newRow("negative") << "-2" << "a,b" << QStringList();
    QTest::newRow("none") << "0" << "" << QStringList();
    QTest::newRow("empty names kept") << "3" << "a,,c" << QStringList({"a", "", "c"});
    QTest::newRow("not a number") << "many" << "a" << QStringList();
}

void TestXmlIOReader::transitionsKeepAtMostNumberOfTI()
{
    QFETCH(QString, numberOfTI);
    QFETCH(QString, transitions);
    QFETCH(QStringList, names);
    Doc doc;
    doc.add(Doc::state().with("numberOfTI", numberOfTI).with("transitions", transitions));
    XmlIO io;
    QVERIFY(read(io, doc.toXml()));
    QCOMPARE(io.stateItemRecords.first().transitions, names);
    QCOMPARE(io.stateItemRecords.first().numberOfTI, numberOfTI.toInt());
}

void TestXmlIOReader::unparsableValuesBecomeZeroOrInvalid()
{
    Doc doc;
    doc.add(Doc::process()
                .with("level", "two")
                .with("id", "2147483648")
                .with("xCoord", "inf")
                .with("yCoord", "nan")
                .with("width", "12.5")
                .with("backgroundColour", "#GGGGGG"))
        .add(Doc::state().with("xCoord", "left").with("height", "").with("backgroundColour", ""))
        .add(Doc::text().with("textColour", "#ABCDEF").with("type", "0x2"));
    QVERIFY(check(doc.toXml()));
    XmlIO io;
    QVERIFY(read(io, doc.toXml()));
    const t_processItemReadFromXML& p = io.processItemRecords.first();
    QCOMPARE(p.level, 0);
    QCOMPARE(p.id, 0);
    QCOMPARE(p.xCoord, 0.0);
    QCOMPARE(p.yCoord, 0.0);
    QCOMPARE(p.width, 0);
    QVERIFY(!p.backgroundColour.isValid());
    const t_stateItemReadFromXML& s = io.stateItemRecords.first();
    QCOMPARE(s.xCoord, 0.0);
    QCOMPARE(s.height, 0);
    QVERIFY(!s.backgroundColour.isValid());
    const t_textItemReadFromXML& t = io.textItemRecords.first();
    QCOMPARE(t.textColour, QColor(0xab, 0xcd, 0xef));
    QCOMPARE(t.type, 0);
}

void TestXmlIOReader::foreignTagsAndAttributesArePassedOver()
{
    Doc doc;
    doc.add(Doc::foreign())
        .add(Doc::process().with("extra", "1").with("another", "x"))
        .add({QStringLiteral("Unknown"), false, {{"level", "9"}}})
        .add(Doc::memory().with("zOrder", "3"));
    QVERIFY(check(doc.toXml()));
    XmlIO io;
    QVERIFY(read(io, doc.toXml()));
    QCOMPARE(io.processItemRecords.size(), 1);
    QCOMPARE(io.memoryItemRecords.size(), 1);
    QCOMPARE(recordCount(io), 2);
}

void TestXmlIOReader::checkStopsAtEndOfItemList()
{
    // What follows the item list is not looked at, not even whether it is well-formed.
    QByteArray bytes = soundDocument();
    const int end = bytes.indexOf("</GraphicsItemList>") + int(qstrlen("</GraphicsItemList>"));
    bytes.truncate(end);
    bytes.append("\n<<<not xml");
    QVERIFY(check(bytes));
    XmlIO io;
    QVERIFY(read(io, bytes));
    QCOMPARE(recordCount(io), 7);
}

void TestXmlIOReader::corruptHeader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray decl("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    const QByteArray items("        <GraphicsItemList>\n        </GraphicsItemList>\n    </SceneData>\n</VornProject>\n");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("not xml") << QByteArray("just some text\n");
    QTest::newRow("only declaration") << decl;
    QTest::newRow("other root") << decl + "<Project>\n    <ProjectFiles>\r\nP\r\n</ProjectFiles>\n    <SceneData>\n" + items;
    QTest::newRow("empty tree text")
        << decl + "<VornProject>\n    <ProjectFiles></ProjectFiles>\n    <SceneData version=\"v1.0\">\n" + items;
    QTest::newRow("no tree")
        << decl + "<VornProject>\n    <SceneData version=\"v1.0\">\n" + items;
    QTest::newRow("no item list")
        << decl + "<VornProject>\n    <ProjectFiles>\r\nP\r\n</ProjectFiles>\n    <SceneData version=\"v1.0\">\n    </SceneData>\n</VornProject>\n";
    QTest::newRow("without formatting")
        << decl + "<VornProject><ProjectFiles>P</ProjectFiles><SceneData version=\"v1.0\"><GraphicsItemList></GraphicsItemList></SceneData></VornProject>";
    QTest::newRow("item list never closed")
        << decl + "<VornProject>\n    <ProjectFiles>\r\nP\r\n</ProjectFiles>\n    <SceneData version=\"v1.0\">\n        <GraphicsItemList>\n";
    QTest::newRow("mismatched end tag")
        << decl + "<VornProject>\n    <ProjectFiles>\r\nP\r\n</ProjectFiles>\n    <SceneData version=\"v1.0\">\n        <GraphicsItemList>\n        </SceneData>\n";
    QTest::newRow("duplicate attribute")
        << decl + "<VornProject>\n    <ProjectFiles>\r\nP\r\n</ProjectFiles>\n    <SceneData version=\"v1.0\">\n        <GraphicsItemList>\n            <Foo a=\"1\" a=\"2\"/>\n        </GraphicsItemList>\n";
}

void TestXmlIOReader::corruptHeader()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!check(bytes));
    XmlIO io;
    QVERIFY(!read(io, bytes));
    QCOMPARE(recordCount(io), 0);
}

void TestXmlIOReader::everyPrefixOfSoundFileIsCorrupt()
{
    const QByteArray bytes = soundDocument();
    const int end = bytes.indexOf("</GraphicsItemList>") + int(qstrlen("</GraphicsItemList>"));
    for (int size = 0; size < end; ++size) {
        if (check(bytes.left(size)))
            QFAIL(qPrintable(QStringLiteral("prefix of %1 bytes passed").arg(size)));
        XmlIO io;
        if (read(io, bytes.left(size)))
            QFAIL(qPrintable(QStringLiteral("prefix of %1 bytes was read").arg(size)));
    }
    QVERIFY(check(bytes.left(end)));
}

void TestXmlIOReader::readAppendsAndFailedReadKeepsEarlierRecords()
{
    XmlIO io;
    QVERIFY(read(io, soundDocument()));
    QVERIFY(read(io, soundDocument()));
    QCOMPARE(io.textItemRecords.size(), 2);
    QCOMPARE(recordCount(io), 14);

    Doc doc;
    doc.add(Doc::process()).add(Doc::state()).add(Doc::link().without("polygon")).add(Doc::memory());
    XmlIO failed;
    QVERIFY(!read(failed, doc.toXml()));
    QCOMPARE(failed.processItemRecords.size(), 1);
    QCOMPARE(failed.stateItemRecords.size(), 1);
    QCOMPARE(recordCount(failed), 2);
}

void TestXmlIOReader::filePathApi()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    XmlIO io;
    QString names = QStringLiteral("untouched");
    for (const QString& path : {QString(), dir.filePath(QStringLiteral("missing.vorn")), dir.path()}) {
        io.setFilePath(path);
        QVERIFY(!io.checkProjectFileCorrupt());
        QVERIFY(!io.readProjectFileNames(&names));
        QVERIFY(!io.readProjectFile());
    }
    QCOMPARE(names, QStringLiteral("untouched"));

    const QString path = dir.filePath(QStringLiteral("Sound.vorn"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(soundDocument());
    file.close();
    io.setFilePath(path);
    QVERIFY(io.checkProjectFileCorrupt());
    QVERIFY(io.readProjectFileNames(&names));
    QCOMPARE(names, QStringLiteral("\nP\n    Hardware Module\n"));
    QVERIFY(io.readProjectFile());
    QCOMPARE(recordCount(io), 7);
}

QTEST_GUILESS_MAIN(TestXmlIOReader)
#include "tst_xmlioreader.moc"
