// Cut, copy, paste and duplicate on a real main window: what the clipboard
// carries, where pasted items land and what they are called, one undo step
// for each, subtrees of processes, other projects, and canvases where the
// items cannot go.

#include <QtTest>

#include <QAction>
#include <QClipboard>
#include <QMimeData>
#include <QTreeView>
#include <QUndoStack>

#include "canvas.h"
#include "initialtransition.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "processitem.h"
#include "projectfixture.h"
#include "selectionclipboard.h"
#include "stateitem.h"
#include "takenelementswatch.h"
#include "testenvironment.h"
#include "textitem.h"
#include "transitionitem.h"

namespace {

struct Session
{
    ProjectFixture fixture;
    MainWindow window;
    TakenElementsWatch watch {window.projectCanvasesOf().history(), &window.getCanvases()};
    QString file;

    Session() : file(fixture.copyExample("Example_1.vorn")) { window.openFile(file); }

    QAction* action(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
    Canvas* open(const QString& label) { return ProjectFixture::showCanvas(window, label); }
    void select(const QStringList& labels)
    {
        Canvas* canvas = window.getCurrentCanvas();
        canvas->clearSelection();
        for (StateItem* state : canvas->stateItems)
            state->setSelected(labels.contains(state->getLabel()));
        for (ProcessItem* process : canvas->processItems)
            process->setSelected(labels.contains(process->getLabel()));
    }
    StateItem* state(const QString& label)
    {
        for (StateItem* state : window.getCurrentCanvas()->stateItems)
            if (state->getLabel() == label)
                return state;
        return nullptr;
    }
    QStringList stateLabels()
    {
        QStringList labels;
        for (StateItem* state : window.getCurrentCanvas()->stateItems)
            labels << state->getLabel();
        return labels;
    }
    QString undoText() { return window.projectCanvasesOf().history()->undoText(); }
    QByteArray snapshot()
    {
        const QString path = fixture.path(QStringLiteral("snapshot.vorn"));
        return window.projectCanvasesOf().save(path) ? fixture.bytes(path) : QByteArray();
    }
};

} // namespace

class TestClipboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void statesCopyWithTheTransitionsBetweenThem();
    void cutAndPasteElsewhereAndRefusals();
    void duplicatingASoftwareModuleCopiesItsSubtree();
    void freeNames_data();
    void freeNames();
    void machineDeletesUndoToTheSameFile_data();
    void machineDeletesUndoToTheSameFile();
};

void TestClipboard::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestClipboard::statesCopyWithTheTransitionsBetweenThem()
{
    Session s;
    Canvas* machine = s.open("Light_Sequencer");
    s.select({"Red", "Green"});
    s.action("actionCopy")->trigger();

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data->hasFormat(SelectionClipboard::itemsFormat()));
    QCOMPARE(data->data(SelectionClipboard::levelFormat()), QByteArray("5"));
    QCOMPARE(data->text(), QString("Red\n    lamp_red = 1;\n    lamp_yellow = 0;\n    lamp_green = 0;\n    ticks++;\n"
                                   "Green\n    lamp_red = 0;\n    lamp_yellow = 0;\n    lamp_green = 1;\n    ticks++;\n"
                                   "T_go [(ticks >= RED_TICKS)] / ticks = 0;"));
    QVERIFY(data->data(SelectionClipboard::itemsFormat()).startsWith("<?xml"));

    const int transitions = machine->transitionItems.size();
    s.action("actionPaste")->trigger();
    QCOMPARE(s.stateLabels(), QStringList({"Red", "Green", "Yellow", "Red_2", "Green_2"}));
    QCOMPARE(machine->transitionItems.size(), transitions + 1);
    TransitionItem* copied = machine->transitionItems.last();
    QCOMPARE(copied->getLabel(), QString("T_go"));
    QCOMPARE(copied->startItem(), s.state("Red_2"));
    QCOMPARE(copied->endItem(), s.state("Green_2"));
    // A step from the originals, selected, and the one initial state stays so.
    QCOMPARE(s.state("Red_2")->pos(), s.state("Red")->pos() + QPointF(20, 20));
    QCOMPARE(copied->pos(), machine->transitionItems.first()->pos() + QPointF(20, 20));
    QCOMPARE(machine->selectedItems().size(), 3);
    QVERIFY(!s.state("Red_2")->initialStatus());
    QCOMPARE(machine->initialTransition->getInitialState(), s.state("Red"));
    QCOMPARE(s.undoText(), QString("Paste"));

    // A second paste lands a step further and takes the next free names.
    s.action("actionPaste")->trigger();
    QCOMPARE(s.stateLabels().mid(5), QStringList({"Red_3", "Green_3"}));
    QCOMPARE(s.state("Red_3")->pos(), s.state("Red")->pos() + QPointF(40, 40));

    // Each paste is one step, undone and redone whole.
    s.action("actionUndo")->trigger();
    s.action("actionUndo")->trigger();
    QCOMPARE(s.stateLabels(), QStringList({"Red", "Green", "Yellow"}));
    QCOMPARE(machine->transitionItems.size(), transitions);
    QVERIFY(!s.window.isProjectModified());
    s.action("actionRedo")->trigger();
    QCOMPARE(s.stateLabels(), QStringList({"Red", "Green", "Yellow", "Red_2", "Green_2"}));
    QCOMPARE(machine->transitionItems.last()->startItem(), s.state("Red_2"));

    // What was pasted is saved and read back as drawn.
    QVERIFY(s.window.saveDataToFile());
    s.window.openFile(s.file);
    machine = s.open("Light_Sequencer");
    QCOMPARE(s.stateLabels(), QStringList({"Red", "Green", "Yellow", "Red_2", "Green_2"}));
    QCOMPARE(machine->transitionItems.last()->endItem()->getLabel(), QString("Green_2"));

    // Another project takes the items as they are.
    const QString other = s.fixture.copyExample("Example_2.vorn");
    s.window.openFile(other);
    s.open("Sampler");
    s.action("actionPaste")->trigger();
    QCOMPARE(s.stateLabels(), QStringList({"Sampling", "Averaging", "Red", "Green"}));
}

