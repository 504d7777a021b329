// New, Open, Save, Save As, Close and Rename on a real main window, with the
// dialogs and message boxes answered as a user would.

#include <QtTest>

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QStatusBar>
#include <QTreeView>

#include "canvas.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "treeitem.h"
#include "treemodel.h"

namespace {

QAction* action(MainWindow& w, const char* name)
{
    return w.findChild<QAction*>(QString::fromLatin1(name));
}

// Adds a state to the first state machine so the project has changes.
void modify(MainWindow& w, const QString& label = QStringLiteral("Extra"))
{
    Canvas* machine = nullptr;
    for (Canvas* canvas : w.getCanvases()) {
        if (canvas->getLevel() == 5) {
            machine = canvas;
            break;
        }
    }
    QVERIFY(machine);
    t_stateItemReadFromXML record;
    record.level = 6;
    record.parentId = machine->getId();
    record.grandParentId = machine->getParentId();
    record.label = label;
    record.width = 280;
    record.height = 150;
    record.xCoord = 2000;
    record.yCoord = 100;
    machine->addStateItem(&record);
    w.slot_enableSaveAction();
}

int nodeCount(const QAbstractItemModel* model, const QModelIndex& parent = QModelIndex())
{
    int count = 0;
    for (int row = 0; row < model->rowCount(parent); ++row)
        count += 1 + nodeCount(model, model->index(row, 0, parent));
    return count;
}

int stateCount(const MainWindow& w)
{
    int count = 0;
    for (Canvas* canvas : w.getCanvases())
        count += canvas->stateItems.size();
    return count;
}

} // namespace

class TestProjectCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void newWritesAndOpensTheDefaultProject();
    void newRefusesABadName();
    void openOfCorruptFileKeepsTheOpenProject();
    void openNamesWhatCannotBePlaced();
    void openRemembersTheFolderEvenWhenTheFileFails();
    void saveAsContinuesOnTheCopy();
    void saveFailureIsReportedAndKeepsSaveEnabled();
    void newAfterAFailedSaveKeepsTheOldProjectAndItsBrowser();
    void closeWithChangesOffersSaveDiscardCancel();
    void closeWithoutChangesAsksNothing();
    void renameRelabelsBrowserCanvasAndFile();
    void renameRefusesSpecialCharacters_data();
    void renameRefusesSpecialCharacters();
    void openingWhileChangedAsksFirst();
    void commandLineFileMissingIsReported();
    void examplesFolderMissingIsReported();
    void openExamplesOpensTheChosenExample();
};

void TestProjectCommands::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestProjectCommands::newWritesAndOpensTheDefaultProject()
{
    ProjectFixture fixture;
    const QString file = fixture.path("Door_Control.vorn");
    MainWindow w;
    ModalAnswerer answer;
    QString title;
    answer.accept([&](QWidget* dialog) {
        title = dialog->windowTitle();
        ProjectFixture::chooseFile(dialog, fixture.path("Door_Control"));
    });
    action(w, "actionNew")->trigger();

    QCOMPARE(title, QString("Create a new project"));
    QVERIFY(QFile::exists(file));
    QCOMPARE(w.projectIO().getFilePath(), file);
    QCOMPARE(w.actionsState(), STATE_LEVEL1);
    QVERIFY(!action(w, "actionSave")->isEnabled());
    QCOMPARE(w.getCanvases().size(), 5);
    QCOMPARE(w.getCanvases().first()->getLabel(), QString("Door_Control"));
    QCOMPARE(w.getCurrentCanvas(), w.getCanvases().first());
    QCOMPARE(stateCount(w), 2);
    QCOMPARE(w.statusBar()->currentMessage(), QString("Project %1 created successfully").arg(file));
    // The browser shows the five levels, one below the other.
    const QAbstractItemModel* model = w.findChild<QTreeView*>("treeView")->model();
    QModelIndex node = model->index(0, 0);
    QCOMPARE(node.data().toString(), QString("Door_Control"));
    int depth = 1;
    while (model->rowCount(node) > 0) {
        node = model->index(0, 0, node);
        ++depth;
    }
    QCOMPARE(depth, 5);
}

