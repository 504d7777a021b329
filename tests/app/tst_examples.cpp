// The bundled examples: sound, stable under a save, generating C that a C
// compiler accepts, and found in the working directory's folder from the
// source tree, or in the installed copy next to the program otherwise.

#include <QtTest>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "codegenerator.h"
#include "examplesfolder.h"
#include "documentfile.h"
#include "machineset.h"
#include "mainwindow.h"
#include "projectfixture.h"
#include "projectnode.h"
#include "testenvironment.h"
#include "xmlio.h"

class TestExamples : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void examples_data();
    void examples();
    void folderChoice_data();
    void folderChoice();
};

void TestExamples::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestExamples::examples_data()
{
    QTest::addColumn<QString>("name");
    const QStringList files = QDir(QStringLiteral(KORVEL_SOURCE_DIR "/Examples"))
                                  .entryList({QStringLiteral("*.vorn")}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 2);
    for (const QString& file : files)
        QTest::newRow(qPrintable(file)) << file;
}

void TestExamples::examples()
{
    QFETCH(QString, name);
    ProjectFixture fixture;
    const QString file = fixture.copyExample(name);
    const QByteArray original = fixture.bytes(file);

    XmlIO check;
    check.setFilePath(file);
    QVERIFY(check.checkProjectFileCorrupt());

    MainWindow w;
    w.openFile(file);
    QVERIFY(!w.getCanvases().isEmpty());
    QVERIFY(w.saveDataToFile());
    QCOMPARE(fixture.bytes(file), original);

    // Every state machine generates without design errors and compiles.
    const QString out = fixture.path("generated");
    QVERIFY(QDir().mkpath(out));
    CodeGenerator generator;
    generator.setAuthor("Korvel tests");
    generator.setOutputFolder(out + "/");
    // The generator runs headless over the state machines, as the tool does.
    int machines = 0;
    MachineSet taken;
    QVERIFY(readMachines(file, &taken));
    for (const ProjectNode* machine : taken.machines()) {
        generator.setMachine(machine);
        QVERIFY(generator.writeStateMachineFiles());
        QVERIFY2(generator.getErrorList().isEmpty(), qPrintable(QStringList(generator.getErrorList().toList()).join('\n')));
        ++machines;
    }
    QVERIFY(machines >= 2);

    const QString cc = QStandardPaths::findExecutable(QStringLiteral("cc"));
    if (cc.isEmpty())
        QSKIP("no C compiler on this machine");
    for (const QString& source : QDir(out).entryList({QStringLiteral("*.c")}, QDir::Files)) {
        QProcess compiler;
        compiler.setWorkingDirectory(out);
        compiler.start(cc, {"-std=c99", "-Wall", "-Wextra", "-Werror", "-c", source, "-o", source + ".o"});
        QVERIFY(compiler.waitForFinished(60000));
        QVERIFY2(compiler.exitCode() == 0, qPrintable(source + "\n" + compiler.readAllStandardError()));
    }
}

// Each place is "missing", "empty" or "full" (holds one example).
void TestExamples::folderChoice_data()
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

void TestExamples::folderChoice()
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

QTEST_MAIN(TestExamples)
#include "tst_examples.moc"
