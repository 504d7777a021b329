// View > Problems on a real main window: the design checks of the whole
// project follow the edits, a row shows its element, and Generate with
// design errors shows them there and keeps saying what it did not write.

#include <QtTest>

#include <QAction>
#include <QDir>
#include <QGraphicsRectItem>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "autosave.h"
#include "canvas.h"
#include "codegenproperties.h"
#include "lineeditor.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "problemsdock.h"
#include "projectfixture.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "transitionitem.h"

class TestProblems : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void problemsFollowEditsAndGenerate();
    void testsRunFromTheWindow();
    void editorsOpenTheLine_data();
    void editorsOpenTheLine();
};

void TestProblems::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestProblems::problemsFollowEditsAndGenerate()
{
    ProjectFixture fixture;
    MainWindow window;
    window.show();
    window.openFile(fixture.copyExample("Example_1.vorn"));
    const auto action = [&window](const char* name) { return window.findChild<QAction*>(name); };
    ProblemsDock* dock = window.problemsView();
    auto* list = dock->findChild<QTreeWidget*>("TW_Problems");
    auto* summary = dock->findChild<QLabel*>("LB_ProblemsSummary");
    const auto rows = [list] {
        QStringList out;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < 4; ++column)
                cells << list->topLevelItem(row)->text(column);
            out << cells.join('|');
        }
        return out;
    };

    action("actionShow_Problems")->trigger();
    window.problemChecker()->finish();
    QCOMPARE(summary->text(), QString("No problems found."));
    QCOMPARE(list->topLevelItemCount(), 0);

    // Without T_slow, Green leads nowhere and Yellow cannot be reached.
    Canvas* machine = ProjectFixture::showCanvas(window, "Light_Sequencer");
    machine->transitionItems.at(1)->setSelected(true);
    action("actionDelete")->trigger();
    QVERIFY(window.findChild<QTimer*>("problemsTimer")->isActive());
    window.refreshProblems();
    window.problemChecker()->finish();
    const QString path = "Signal_Control/Light_Sequencer/";
    QCOMPARE(rows(), QStringList({
        "Warning|" + path + "Green|no transition leaves state \"Green\"; the machine stays there|dead-end-state",
        "Warning|" + path + "Yellow|state \"Yellow\" cannot be reached from the initial state \"Red\""
        "|unreachable-state"}));
    QCOMPARE(summary->text(), QString("0 errors, 2 warnings"));

    // Enter on a row shows its canvas with the element selected.
    ProjectFixture::showCanvas(window, "Microcontroller");
    list->setCurrentItem(list->topLevelItem(1));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(window.getCurrentCanvas(), machine);
    QCOMPARE(machine->selectedItems().size(), 1);
    QCOMPARE(static_cast<StateItem*>(machine->selectedItems().first())->getLabel(), QString("Yellow"));

    // A state name that is no C name: Generate writes the other machine,
    // lists the error here and says what it did not write.
    action("actionUndo")->trigger();
    StateItem* red = machine->stateItems.first();
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("LE_StateName")->setText("Red light");
    });
    machine->editProperties(red);
    const QString generated = fixture.path("generated");
    QVERIFY(QDir().mkpath(generated));
    answer.pressButton(QDialogButtonBox::Ok,
                       [&](QWidget* dialog) { qobject_cast<CodegenProperties*>(dialog)->filePath = generated; });
    answer.pressButton(QMessageBox::Discard);
    action("actionCode_Generator")->trigger();
    QCOMPARE(answer.pendingCount(), 0);
    QCOMPARE(QDir(generated).entryList(QDir::Files), QStringList({"Button_Debounce.c", "Button_Debounce.h"}));
    QVERIFY(dock->isVisible());
    QCOMPARE(rows(), QStringList({"Error|" + path + "Red light|state \"Red light\" is not a C identifier"
                                  "|not-c-identifier"}));
    const QString notWritten = "The files of state machine Light_Sequencer were not written; Problems says why.";
    QCOMPARE(window.statusBar()->currentMessage(), notWritten);
    emit window.autosaver()->written();
    QCOMPARE(window.statusBar()->currentMessage(), notWritten);
    // Once the user acts, autosave may say its word again.
    action("actionUndo")->trigger();
    emit window.autosaver()->written();
    QCOMPARE(window.statusBar()->currentMessage(), QString("Autosaved"));

    // A guard that cannot compile is listed at its transition, with the
    // compiler's word.
    answer.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("LE_TransitionCondition")->setText("ticks >= RED_TICKS &&");
    });
    machine->editProperties(machine->transitionItems.first());
    window.refreshProblems();
    window.problemChecker()->finish();
    // The compiler's own words follow; they differ from one compiler to another.
    QCOMPARE(rows().size(), 1);
    QVERIFY2(rows().first().startsWith("Error|" + path + "T_go|transition \"T_go\" does not compile: "),
             qPrintable(rows().first()));
    QVERIFY(rows().first().endsWith("|c-syntax"));

    answer.pressButton(QMessageBox::Discard);
    action("actionClose_Project")->trigger();
    QCOMPARE(summary->text(), QString("No project is open."));
}

