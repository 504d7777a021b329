// The browser, the canvases and the process items of an open project kept in
// step: double clicks, placing, renaming and deleting.

#include <QtTest>

#include <QAction>
#include <QLineEdit>
#include <QTreeView>
#include <QUndoStack>

#include "canvas.h"
#include "floatinglinkitem.h"
#include "floatingmemoryitem.h"
#include "initialtransition.h"
#include "linkitem.h"
#include "mainwindow.h"
#include "memoryitem.h"
#include "modalanswerer.h"
#include "processitem.h"
#include "projectfixture.h"
#include "scenemouse.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "treeitem.h"
#include "treemodel.h"

namespace {

struct Session
{
    ProjectFixture fixture;
    MainWindow window;
    QString file;

    Session() : file(fixture.copyExample("Example_1.vorn")) { window.openFile(file); }

    QTreeView* tree() { return window.findChild<QTreeView*>("treeView"); }
    void open(const QString& label)
    {
        const QModelIndex index = ProjectFixture::nodeNamed(tree()->model(), label);
        QVERIFY2(index.isValid(), qPrintable(label));
        window.on_treeView_doubleClicked(index);
        QCOMPARE(window.getCurrentCanvas()->getLabel(), label);
    }
    ProcessItem* process(const QString& label)
    {
        for (ProcessItem* p : window.getCurrentCanvas()->processItems)
            if (p->getLabel() == label)
                return p;
        return nullptr;
    }
    void deleteSelection(const QList<QGraphicsItem*>& items)
    {
        window.getCurrentCanvas()->clearSelection();
        for (QGraphicsItem* item : items)
            item->setSelected(true);
        window.findChild<QAction*>("actionDelete")->trigger();
    }
    // Saves, reopens and saves again: a consistent project gives the same bytes.
    void checkSavesAndLoadsIdentically()
    {
        QVERIFY(window.saveDataToFile());
        const QByteArray first = fixture.bytes(file);
        window.openFile(file);
        QVERIFY(window.saveDataToFile());
        QCOMPARE(fixture.bytes(file), first);
    }
};

} // namespace

class TestBinding : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loadBuildsOneCanvasPerNode();
    void doubleClickShowsMirrorsWithoutDuplicates();
    void doubleClickOnActiveNodeChangesNothing();
    void doubleClickInBrowserKeepsFolding_data();
    void doubleClickInBrowserKeepsFolding();
    void placingAProcessAddsCanvasAndBrowserNode();
    void renamingAProcessFollowsToCanvasAndBrowser();
    void deletingFirstOfTwoProcessesRenumbersTheSecond();
    void deletingAProcessRemovesItsWholeSubtree();
    void lastProcessCannotBeDeleted();
    void deletingTheInitialStateRemovesTheMarkerFirst();
    void deletingALinkWithItsProcessRemovesItOnce();
    void deletingAMemoryItemTakesItsDataflows();
    void newProjectBuiltOutSavesAndReopens();
};

void TestBinding::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestBinding::loadBuildsOneCanvasPerNode()
{
    Session s;
    const QVector<Canvas*>& canvases = s.window.getCanvases();
    QCOMPARE(canvases.size(), 7);
    int processes = 0;
    for (Canvas* canvas : canvases)
        processes += canvas->processItems.size();
    QCOMPARE(processes, canvases.size() - 1);
    // The order follows the file: depth first from the project node.
    QStringList labels;
    for (Canvas* canvas : canvases)
        labels << canvas->getLabel();
    QCOMPARE(labels, QStringList({"Pedestrian_Crossing", "Hardware Module", "Microcontroller", "Signal_Control",
                                  "Light_Sequencer", "Push_Button", "Button_Debounce"}));
    QCOMPARE(canvases.at(2)->linkItems.size(), 1);
    QCOMPARE(canvases.at(4)->stateItems.size(), 3);
    QVERIFY(canvases.at(4)->initialTransition->scene() == canvases.at(4));
}

