// Where the examples are found: the working directory's folder from the
// source tree, the installed copy next to the program otherwise.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "examplesfolder.h"
#include "testenvironment.h"

class TestExamplesFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void choice_data();
    void choice();
};

void TestExamplesFolder::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

// Each place is "missing", "empty" or "full" (holds one example).
void TestExamplesFolder::choice_data()
{
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("installed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("source tree") << "full" << "full" << "work/Examples";
    QTest::newRow("installed, elsewhere") << "missing" << "full" << "prefix/share/korvel/examples";
    QTest::newRow("installed, empty local folder") << "empty" << "full" << "prefix/share/korvel/examples";
    QTest::newRow("nowhere") << "missing" << "missing" << "work/Examples";
    QTest::newRow("empty installed folder") << "missing" << "empty" << "work/Examples";
}

void TestExamplesFolder::choice()
{
    QFETCH(QString, local);
    QFETCH(QString, installed);
    QFETCH(QString, expected);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QDir top(root.path());
    QVERIFY(top.mkpath(QStringLiteral("work")) && top.mkpath(QStringLiteral("prefix/bin")));
    const auto make = [&](const QString& state, const QString& folder) {
        if (state == QLatin1String("missing"))
            return true;
        if (!top.mkpath(folder))
            return false;
        if (state == QLatin1String("empty"))
            return true;
        QFile example(top.filePath(folder + QStringLiteral("/Example_1.vorn")));
        return example.open(QIODevice::WriteOnly) && example.write("<VornProject/>") > 0;
    };
    QVERIFY(make(local, QStringLiteral("work/Examples")));
    QVERIFY(make(installed, QStringLiteral("prefix/share/korvel/examples")));

    // The installed folder comes back without "..", as the file dialog shows it.
    QCOMPARE(ExamplesFolder::path(top.filePath(QStringLiteral("work")),
                                  top.filePath(QStringLiteral("prefix/bin"))),
             top.filePath(expected));
}

QTEST_MAIN(TestExamplesFolder)
#include "tst_examplesfolder.moc"
