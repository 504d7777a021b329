// The Code Generator command of the main window: the settings dialog, the run
// over every state machine, the overwrite prompt, the error log and the
// status message, with real modal dialogs answered by ModalAnswerer.

#include <QtTest>

#include <QAction>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include "codegenerrorlog.h"
#include "codegenproperties.h"
#include "createproject.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "testenvironment.h"
#include "testfiles.h"

namespace {

const QString twoMachines = QStringLiteral(KORVEL_SOURCE_DIR "/tests/codegen/data/two_machines.vorn");
const QStringList pumpErrors {"Datatype Input for Memory Item level is absent",
                              "Initial state item in state machine Pump is not assigned"};
const QStringList valveErrors {"Initial state action present but condition absent for State Item Closed is absent"};

// Fills the settings dialog; the folder goes straight into the dialog's
// field, as the "..." chooser would put it.
ModalAnswerer::Inspector fillSettings(const QString& folder, const QString& author = QString(),
                                      const QString& organization = QString(), double version = 1.0)
{
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<CodegenProperties*>(modal);
        QVERIFY(dialog);
        if (!folder.isEmpty())
            dialog->filePath = folder;
        dialog->findChild<QLineEdit*>(QStringLiteral("LE_Author"))->setText(author);
        dialog->findChild<QLineEdit*>(QStringLiteral("LE_Organization"))->setText(organization);
        dialog->findChild<QDoubleSpinBox*>(QStringLiteral("doubleSpinBox"))->setValue(version);
    };
}

// Reads the rows of an error log into a list.
ModalAnswerer::Inspector readLog(QStringList* rows)
{
    return [rows](QWidget* modal) {
        QVERIFY(qobject_cast<CodegenErrorLog*>(modal));
        auto* table = modal->findChild<QTableWidget*>(QStringLiteral("tableWidget"));
        QVERIFY(table);
        for (int row = 0; row < table->rowCount(); ++row)
            rows->append(table->item(row, 0) ? table->item(row, 0)->text() : QStringLiteral("<empty>"));
    };
}

// Acts on the next folder chooser from a timer of its own.
void answerChooserLater(std::function<void(QFileDialog*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(chooser);
        }
    });
    timer->start();
}

} // namespace

class TestCodegenFrontEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void cancelledSettingsWriteNothingAndAskNothing();
    void twoMachinesGiveFourFilesAndTwoLogs();
    void existingFilesPrompt_data();
    void existingFilesPrompt();
    void chooserSetsFolderAndSettingsSurviveRestart();

private:
    MainWindow* openProject(const QString& source);
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

MainWindow* TestCodegenFrontEnd::openProject(const QString& source)
{
    const QString path = dir->filePath(QFileInfo(source).fileName());
    QFile::copy(source, path);
    window.reset(new MainWindow);
    window->openFile(path);
    return window.get();
}

MainWindow* TestCodegenFrontEnd::openNewProject()
{
    window.reset(new MainWindow);
    const QString path = dir->filePath(QStringLiteral("Door.vorn"));
    CreateProject::getInstance(window.get())->processNewProject(path);
    window->openFile(path);
    return window.get();
}

void TestCodegenFrontEnd::cancelledSettingsWriteNothingAndAskNothing()
{
    openProject(twoMachines);
    window->markModified(); // unsaved changes would be asked about
    const QString before = status();
    {
        ModalAnswerer answer;
        answer.pressButton(QDialogButtonBox::Cancel, fillSettings(dir->path(), QStringLiteral("nobody")));
        answer.reject(); // would catch any further dialog
        runGenerator();
        QCOMPARE(answer.answeredCount(), 1);
        QCOMPARE(answer.pendingCount(), 1);
    }
    QCOMPARE(filesIn(dir->path()), QStringList({"two_machines.vorn"}));
    QVERIFY(window->actionAt(POS_SAVE)->isEnabled());
    QCOMPARE(window->codeGenerator().getAuthor(), QString());
    QCOMPARE(status(), before);
}