void TestBinding::doubleClickShowsMirrorsWithoutDuplicates()
{
    Session s;
    s.open("Signal_Control");
    QCOMPARE(s.window.actionsState(), STATE_LEVEL4);
    Canvas* canvas = s.window.getCurrentCanvas();
    // Signal_Control is the end of one link and of one dataflow.
    QCOMPARE(canvas->floatingLinkItems.size(), 1);
    QCOMPARE(canvas->floatingLinkItems.first()->pos().x(), 10.0);
    QVERIFY(canvas->floatingLinkItems.first()->pos().y() >= 40);
    QCOMPARE(canvas->floatingMemoryItems.size(), 1);

    s.open("Push_Button");
    QCOMPARE(s.window.getCurrentCanvas()->floatingLinkItems.size(), 1);
    s.open("Light_Sequencer");
    QCOMPARE(s.window.actionsState(), STATE_LEVEL5);
    QVERIFY(s.window.findChild<QAction*>("actionState")->isEnabled());
    QVERIFY(!s.window.findChild<QAction*>("actionProcessRect")->isEnabled());

    s.open("Signal_Control");
    QCOMPARE(canvas->floatingLinkItems.size(), 1);
    QCOMPARE(canvas->floatingMemoryItems.size(), 1);
    int mirrors = 0;
    for (QGraphicsItem* item : canvas->items())
        mirrors += item->type() == FloatingLinkItem::Type || item->type() == FloatingMemoryItem::Type;
    QCOMPARE(mirrors, 2);
}

void TestBinding::doubleClickOnActiveNodeChangesNothing()
{
    Session s;
    s.open("Microcontroller");
    s.window.activateActionsFromKorvelState(STATE_LEVEL2); // something the click would change
    s.window.on_treeView_doubleClicked(ProjectFixture::nodeNamed(s.tree()->model(), "Microcontroller"));
    QCOMPARE(s.window.actionsState(), STATE_LEVEL2);
}

void TestBinding::doubleClickInBrowserKeepsFolding_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("expanded");
    QTest::newRow("unfolded node") << "Microcontroller" << true;
    QTest::newRow("folded node") << "Microcontroller" << false;
    QTest::newRow("unfolded top node") << "Hardware Module" << true;
}

void TestBinding::doubleClickInBrowserKeepsFolding()
{
    QFETCH(QString, label);
    QFETCH(bool, expanded);
    Session s;
    s.window.show();
    QTreeView* tree = s.tree();
    tree->expandAll();
    const QModelIndex index = ProjectFixture::nodeNamed(tree->model(), label);
    QVERIFY(index.isValid());
    QVERIFY(tree->model()->hasChildren(index));
    tree->setExpanded(index, expanded);
    tree->scrollTo(index);
    const QRect place = tree->visualRect(index);
    QVERIFY(!place.isEmpty());

    // A real double click on the row: the canvas changes, the folding does not.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
    QCOMPARE(s.window.getCurrentCanvas()->getLabel(), label);
    QCOMPARE(tree->isExpanded(index), expanded);
}

void TestBinding::placingAProcessAddsCanvasAndBrowserNode()
{
    Session s;
    s.open("Microcontroller");
    const int canvases = s.window.getCanvases().size();
    s.window.findChild<QAction*>("actionProcessRect")->trigger();
    SceneMouse::click(s.window.getCurrentCanvas(), QPointF(700, 900));

    QCOMPARE(s.window.getCanvases().size(), canvases + 1);
    Canvas* added = s.window.getCanvases().last();
    QCOMPARE(added->getLabel(), QString("process_41"));
    QCOMPARE(added->getLevel(), 4);
    QCOMPARE(added->getId(), 3);
    const QModelIndex node = ProjectFixture::nodeNamed(s.tree()->model(), "process_41");
    QVERIFY(node.isValid());
    QCOMPARE(node.parent().data().toString(), QString("Microcontroller"));
    TreeItem* item = static_cast<TreeModel*>(s.tree()->model())->getItem(node);
    QCOMPARE(item->getId(), 3);
    QCOMPARE(item->getLevel(), 4);
    QVERIFY(s.window.findChild<QAction*>("actionSave")->isEnabled());
    QCOMPARE(s.window.getCurrentCanvas()->getMode(), Canvas::SelectItem);
    s.checkSavesAndLoadsIdentically();
}

