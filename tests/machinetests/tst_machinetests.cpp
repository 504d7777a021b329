// korvel-cli test run as a process: the examples' tests pass with every state
// and transition of their machines covered, JUnit XML and coverage JSON are
// written, a changed guard fails the right case at the right line and tick,
// and bad test files, unknown names and crashing cases are refused by name.

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "testenvironment.h"
#include "testfiles.h"

namespace {

const QString cli = QStringLiteral(KORVEL_BINARY_DIR "/korvel-cli");

QString example(const QString& name)
{
    return QStringLiteral(KORVEL_SOURCE_DIR "/Examples/") + name;
}

struct Result
{
    int code = -1;
    QString out;
    QString err;
};

Result run(const QString& folder, const QStringList& arguments)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(cli, QStringList {QStringLiteral("test")} + arguments);
    Result result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.code = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// testsuite name -> the names of its testcases, and what failed.
QMap<QString, QStringList> suitesOf(const QByteArray& xml, QStringList* failures)
{
    QMap<QString, QStringList> suites;
    QXmlStreamReader reader(xml);
    QString suite;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QString name = reader.attributes().value(QLatin1String("name")).toString();
        if (reader.name() == QLatin1String("testsuite"))
            suite = name;
        else if (reader.name() == QLatin1String("testcase"))
            suites[suite] << name;
        else if (reader.name() == QLatin1String("failure"))
            *failures << reader.attributes().value(QLatin1String("message")).toString();
    }
    return reader.hasError() ? QMap<QString, QStringList>() : suites;
}

} // namespace

class TestMachineTests : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void examplesPassWithEverythingCovered();
    void changedGuardFailsItsCase();
    void refusals_data();
    void refusals();
};

void TestMachineTests::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    QVERIFY2(QFileInfo(cli).isExecutable(), qPrintable(cli));
}

void TestMachineTests::examplesPassWithEverythingCovered()
{
    QTemporaryDir dir;
    const Result result = run(dir.path(), {example("Example_1.vorn"), example("Example_1.kvtest"), "--junit",
                                           "results.xml", "--coverage", "coverage"});
    QCOMPARE(result.code, 0);
    const QStringList lines = result.out.split('\n');
    QCOMPARE(lines.mid(lines.size() - 4),
             QStringList({"coverage of Light_Sequencer: states 3/3 (100.0%), transitions 4/4 (100.0%)",
                          "coverage of Button_Debounce: states 2/2 (100.0%), transitions 3/3 (100.0%)",
                          "8 passed, 0 failed", ""}));
    QCOMPARE(lines.first(), QString("ok      Starts red with only the red lamp on"));

    QStringList failures;
    const QMap<QString, QStringList> suites = suitesOf(readAll(dir.filePath("results.xml")), &failures);
    QCOMPARE(suites.keys(), QStringList({example("Example_1.kvtest")}));
    QCOMPARE(suites.first().size(), 8);
    QCOMPARE(suites.first().value(2), QString("A walk request cuts the green short"));
    QVERIFY(failures.isEmpty());

    const QJsonArray machines =
        QJsonDocument::fromJson(readAll(dir.filePath("coverage/coverage.json"))).object().value("machines").toArray();
    QCOMPARE(machines.size(), 2);
    const QJsonObject lights = machines.at(0).toObject();
    QCOMPARE(lights.value("machine").toString(), QString("Light_Sequencer"));
    QCOMPARE(lights.value("transitions").toObject().value("total").toInt(), 4);
    QCOMPARE(lights.value("transitions").toObject().value("percent").toDouble(), 100.0);
    QCOMPARE(lights.value("states").toObject().value("missed").toArray().size(), 0);
    // A picture per machine; only the legend shows the colour of what was missed.
    QCOMPARE(filesIn(dir.filePath("coverage")),
             QStringList({"Button_Debounce.svg", "Light_Sequencer.svg", "coverage.json"}));
    const QByteArray picture = readAll(dir.filePath("coverage/Light_Sequencer.svg"));
    QVERIFY(picture.contains("reached by the tests"));
    QCOMPARE(picture.count("stroke=\"#e54848\""), 1);
}