void TestClipboard::cutAndPasteElsewhereAndRefusals()
{
    Session s;
    Canvas* machine = s.open("Light_Sequencer");
    s.select({"Yellow"});
    s.action("actionCut")->trigger();
    QCOMPARE(s.stateLabels(), QStringList({"Red", "Green"}));
    QCOMPARE(s.undoText(), QString("Cut"));
    // The transitions to and from the state went with it, not on the clipboard.
    QCOMPARE(machine->transitionItems.size(), 1);

    // States cannot go onto a block diagram: said, and nothing changes.
    Canvas* module = s.open("Microcontroller");
    const int items = module->items().size();
    ModalAnswerer answer;
    answer.accept();
    s.action("actionPaste")->trigger();
    QCOMPARE(answer.text(), QString("States, transitions and text items can only be pasted onto a state machine."));
    QCOMPARE(module->items().size(), items);
    QCOMPARE(s.undoText(), QString("Cut"));

    // A software module goes onto a microcontroller's diagram only.
    s.select({"Push_Button"});
    s.action("actionCopy")->trigger();
    s.open("Signal_Control");
    answer.accept();
    s.action("actionPaste")->trigger();
    QCOMPARE(answer.text(), QString("Software modules can only be pasted onto a microcontroller's diagram."));

    QGuiApplication::clipboard()->setText("plain words");
    answer.accept();
    s.action("actionPaste")->trigger();
    QCOMPARE(answer.text(), QString("The clipboard holds no Korvel items."));
    QCOMPARE(answer.answeredCount(), 3);
}