void TestBinding::renamingAProcessFollowsToCanvasAndBrowser()
{
    Session s;
    s.open("Microcontroller");
    s.window.getCurrentCanvas()->currentProcess = s.process("Push_Button");
    // A sibling's name is refused, and the dialog stays open with the text.
    QString kept;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("LE_Label")->setText(" Signal_Control ");
    });
    answer.accept();
    answer.pressButton(QDialogButtonBox::Ok, [&kept](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>("LE_Label");
        kept = edit->text();
        edit->setText("Walk_Button");
    });
    s.window.displayProcessItemPropertiesFromScene();
    QCOMPARE(answer.answeredCount(), 3);
    QCOMPARE(answer.text(), QString("Another process on this diagram is already named \"Signal_Control\". Links, "
                                    "dataflows and transitions find their ends by name, so each process needs "
                                    "a name of its own."));
    QCOMPARE(kept, QString(" Signal_Control "));
    QVERIFY(ProjectFixture::nodeNamed(s.tree()->model(), "Walk_Button").isValid());
    QVERIFY(!ProjectFixture::nodeNamed(s.tree()->model(), "Push_Button").isValid());
    QCOMPARE(s.window.getCanvases().at(5)->getLabel(), QString("Walk_Button"));
    s.open("Walk_Button");
    s.checkSavesAndLoadsIdentically();
}

void TestBinding::deletingFirstOfTwoProcessesRenumbersTheSecond()
{
    Session s;
    s.open("Microcontroller");
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Yes);
    s.deleteSelection({s.process("Signal_Control")});

    ProcessItem* remaining = s.process("Push_Button");
    QVERIFY(remaining);
    QCOMPARE(remaining->getId(), 1);
    QCOMPARE(remaining->getNos(), 1);
    bool found = false;
    Canvas* own = s.window.getCanvasItem(4, 1, 1, &found);
    QVERIFY(found);
    QCOMPARE(own->getLabel(), QString("Push_Button"));
    TreeItem* node = static_cast<TreeModel*>(s.tree()->model())->getItem(ProjectFixture::nodeNamed(s.tree()->model(), "Push_Button"));
    QCOMPARE(node->getId(), 1);
    // The state machine below followed its parent's new number.
    Canvas* machine = s.window.getCanvasItem(5, 1, 1, &found);
    QVERIFY(found);
    QCOMPARE(machine->getLabel(), QString("Button_Debounce"));
    QCOMPARE(machine->stateItems.first()->getParentId(), 1);
    QCOMPARE(machine->stateItems.first()->getGrandParentId(), 1);
}

void TestBinding::deletingAProcessRemovesItsWholeSubtree()
{
    Session s;
    s.open("Microcontroller");
    // Nothing brings a subtree back, so the user is asked first.
    ModalAnswerer answer;
    QString informative;
    answer.pressButton(QMessageBox::Cancel, [&](QWidget* box) {
        informative = static_cast<QMessageBox*>(box)->informativeText();
    });
    s.deleteSelection({s.process("Signal_Control")});
    QCOMPARE(answer.text(), QString("Delete process Signal_Control?"));
    QCOMPARE(informative, QString("This also deletes 2 diagrams and the 15 items on them. This cannot be undone."));
    QCOMPARE(s.window.getCanvases().size(), 7);
    QVERIFY(!s.window.isProjectModified());

    answer.pressButton(QMessageBox::Yes);
    s.deleteSelection({s.process("Signal_Control")});
    QVERIFY(s.window.isProjectModified());
    QStringList labels;
    for (Canvas* canvas : s.window.getCanvases())
        labels << canvas->getLabel();
    QCOMPARE(labels, QStringList({"Pedestrian_Crossing", "Hardware Module", "Microcontroller", "Push_Button",
                                  "Button_Debounce"}));
    QVERIFY(!ProjectFixture::nodeNamed(s.tree()->model(), "Light_Sequencer").isValid());
    QVERIFY(s.window.getCurrentCanvas()->linkItems.isEmpty());
    s.checkSavesAndLoadsIdentically();
    QCOMPARE(s.window.getCanvases().size(), 5);
}

void TestBinding::lastProcessCannotBeDeleted()
{
    Session s;
    ModalAnswerer answer;
    answer.accept();
    s.deleteSelection({s.process("Hardware Module")});
    QCOMPARE(answer.title(), QString("Korvel"));
    QCOMPARE(answer.text(), QString("Last Process Item cannot be deleted"));
    QCOMPARE(s.window.getCanvases().size(), 7);
    QVERIFY(!s.window.findChild<QAction*>("actionSave")->isEnabled()); // nothing changed
}

void TestBinding::deletingTheInitialStateRemovesTheMarkerFirst()
{
    Session s;
    s.open("Light_Sequencer");
    Canvas* canvas = s.window.getCurrentCanvas();
    StateItem* red = canvas->stateItems.first();
    QVERIFY(red->initialStatus());
    const int transitions = canvas->transitionItems.size();
    s.deleteSelection({red});
    QVERIFY(!canvas->initialTransition->scene());
    QVERIFY(!canvas->stateItems.contains(red));
    QCOMPARE(canvas->transitionItems.size(), transitions - 2);

    canvas->undoStack()->undo();
    QVERIFY(canvas->stateItems.contains(red));
    QCOMPARE(canvas->transitionItems.size(), transitions);
}

