// The Code Generator command of the main window asks before it replaces a
// user's files, and writes nothing until the answer is given.

#include <QtTest>

#include <QDialogButtonBox>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>

#include "createproject.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "testenvironment.h"
#include "testfiles.h"

class TestCodegenFrontEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void existingFilesPrompt_data();
    void existingFilesPrompt();

private:
    // The default new project: one machine, StateMachine_1, without errors.
    MainWindow* openNewProject();
    void runGenerator() { window->actionAt(POS_CODE_GENERATOR)->trigger(); }
    QString status() const { return window->statusBar()->currentMessage(); }

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<MainWindow> window;
};

void TestCodegenFrontEnd::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestCodegenFrontEnd::init()
{
    QSettings(QStringLiteral("Pelmora"), QStringLiteral("Korvel")).clear();
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
}

void TestCodegenFrontEnd::cleanup()
{
    window.reset();
}

MainWindow* TestCodegenFrontEnd::openNewProject()
{
    window.reset(new MainWindow);
    const QString path = dir->filePath(QStringLiteral("Door.vorn"));
    CreateProject::getInstance(window.get())->processNewProject(path);
    window->openFile(path);
    return window.get();
}

void TestCodegenFrontEnd::existingFilesPrompt_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("headerPresent");
    QTest::newRow("only source present, Yes replaces") << int(QMessageBox::Yes) << false;
    QTest::newRow("both present, Cancel keeps them") << int(QMessageBox::Cancel) << true;
}

void TestCodegenFrontEnd::existingFilesPrompt()
{
    QFETCH(int, button);
    QFETCH(bool, headerPresent);
    openNewProject();
    const QString source = dir->filePath(QStringLiteral("StateMachine_1.c"));
    const QString header = dir->filePath(QStringLiteral("StateMachine_1.h"));
    QVERIFY(writeFile(source, "old source"));
    if (headerPresent)
        QVERIFY(writeFile(header, "old header"));
    const QString before = status();
    {
        ModalAnswerer answer;
        answer.pressButton(QDialogButtonBox::Ok);
        answer.pressButton(QMessageBox::StandardButton(button), [&](QWidget*) {
            // Nothing has been written before the answer.
            QCOMPARE(QFile::exists(header), headerPresent);
            QCOMPARE(readAll(source), QByteArray("old source"));
        });
        answer.reject();
        runGenerator();
        // No error log for a machine without design errors.
        QCOMPARE(answer.answeredCount(), 2);
    }
    if (button == QMessageBox::Cancel) {
        QCOMPARE(readAll(source), QByteArray("old source"));
        QCOMPARE(readAll(header), QByteArray("old header"));
        QCOMPARE(status(), before);
        return;
    }
    QVERIFY(readAll(source).startsWith("/** \n * @file: StateMachine_1.c \n"));
    QVERIFY(readAll(header).startsWith("/** \n * @file: StateMachine_1.h \n"));
    // The default folder is the project's.
    QCOMPARE(filesIn(dir->path()), QStringList({"Door.vorn", "StateMachine_1.c", "StateMachine_1.h"}));
    QCOMPARE(status(), QStringLiteral("Source file successfully created at %1/ ").arg(dir->path()));
}

QTEST_MAIN(TestCodegenFrontEnd)
#include "tst_codegenfrontend.moc"
