// Replays the fuzzing corpus and every input that ever crashed or hung the
// reader. Corpus files named "sound-*" must pass the integrity check and be
// read completely; "corrupt-*" must fail the check. Every other input only
// has to come back, with the reader's promises kept.
//
// Every file that loads is then placed and saved as Open and Save do: it
// either names what it could not place ("loss-*" must) or saves to a file
// that loads without loss and saves to itself.

#include <QtTest>

#include <QDir>
#include <QDirIterator>
#include <QHash>

#include <QTemporaryDir>

#include "headlessproject.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "xmlio.h"

namespace {

template <typename Record>
int longestPolygon(const QVector<Record>& records)
{
    int longest = 0;
    for (const Record& record : records)
        longest = qMax(longest, record.polygon.size());
    return longest;
}

} // namespace

class TestFuzzRegressions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TestEnvironment::useThrowAwaySettings();
        TestEnvironment::loadResources();
    }
    void replay_data();
    void replay();
    void placeAndResave_data() { replay_data(); }
    void placeAndResave();
};

void TestFuzzRegressions::replay_data()
{
    QTest::addColumn<QString>("path");
    const QString root = QStringLiteral(KORVEL_SOURCE_DIR "/tests/fuzz");
    int count = 0;
    for (const QString& folder : {QStringLiteral("corpus"), QStringLiteral("regressions")}) {
        QDirIterator it(root + QLatin1Char('/') + folder, QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        QStringList paths;
        while (it.hasNext())
            paths << it.next();
        paths.sort();
        for (const QString& path : qAsConst(paths)) {
            QTest::newRow(qPrintable(folder + QLatin1Char('/') + QFileInfo(path).fileName())) << path;
            ++count;
        }
    }
    QVERIFY2(count >= 10, "the fuzzing corpus is missing");
}

void TestFuzzRegressions::replay()
{
    QFETCH(QString, path);
    const QString name = QFileInfo(path).fileName();

    XmlIO io;
    io.setFilePath(path);
    const bool sound = io.checkProjectFileCorrupt();
    QString names = QStringLiteral("unchanged");
    const bool namesRead = io.readProjectFileNames(&names);
    const bool read = io.readProjectFile();

    if (!namesRead)
        QCOMPARE(names, QStringLiteral("unchanged"));
    QVERIFY(longestPolygon(io.processItemRecords) <= 5);
    QVERIFY(longestPolygon(io.linkItemRecords) <= 5);
    QVERIFY(longestPolygon(io.memoryItemRecords) <= 5);
    QVERIFY(longestPolygon(io.dataflowItemRecords) <= 5);
    QVERIFY(longestPolygon(io.stateItemRecords) <= 5);
    QVERIFY(longestPolygon(io.transitionItemRecords) <= 5);
    QVERIFY(longestPolygon(io.textItemRecords) <= 5);

    if (name.startsWith(QLatin1String("sound-"))) {
        QVERIFY(sound);
        QVERIFY(namesRead);
        QVERIFY(read);
        QVERIFY(!io.processItemRecords.isEmpty());
    } else if (name.startsWith(QLatin1String("corrupt-"))) {
        QVERIFY(!sound);
    }
}

namespace {

struct Expectation
{
    QStringList lost;
    QString saveError;             // empty: the save succeeds
    QStringList written;           // texts the saved file holds
};

// What the damaged files of the issue cases must give, exactly.
QHash<QString, Expectation> expectations()
{
    QHash<QString, Expectation> table;
    table.insert(QStringLiteral("loss-orphan-subtree.vorn"),
                 {{QStringLiteral("process \"Software Module\" (level 4, id 1): no diagram (level 3, id 1, "
                                  "parent -1) to place it on"),
                   QStringLiteral("1 item(s) on the diagram \"Software Module\" (level 4), which no process "
                                  "of the project owns"),
                   QStringLiteral("3 item(s) on the diagram \"StateMachine_1\" (level 5), which no process "
                                  "of the project owns")},
                  {},
                  {QStringLiteral("        Microcontroller\r\n</ProjectFiles>")}});
    table.insert(QStringLiteral("loss-shared-diagram.vorn"),
                 {{QStringLiteral("process \"StateMachine_1\" (level 5, id 1): its diagram belongs to another "
                                  "process")},
                  {},
                  {QStringLiteral("<label>SecondaryState</label>")}});
    table.insert(QStringLiteral("loss-no-project-node.vorn"),
                 {{QStringLiteral("process \"Hardware Module\" (level 2, id 1): no diagram (level 1, id 1, "
                                  "parent 1) to place it on"),
                   QStringLiteral("the project node (level 1, id 1) is not the first process of the file")},
                  QStringLiteral("The project's structure is damaged: the first diagram is not the project node."),
                  {}});
    table.insert(QStringLiteral("loss-duplicate-process-names.vorn"),
                 {{QStringLiteral("link \"bus\" from \"SW_A\" to \"SW_B\": its processes are not found"),
                   QStringLiteral("dataflow \"shared\" from \"shared\" to \"SW_B\": its process or memory "
                                  "item is not found")},
                  {},
                  {}});
    table.insert(QStringLiteral("range-huge-numbers.vorn"),
                 {{QStringLiteral("transition \"DefaultTransition\": no state machine (id 1, parent 1) to "
                                  "place it on")},
                  {},
                  {QStringLiteral("xCoord=\"1e+06\" yCoord=\"-1e+06\" width=\"1000000\" height=\"-1000000\"")}});
    table.insert(QStringLiteral("colour-invalid.vorn"),
                 {{}, {}, {QStringLiteral("<backgroundColour>#e5e7e9</backgroundColour>")}});
    return table;
}

} // namespace

void TestFuzzRegressions::placeAndResave()
{
    QFETCH(QString, path);
    const QString name = QFileInfo(path).fileName();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString first = dir.filePath(QStringLiteral("first.vorn"));
    const QString second = dir.filePath(QStringLiteral("second.vorn"));

    HeadlessProject project;
    if (project.load(path) != HeadlessProject::Loaded) {
        QVERIFY(!name.startsWith(QLatin1String("sound-")));
        return;
    }
    const QStringList lost = project.canvases().lostItems();
    if (name.startsWith(QLatin1String("sound-")))
        QCOMPARE(lost, QStringList());
    if (name.startsWith(QLatin1String("loss-")))
        QVERIFY(!lost.isEmpty());
    for (const QString& line : lost)
        QVERIFY2(!line.trimmed().isEmpty(), qPrintable(name));

    const bool saved = project.saveAs(first);
    const Expectation expected = expectations().value(name);
    if (expectations().contains(name)) {
        QCOMPARE(lost, expected.lost);
        QCOMPARE(project.canvases().saveError(), expected.saveError);
    }
    if (!saved) {
        // A refused save says why and writes nothing.
        QVERIFY(!project.canvases().saveError().isEmpty());
        QVERIFY(!QFileInfo::exists(first));
        return;
    }
    const QString text = QString::fromUtf8(readAll(first));
    for (const QString& part : expected.written)
        QVERIFY2(text.contains(part), qPrintable(part));

    // What was saved is what the project held: it loads whole and saves to itself.
    HeadlessProject reloaded;
    QCOMPARE(reloaded.load(first), HeadlessProject::Loaded);
    QCOMPARE(reloaded.canvases().lostItems(), QStringList());
    QVERIFY2(reloaded.saveAs(second), qPrintable(reloaded.canvases().saveError()));
    QCOMPARE(readAll(second), readAll(first));
}

QTEST_MAIN(TestFuzzRegressions)
#include "tst_fuzzregressions.moc"