void TestProjectCommands::newRefusesABadName()
{
    ProjectFixture fixture;
    MainWindow w;
    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) { ProjectFixture::chooseFile(dialog, fixture.path("bad-name")); });
    answer.accept();
    action(w, "actionNew")->trigger();
    QCOMPARE(answer.answeredCount(), 2);
    QCOMPARE(answer.text(), QString("File name cannot be blank or contain special characters. Creating Project Aborted."));
    QVERIFY(w.getCanvases().isEmpty());
    QVERIFY(!QFile::exists(fixture.path("bad-name.vorn")));
}

void TestProjectCommands::openOfCorruptFileKeepsTheOpenProject()
{
    ProjectFixture fixture;
    const QString good = fixture.copyExample("Example_1.vorn");
    const QString bad = fixture.path("broken.vorn");
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(fixture.bytes(good).left(900));
    file.close();

    MainWindow w;
    w.openFile(good);
    const int canvases = w.getCanvases().size();
    QVERIFY(canvases > 0);
    ModalAnswerer answer;
    answer.accept();
    w.openFile(bad);
    QCOMPARE(answer.text(), QString("Design file is corrupt and cannot be opened. \nOpening Project Aborted."));
    QCOMPARE(w.getCanvases().size(), canvases);
    QCOMPARE(w.projectIO().getFilePath(), good);
    QCOMPARE(w.actionsState(), STATE_LEVEL1);
}

void TestProjectCommands::openRemembersTheFolderEvenWhenTheFileFails()
{
    ProjectFixture fixture;
    const QString bad = fixture.path("empty.vorn");
    QFile(bad).open(QIODevice::WriteOnly);
    MainWindow w;
    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) {
        QCOMPARE(dialog->windowTitle(), QString("Open Project"));
        ProjectFixture::chooseFile(dialog, bad);
    });
    answer.accept();
    action(w, "actionOpen")->trigger();
    QCOMPARE(answer.answeredCount(), 2);
    QCOMPARE(QSettings().value("previousDirectory").toString(), QFileInfo(bad).absolutePath());

    // Cancelling leaves it as it was.
    QSettings().setValue("previousDirectory", "/nowhere");
    answer.reject();
    action(w, "actionOpen")->trigger();
    QCOMPARE(QSettings().value("previousDirectory").toString(), QString("/nowhere"));
}

void TestProjectCommands::saveAsContinuesOnTheCopy()
{
    ProjectFixture fixture;
    const QString original = fixture.copyExample("Example_1.vorn");
    const QByteArray before = fixture.bytes(original);
    MainWindow w;
    w.openFile(original);
    modify(w, "CopyOnly");
    const int states = stateCount(w);

    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) {
        QCOMPARE(dialog->windowTitle(), QString("Save File As"));
        ProjectFixture::chooseFile(dialog, fixture.path("copy"));
    });
    action(w, "actionSave_As")->trigger();

    const QString copy = fixture.path("copy.vorn");
    QCOMPARE(fixture.bytes(original), before);
    QVERIFY(fixture.bytes(copy).contains("CopyOnly"));
    QCOMPARE(w.projectIO().getFilePath(), copy);
    QVERIFY(!action(w, "actionSave")->isEnabled());
    QCOMPARE(stateCount(w), states);
}

void TestProjectCommands::saveFailureIsReportedAndKeepsSaveEnabled()
{
    ProjectFixture fixture;
    const QString original = fixture.copyExample("Example_1.vorn");
    MainWindow w;
    w.openFile(original);
    modify(w);
    const QString unreachable = fixture.path("missing-folder/Example_1.vorn");
    w.projectIO().setFilePath(unreachable);

    ModalAnswerer answer;
    answer.accept();
    action(w, "actionSave")->trigger();
    QCOMPARE(answer.answeredCount(), 1);
    QVERIFY2(answer.text().contains(unreachable), qPrintable(answer.text()));
    QVERIFY(answer.text().contains("does not exist"));
    QVERIFY(action(w, "actionSave")->isEnabled());
    QVERIFY(w.statusBar()->currentMessage() != QString("Changes have been saved successfully"));

    // Closing after a failed save keeps the window and the changes.
    answer.pressButton(QMessageBox::Save);
    answer.accept();
    w.show();
    QVERIFY(!w.close());
    QVERIFY(!w.getCanvases().isEmpty());
}

