// Replays the fuzzing corpus and every input that ever crashed or hung the
// reader. Corpus files named "sound-*" must pass the integrity check and be
// read completely; "corrupt-*" must fail the check. Every other input only
// has to come back, with the reader's promises kept.

#include <QtTest>

#include <QDir>
#include <QDirIterator>

#include "testenvironment.h"
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
    void initTestCase() { TestEnvironment::useThrowAwaySettings(); }
    void replay_data();
    void replay();
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

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzzregressions.moc"
