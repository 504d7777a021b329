// The bundled examples: sound, stable under a save, and generating C that a
// C compiler accepts.

#include <QtTest>

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include "canvas.h"
#include "codegenerator.h"
#include "headlessproject.h"
#include "mainwindow.h"
#include "projectfixture.h"
#include "testenvironment.h"
#include "xmlio.h"

class TestExamples : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void examples_data();
    void examples();
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
    HeadlessProject project;
    QCOMPARE(project.load(file), HeadlessProject::Loaded);
    int machines = 0;
    for (const ProjectCanvases::StateMachine& machine : project.canvases().stateMachines()) {
        generator.setCanvasItem(machine.canvas);
        generator.setProcessItem(machine.process);
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

QTEST_MAIN(TestExamples)
#include "tst_examples.moc"