void TestMachineTests::changedGuardFailsItsCase()
{
    QTemporaryDir dir;
    QByteArray project = readAll(example("Example_1.vorn"));
    QVERIFY(project.contains("(ticks &gt;= YELLOW_TICKS)"));
    project.replace("(ticks &gt;= YELLOW_TICKS)", "(ticks &gt;= YELLOW_TICKS + 1)");
    QVERIFY(writeFile(dir.filePath("changed.vorn"), project));
    const Result result = run(dir.path(), {"changed.vorn", example("Example_1.kvtest"), "--junit", "results.xml",
                                           "--coverage", "coverage"});
    QCOMPARE(result.code, 1);
    const QString at = example("Example_1.kvtest");
    const QString failure = at + ":36: until state Red within 8: at tick 108 the state is Yellow";
    QVERIFY2(result.out.contains("ok      Without a request the green lasts its time\n"
                                 "FAILED  Yellow leads back to red\n    " + failure + "\n"
                                 "      tick 104: Yellow\n      tick 105: Yellow\n      tick 106: Yellow\n"
                                 "      tick 107: Yellow\n      tick 108: Yellow\n"
                                 "ok      A steady press is seen after the debounce time\n"),
             qPrintable(result.out));
    // The transition that no longer fires is the one coverage misses.
    QVERIFY(result.out.contains("coverage of Light_Sequencer: states 3/3 (100.0%), transitions 3/4 (75.0%)\n"
                                "    never fired: T_stop\n"));
    QVERIFY(result.out.endsWith("7 passed, 1 failed\n"));
    QCOMPARE(readAll(dir.filePath("coverage/Light_Sequencer.svg")).count("stroke=\"#e54848\""), 2);
    QStringList failures;
    suitesOf(readAll(dir.filePath("results.xml")), &failures);
    QCOMPARE(failures, QStringList({failure}));
}

void TestMachineTests::refusals_data()
{
    QTest::addColumn<QByteArray>("tests");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("output");
    QTest::newRow("not a step") << QByteArray("machine Light_Sequencer\ntest t\nwait 3\n")
                                << "korvel-cli: cases.kvtest:3: expected a step (set VAR = EXPR, tick [N], expect "
                                   "state NAME, expect EXPR or until state NAME within N), not \"wait 3\"\n"
                                << QString();
    QTest::newRow("no machine") << QByteArray("# none yet\ntest t\n")
                                << "korvel-cli: cases.kvtest:2: expected \"machine NAME\" before the first test\n"
                                << QString();
    QTest::newRow("unknown machine") << QByteArray("machine Lights\ntest t\ntick\n")
                                     << "korvel-cli: cases.kvtest:2: the project has no state machine \"Lights\"\n"
                                     << QString();
    QTest::newRow("unknown state") << QByteArray("machine Light_Sequencer\ntest t\nexpect state Blue\n")
                                   << "korvel-cli: cases.kvtest:3: machine Light_Sequencer has no state Blue\n"
                                   << QString();
    QTest::newRow("crash") << QByteArray("machine Light_Sequencer\ntest divides by zero\ntick 2\n"
                                         "set ticks = ticks / (ticks - ticks)\ntick\n")
                           << QString()
                           << "ERROR   divides by zero\n    cases.kvtest:2: crashed after tick 2\n"
                              "      tick 0: Red\n      tick 1: Red\n      tick 2: Red\n";
}

void TestMachineTests::refusals()
{
    QFETCH(QByteArray, tests);
    QFETCH(QString, error);
    QFETCH(QString, output);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath("cases.kvtest"), tests));
    QVERIFY(writeFile(dir.filePath("project.vorn"), readAll(example("Example_1.vorn"))));
    const Result result = run(dir.path(), {"project.vorn", "cases.kvtest"});
    QCOMPARE(result.code, 2);
    QCOMPARE(result.err, error);
    QVERIFY2(result.out.startsWith(output), qPrintable(result.out));
}

QTEST_MAIN(TestMachineTests)
#include "tst_machinetests.moc"