void TestClipboard::duplicatingASoftwareModuleCopiesItsSubtree()
{
    Session s;
    Canvas* module = s.open("Microcontroller");
    const int canvases = s.window.getCanvases().size();
    s.select({"Push_Button"});
    s.action("actionDuplicate")->trigger();
    QCOMPARE(module->processItems.last()->getLabel(), QString("Push_Button_2"));
    QCOMPARE(s.window.getCanvases().size(), canvases + 2);
    QCOMPARE(s.undoText(), QString("Duplicate"));
    auto* tree = s.window.findChild<QTreeView*>("treeView");
    const QModelIndex copy = ProjectFixture::nodeNamed(tree->model(), "Push_Button_2");
    QCOMPARE(copy.parent().data().toString(), QString("Microcontroller"));
    QCOMPARE(tree->model()->index(0, 0, copy).data().toString(), QString("Button_Debounce"));
    // The copied machine is the original's, state for state.
    s.window.on_treeView_doubleClicked(tree->model()->index(0, 0, copy));
    QCOMPARE(s.stateLabels(), QStringList({"Released", "Pressed"}));
    QCOMPARE(s.window.getCurrentCanvas()->transitionItems.size(), 2);

    s.action("actionUndo")->trigger();
    QCOMPARE(s.window.getCanvases().size(), canvases);
    QVERIFY(!ProjectFixture::nodeNamed(tree->model(), "Push_Button_2").isValid());
    s.action("actionRedo")->trigger();
    QCOMPARE(s.window.getCanvases().size(), canvases + 2);

    // Two modules at once, each with its machine: undo and redo keep the
    // canvases in their places, the order of the machines.
    const auto canvasLabels = [&s] {
        QStringList labels;
        for (const Canvas* canvas : s.window.getCanvases())
            labels << canvas->getLabel();
        return labels;
    };
    const QStringList one = canvasLabels();
    s.select({"Signal_Control", "Push_Button_2"});
    s.action("actionDuplicate")->trigger();
    const QStringList two = canvasLabels();
    QCOMPARE(two.mid(one.size()),
             QStringList({"Signal_Control_2", "Light_Sequencer", "Push_Button_3", "Button_Debounce"}));
    s.action("actionUndo")->trigger();
    QCOMPARE(canvasLabels(), one);
    s.action("actionRedo")->trigger();
    QCOMPARE(canvasLabels(), two);
    s.action("actionUndo")->trigger();

    QVERIFY(s.window.saveDataToFile());
    s.window.openFile(s.file);
    QCOMPARE(s.window.getCanvases().size(), canvases + 2);
    QVERIFY(ProjectFixture::nodeNamed(tree->model(), "Push_Button_2").isValid());

    // A machine cut from one module and pasted into another moves there
    // with its diagram; one undo step each. (A module keeps one machine at
    // least: Push_Button gets a second first.)
    s.open("Signal_Control");
    s.select({"Light_Sequencer"});
    s.action("actionCopy")->trigger();
    s.open("Push_Button");
    s.action("actionPaste")->trigger();
    s.select({"Button_Debounce"});
    s.action("actionCut")->trigger();
    Canvas* other = s.open("Signal_Control");
    s.action("actionPaste")->trigger();
    QCOMPARE(other->processItems.size(), 2);
    QCOMPARE(other->processItems.last()->getLabel(), QString("Button_Debounce"));
    const QModelIndex moved = ProjectFixture::nodeNamed(tree->model(), "Button_Debounce");
    QCOMPARE(moved.parent().data().toString(), QString("Signal_Control"));
    s.window.on_treeView_doubleClicked(moved);
    QCOMPARE(s.stateLabels(), QStringList({"Released", "Pressed"}));
    s.action("actionUndo")->trigger();
    s.action("actionUndo")->trigger();
    QCOMPARE(ProjectFixture::nodeNamed(tree->model(), "Button_Debounce").parent().data().toString(),
             QString("Push_Button"));
}

void TestClipboard::freeNames_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("expected");
    QTest::newRow("free") << "Red" << QStringList({"Green"}) << "Red";
    QTest::newRow("taken") << "Red" << QStringList({"Red"}) << "Red_2";
    QTest::newRow("next") << "Red" << QStringList({"Red", "Red_2"}) << "Red_3";
    QTest::newRow("lowest") << "Red" << QStringList({"Red", "Red_3"}) << "Red_2";
    QTest::newRow("numbered") << "Red_2" << QStringList({"Red", "Red_2"}) << "Red_3";
    QTest::newRow("stem") << "var_1" << QStringList({"var_1"}) << "var_2";
    QTest::newRow("underscore") << "a_b" << QStringList({"a_b"}) << "a_b_2";
}

void TestClipboard::freeNames()
{
    QFETCH(QString, label);
    QFETCH(QStringList, taken);
    QFETCH(QString, expected);
    QCOMPARE(SelectionClipboard::freeName(label, QSet<QString>(taken.begin(), taken.end())), expected);
}

void TestClipboard::machineDeletesUndoToTheSameFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("state") << "state";
    QTest::newRow("transition") << "transition";
    QTest::newRow("text") << "text";
}

// What was deleted comes back where it stood: the file, the generated states
// and the order in which a state tries its transitions are as before.
void TestClipboard::machineDeletesUndoToTheSameFile()
{
    QFETCH(QString, kind);
    Session s;
    Canvas* c = s.open("Light_Sequencer");
    const QByteArray before = s.snapshot();
    QGraphicsItem* deleted = kind == "state" ? static_cast<QGraphicsItem*>(c->stateItems.first())
        : kind == "transition"               ? static_cast<QGraphicsItem*>(c->transitionItems.first())
                                             : static_cast<QGraphicsItem*>(c->textItems.first());
    c->clearSelection();
    deleted->setSelected(true);
    s.action("actionDelete")->trigger();
    QVERIFY(s.snapshot() != before);
    s.action("actionUndo")->trigger();
    QCOMPARE(s.snapshot(), before);
    s.action("actionRedo")->trigger();
    s.action("actionUndo")->trigger();
    QCOMPARE(s.snapshot(), before);
}

QTEST_MAIN(TestClipboard)
#include "tst_clipboard.moc"