void TestBinding::deletingALinkWithItsProcessRemovesItOnce()
{
    Session s;
    s.open("Microcontroller");
    Canvas* canvas = s.window.getCurrentCanvas();
    LinkItem* link = canvas->linkItems.first();
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Yes);
    s.deleteSelection({link, s.process("Signal_Control")});
    QVERIFY(canvas->linkItems.isEmpty());
    QVERIFY(s.process("Push_Button")->getLinks().isEmpty());
    s.checkSavesAndLoadsIdentically();
}

void TestBinding::deletingAMemoryItemTakesItsDataflows()
{
    Session s;
    s.open("Microcontroller");
    Canvas* canvas = s.window.getCurrentCanvas();
    QCOMPARE(canvas->dataflowItems.size(), 2);
    s.deleteSelection({canvas->memoryItems.first()});
    QVERIFY(canvas->memoryItems.isEmpty());
    QVERIFY(canvas->dataflowItems.isEmpty());
    QVERIFY(s.process("Signal_Control")->getDataflows().isEmpty());
    s.checkSavesAndLoadsIdentically();
}

void TestBinding::newProjectBuiltOutSavesAndReopens()
{
    ProjectFixture fixture;
    MainWindow w;
    const QString file = fixture.path("Lift.vorn");
    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) { ProjectFixture::chooseFile(dialog, file); });
    w.findChild<QAction*>("actionNew")->trigger();
    QCOMPARE(w.getCanvases().size(), 5);

    // Down to the software module, add a second state machine there.
    auto* tree = w.findChild<QTreeView*>("treeView");
    QModelIndex module = tree->model()->index(0, 0);
    for (int depth = 1; depth < 4; ++depth)
        module = tree->model()->index(0, 0, module);
    w.on_treeView_doubleClicked(module);
    QCOMPARE(w.actionsState(), STATE_LEVEL4);
    w.findChild<QAction*>("actionProcessRect")->trigger();
    SceneMouse::click(w.getCurrentCanvas(), QPointF(900, 500));
    QCOMPARE(w.getCanvases().size(), 6);
    const QModelIndex machine = tree->model()->index(1, 0, module);
    QCOMPARE(machine.data().toString(), QString("process_51"));

    w.on_treeView_doubleClicked(machine);
    QCOMPARE(w.actionsState(), STATE_LEVEL5);
    Canvas* canvas = w.getCurrentCanvas();
    for (const QPointF& at : {QPointF(300, 300), QPointF(900, 300)}) {
        w.findChild<QAction*>("actionState")->trigger();
        SceneMouse::click(canvas, at);
    }
    w.findChild<QAction*>("actiontransition")->trigger();
    SceneMouse::drag(canvas, QPointF(300, 300), QPointF(900, 300));
    QCOMPARE(canvas->stateItems.size(), 2);
    QCOMPARE(canvas->transitionItems.size(), 1);
    QVERIFY(w.findChild<QAction*>("actionSave")->isEnabled());
    // Transitions name their states, so the states get names of their own.
    for (const QString& name : {QStringLiteral("Idle"), QStringLiteral("Moving")}) {
        canvas->currentState = canvas->stateItems.at(name == "Idle" ? 0 : 1);
        ModalAnswerer naming;
        naming.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
            dialog->findChild<QLineEdit*>("LE_StateName")->setText(name);
        });
        canvas->displayStateProperties();
        QCOMPARE(canvas->currentState->getLabel(), name);
    }

    w.findChild<QAction*>("actionSave")->trigger();
    QVERIFY(!w.findChild<QAction*>("actionSave")->isEnabled());
    const QByteArray saved = fixture.bytes(file);
    w.openFile(file);
    QCOMPARE(w.getCanvases().size(), 6);
    QCOMPARE(w.getCanvases().last()->getLabel(), QString("process_51"));
    QCOMPARE(w.getCanvases().last()->stateItems.size(), 2);
    QCOMPARE(w.getCanvases().last()->transitionItems.size(), 1);
    QVERIFY(w.saveDataToFile());
    QCOMPARE(fixture.bytes(file), saved);
}

QTEST_MAIN(TestBinding)
#include "tst_binding.moc"