namespace {

// A shell script standing in for a program of the desktop.
bool writeScript(const QString& path, const QByteArray& body)
{
    return writeFile(path, "#!/bin/sh\n" + body + "\n")
        && QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

// Run > Run Tests in the background: a failure in Problems shows the state it
// expected; the canvas frames what the tests reached until the next edit.
void TestProblems::testsRunFromTheWindow()
{
    ProjectFixture fixture;
    MainWindow window;
    window.show();
    window.openFile(fixture.copyExample("Example_1.vorn"));
    Canvas* machine = ProjectFixture::showCanvas(window, "Light_Sequencer");
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("LE_TransitionCondition")->setText("(ticks >= YELLOW_TICKS + 1)");
    });
    machine->editProperties(machine->transitionItems.at(2));
    // A failed expectation of a value opens its line in the desktop's editor.
    QTemporaryDir desktop;
    const QString lamps = desktop.filePath("lamps.kvtest");
    const QByteArray path = qgetenv("PATH");
    QVERIFY(writeFile(lamps, "machine Light_Sequencer\ntest red lamp off\ntick\n\nexpect lamp_red == 0\n")
            && writeScript(desktop.filePath("xdg-mime"), "echo org.gnome.gedit.desktop")
            && writeScript(desktop.filePath("gedit"), "cd \"$(dirname \"$0\")\" && printf '%s\\n' \"$@\" > opened.tmp "
                                                      "&& mv opened.tmp opened"));
    qputenv("PATH", desktop.path().toLocal8Bit() + ':' + path);
    window.runMachineTests({QStringLiteral(KORVEL_SOURCE_DIR "/Examples/Example_1.kvtest"), lamps});
    window.machineTestJob()->finish();

    auto* list = window.problemsView()->findChild<QTreeWidget*>("TW_Problems");
    const auto rowText = [list](int row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        return QStringList({item->text(0), item->text(1), item->text(2), item->text(3)});
    };
    QCOMPARE(list->topLevelItemCount(), 2);
    QCOMPARE(rowText(0), QStringList({"Error", "Yellow leads back to red",
                                      "Example_1.kvtest:36: until state Red within 8: at tick 108 the state is Yellow",
                                      "test"}));
    QCOMPARE(rowText(1), QStringList({"Error", "red lamp off",
                                      "lamps.kvtest:5: expect lamp_red == 0: at tick 1 it is false", "test"}));
    QCOMPARE(window.statusBar()->currentMessage(), QString("Tests: 7 passed, 2 failed"));
    list->setCurrentItem(list->topLevelItem(1));
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(desktop.filePath("opened")), 20000);
    QCOMPARE(readAll(desktop.filePath("opened")), QByteArray("+5\n" + lamps.toLocal8Bit() + "\n"));
    qputenv("PATH", path);
    QTreeWidgetItem* last = list->topLevelItem(0);
    const auto frames = [machine](QRgb colour) {
        int count = 0;
        for (QGraphicsItem* item : machine->items())
            if (auto* frame = qgraphicsitem_cast<QGraphicsRectItem*>(item))
                count += frame->pen().color().rgb() == colour ? 1 : 0;
        return count;
    };
    QCOMPARE(frames(0xffe54848), 1); // T_stop never fired
    QCOMPARE(frames(0xff2ea055), 6);

    ProjectFixture::showCanvas(window, "Microcontroller");
    list->setCurrentItem(last);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(window.getCurrentCanvas(), machine);
    QCOMPARE(machine->selectedItems(), QList<QGraphicsItem*>({machine->stateItems.at(0)}));

    window.findChild<QAction*>("actionUndo")->trigger();
    QCOMPARE(frames(0xffe54848) + frames(0xff2ea055), 0);
}

void TestProblems::editorsOpenTheLine_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("command");
    QTest::newRow("gedit") << "org.gnome.gedit.desktop" << QStringList{"gedit", "+12", "/t/a b.kvtest"};
    QTest::newRow("pluma") << "pluma.desktop" << QStringList{"pluma", "+12", "/t/a b.kvtest"};
    QTest::newRow("kate") << "org.kde.kate.desktop" << QStringList{"kate", "--line", "12", "/t/a b.kvtest"};
    QTest::newRow("vs code") << "code.desktop" << QStringList{"code", "--goto", "/t/a b.kvtest:12"};
    QTest::newRow("unknown") << "org.example.Notes.desktop" << QStringList();
    QTest::newRow("none") << "" << QStringList();
}

void TestProblems::editorsOpenTheLine()
{
    QFETCH(QString, entry);
    QFETCH(QStringList, command);
    QCOMPARE(LineEditor::commandFor(entry, "/t/a b.kvtest", 12), command);
}

QTEST_MAIN(TestProblems)
#include "tst_problems.moc"