void TestCodegenFrontEnd::twoMachinesGiveFourFilesAndTwoLogs()
{
    openProject(twoMachines);
    const QString out = dir->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkdir(out));
    QStringList first;
    QStringList second;
    {
        ModalAnswerer answer;
        answer.pressButton(QDialogButtonBox::Ok, fillSettings(out, QStringLiteral("ann"), QStringLiteral("lab"), 2.5));
        answer.pressButton(QStringLiteral("OK"), readLog(&first));
        answer.pressButton(QStringLiteral("OK"), readLog(&second));
        answer.reject();
        runGenerator();
        QCOMPARE(answer.answeredCount(), 3);
    }
    QCOMPARE(first, pumpErrors);
    QCOMPARE(second, valveErrors);
    QCOMPARE(filesIn(out), QStringList({"Pump.c", "Pump.h", "Valve.c", "Valve.h"}));
    const QByteArray header = readAll(out + QStringLiteral("/Valve.h"));
    QVERIFY(header.contains(" * @version: 2.5 \n"));
    QVERIFY(header.contains(" * @author: ann \n"));
    QVERIFY(header.contains(" * @organization: lab \n"));
    QCOMPARE(status(), QStringLiteral("Source file successfully created at %1 ").arg(out));
    QVERIFY(window->codeGenerator().getErrorList().isEmpty());
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
        answer.pressButton(QDialogButtonBox::Ok, fillSettings(QString()));
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

void TestCodegenFrontEnd::chooserSetsFolderAndSettingsSurviveRestart()
{
    openNewProject();
    const QString chosen = dir->filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkdir(chosen));
    QString shown;
    {
        ModalAnswerer answer;
        answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* modal) {
            fillSettings(QString(), QStringLiteral("ann"), QStringLiteral("lab"), 3.25)(modal);
            auto* path = modal->findChild<QLineEdit*>(QStringLiteral("LE_FilePath"));
            path->setText(dir->filePath(QStringLiteral("typed")));
            // The answerer is busy in this inspector; a timer of our own
            // answers the chooser that the click runs.
            answerChooserLater([&](QFileDialog* chooser) {
                QCOMPARE(chooser->fileMode(), QFileDialog::Directory);
                QVERIFY(chooser->testOption(QFileDialog::ShowDirsOnly));
                QCOMPARE(QDir(chooser->directory()), QDir(dir->path()));
                chooser->setDirectory(chosen);
                static_cast<QDialog*>(chooser)->accept();
            });
            modal->findChild<QToolButton*>(QStringLiteral("toolButton"))->click();
            shown = path->text();
        });
        answer.reject();
        runGenerator();
        QCOMPARE(answer.answeredCount(), 1);
    }
    QCOMPARE(shown, chosen);
    QCOMPARE(filesIn(chosen), QStringList({"StateMachine_1.c", "StateMachine_1.h"}));
    QVERIFY(!QFileInfo::exists(dir->filePath(QStringLiteral("typed"))));
    QCOMPARE(window->codeGenerator().getFilePath(), chosen);

    // Dropped without a close, so writeSettings() never runs: the values
    // must have been stored when the dialog was accepted.
    window.reset();
    openProject(twoMachines);
    QStringList fields;
    {
        ModalAnswerer answer;
        answer.pressButton(QDialogButtonBox::Cancel, [&](QWidget* modal) {
            for (const char* name : {"LE_Author", "LE_Organization", "LE_FilePath"})
                fields << modal->findChild<QLineEdit*>(QLatin1String(name))->text();
            fields << QString::number(modal->findChild<QDoubleSpinBox*>(QStringLiteral("doubleSpinBox"))->value());
        });
        runGenerator();
    }
    // The folder follows the project just opened.
    QCOMPARE(fields, QStringList({"ann", "lab", dir->path() + '/', "3.25"}));
}

QTEST_MAIN(TestCodegenFrontEnd)
#include "tst_codegenfrontend.moc"