void TestProjectCommands::newAfterAFailedSaveKeepsTheOldProjectAndItsBrowser()
{
    ProjectFixture fixture;
    const QString original = fixture.copyExample("Example_1.vorn");
    MainWindow w;
    w.openFile(original);
    modify(w);
    const int canvases = w.getCanvases().size();
    w.projectIO().setFilePath(fixture.path("missing-folder/Example_1.vorn"));

    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) { ProjectFixture::chooseFile(dialog, fixture.path("Fresh")); });
    answer.pressButton(QMessageBox::Save);
    answer.accept();
    action(w, "actionNew")->trigger();
    QCOMPARE(answer.answeredCount(), 3);

    // The old project stays open with its whole browser tree.
    QCOMPARE(w.getCanvases().size(), canvases);
    QVERIFY(action(w, "actionSave")->isEnabled());
    const QAbstractItemModel* model = w.findChild<QTreeView*>("treeView")->model();
    QCOMPARE(nodeCount(model), canvases);
    QVERIFY(w.getCurrentTreeNode());
    QCOMPARE(w.getCurrentTreeNode()->data(0).toString(), w.getCurrentCanvas()->getLabel());
    QCOMPARE(w.getCurrentTreeNode()->getLevel(), w.getCurrentCanvas()->getLevel());
}

void TestProjectCommands::closeWithChangesOffersSaveDiscardCancel()
{
    ProjectFixture fixture;
    const QString original = fixture.copyExample("Example_1.vorn");
    const QByteArray before = fixture.bytes(original);
    MainWindow w;
    w.openFile(original);
    modify(w);
    const int canvases = w.getCanvases().size();

    ModalAnswerer answer;
    QStringList buttons;
    answer.pressButton(QMessageBox::Cancel, [&](QWidget* box) {
        auto* message = qobject_cast<QMessageBox*>(box);
        QCOMPARE(message->informativeText(), QString("Do you want to save your changes?"));
        for (QAbstractButton* button : message->buttons())
            buttons << QString::number(message->standardButton(button));
    });
    action(w, "actionClose_Project")->trigger();
    QCOMPARE(answer.text(), QString("Project has been modified."));
    QCOMPARE(buttons.size(), 3);
    QCOMPARE(w.getCanvases().size(), canvases);
    QVERIFY(action(w, "actionSave")->isEnabled());

    answer.pressButton(QMessageBox::Discard);
    action(w, "actionClose_Project")->trigger();
    QVERIFY(w.getCanvases().isEmpty());
    QCOMPARE(w.actionsState(), STATE_BLANK);
    QCOMPARE(fixture.bytes(original), before);
}

void TestProjectCommands::closeWithoutChangesAsksNothing()
{
    ProjectFixture fixture;
    MainWindow w;
    w.openFile(fixture.copyExample("Example_2.vorn"));
    ModalAnswerer answer;
    action(w, "actionClose_Project")->trigger();
    QCOMPARE(answer.answeredCount(), 0);
    QVERIFY(w.getCanvases().isEmpty());
}

void TestProjectCommands::renameRelabelsBrowserCanvasAndFile()
{
    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    MainWindow w;
    w.openFile(file);
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        QCOMPARE(dialog->windowTitle(), QString("Rename Project"));
        auto* edit = dialog->findChild<QLineEdit*>("lineEdit");
        QCOMPARE(edit->text(), QString("Pedestrian_Crossing"));
        edit->setText("Door Control 2");
    });
    action(w, "actionRename_Project")->trigger();

    QCOMPARE(w.getCanvases().first()->getLabel(), QString("Door Control 2"));
    QCOMPARE(w.findChild<QTreeView*>("treeView")->model()->index(0, 0).data().toString(), QString("Door Control 2"));
    QVERIFY(fixture.bytes(file).contains("\r\nDoor Control 2\r\n"));
    QVERIFY(fixture.bytes(file).contains("label=\"Door Control 2\""));
    QVERIFY(!action(w, "actionSave")->isEnabled());

    // The next opening shows the name now in force.
    answer.reject([](QWidget* dialog) {
        QCOMPARE(dialog->findChild<QLineEdit*>("lineEdit")->text(), QString("Door Control 2"));
    });
    action(w, "actionRename_Project")->trigger();
    QCOMPARE(answer.answeredCount(), 2);
}

void TestProjectCommands::renameRefusesSpecialCharacters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString special = QStringLiteral(
        "Korvel could not rename the project as the name contains special characters. "
        "Please remove special characters from the project name and try again.");
    QTest::newRow("hyphen") << "Door-Control" << special;
    QTest::newRow("umlaut") << QString::fromUtf8("T\xc3\xbcr") << special;
    QTest::newRow("empty") << "" << "The project name cannot be blank.";
    QTest::newRow("blanks") << "   " << "The project name cannot be blank.";
    QTest::newRow("trailing blank") << "Door " << "The project name cannot begin or end with a blank.";
}

void TestProjectCommands::renameRefusesSpecialCharacters()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    const QByteArray before = fixture.bytes(file);
    MainWindow w;
    w.openFile(file);
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("lineEdit")->setText(name);
    });
    answer.accept();
    action(w, "actionRename_Project")->trigger();
    QCOMPARE(answer.answeredCount(), 2);
    QCOMPARE(answer.text(), message);
    QCOMPARE(w.getCanvases().first()->getLabel(), QString("Pedestrian_Crossing"));
    QCOMPARE(fixture.bytes(file), before);
}

void TestProjectCommands::openingWhileChangedAsksFirst()
{
    ProjectFixture fixture;
    const QString first = fixture.copyExample("Example_1.vorn");
    const QString second = fixture.copyExample("Example_2.vorn");
    MainWindow w;
    w.openFile(first);
    modify(w, "Unsaved");
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Save);
    w.openFile(second);
    QCOMPARE(answer.texts(), QStringList({"There are unsaved changes in project."}));
    QVERIFY(fixture.bytes(first).contains("Unsaved"));
    QCOMPARE(w.getCanvases().first()->getLabel(), QString("Battery_Charger"));
}

void TestProjectCommands::commandLineFileMissingIsReported()
{
    MainWindow w;
    ModalAnswerer answer;
    answer.accept();
    QVERIFY(!w.openProjectFile("/no/such/file.vorn"));
    QCOMPARE(answer.text(), QString("There was an error opening the file /no/such/file.vorn. Try opening the file with Open Project."));
    QCOMPARE(w.actionsState(), STATE_BLANK);
}

void TestProjectCommands::examplesFolderMissingIsReported()
{
    ProjectFixture fixture;
    fixture.enter();
    MainWindow w;
    QString path = "x";
    QVERIFY(!w.getExampleFileName(path));
    QVERIFY(path.isEmpty());
    ModalAnswerer answer;
    answer.accept();
    action(w, "actionOpen_Examples")->trigger();
    QCOMPARE(answer.text(), QString("Korvel could not find the Examples directory on this computer."));
    QVERIFY(w.getCanvases().isEmpty());
}

void TestProjectCommands::openExamplesOpensTheChosenExample()
{
    ProjectFixture fixture;
    QDir(fixture.path(QString())).mkdir("Examples");
    QFile::copy(QStringLiteral(KORVEL_SOURCE_DIR "/Examples/Example_2.vorn"), fixture.path("Examples/Example_2.vorn"));
    fixture.enter();
    MainWindow w;
    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) {
        ProjectFixture::chooseFile(dialog, fixture.path("Examples/Example_2.vorn"));
    });
    action(w, "actionOpen_Examples")->trigger();
    QCOMPARE(w.getCanvases().first()->getLabel(), QString("Battery_Charger"));
    QString example;
    QVERIFY(!w.getExampleFileName(example)); // no Example_1 in this folder
}

void TestProjectCommands::openNamesWhatCannotBePlaced()
{
    ProjectFixture fixture;
    const QString file = fixture.path("orphan.vorn");
    QVERIFY(QFile::copy(QStringLiteral(KORVEL_SOURCE_DIR "/tests/fuzz/regressions/loss-orphan-subtree.vorn"), file));
    MainWindow w;
    ModalAnswerer answer;
    answer.accept();
    w.openFile(file);
    QCOMPARE(answer.title(), QString("Korvel"));
    QCOMPARE(answer.text(),
             QString("3 items of this project could not be placed and will be missing if you save:\n\n"
                     "- process \"Software Module\" (level 4, id 1): no diagram (level 3, id 1, parent -1) to "
                     "place it on\n"
                     "- 1 item(s) on the diagram \"Software Module\" (level 4), which no process of the "
                     "project owns\n"
                     "- 3 item(s) on the diagram \"StateMachine_1\" (level 5), which no process of the "
                     "project owns"));
    // What could be placed is open; nothing was changed by opening.
    QCOMPARE(w.projectIO().getFilePath(), file);
    QVERIFY(!w.getCanvases().isEmpty());
    QVERIFY(!w.isProjectModified());
}

QTEST_MAIN(TestProjectCommands)
#include "tst_projectcommands.moc"
