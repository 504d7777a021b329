// The browser, the canvases and the process items of an open project kept in
// step: placing, renaming and deleting, each saved and read back; and the
// browser's model, built from indented lines, numbering each node and finding
// a node again.

#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTreeView>
#include <QTreeWidget>

#include "canvas.h"
#include "finddock.h"
#include "linkitem.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "processitem.h"
#include "projectfixture.h"
#include "scenemouse.h"
#include "stateitem.h"
#include "takenelementswatch.h"
#include "testenvironment.h"
#include "treeitem.h"
#include "treemodel.h"

namespace {

struct Session
{
    ProjectFixture fixture;
    MainWindow window;
    TakenElementsWatch watch {window.projectCanvasesOf().history(), &window.getCanvases()};
    QString file;

    Session() : file(fixture.copyExample("Example_1.vorn")) { window.openFile(file); }

    QAbstractItemModel* model() { return window.findChild<QTreeView*>("treeView")->model(); }
    QAction* action(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
    Canvas* open(const QString& label) { return ProjectFixture::showCanvas(window, label); }
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
        action("actionDelete")->trigger();
    }
    // What a save would write now, without saving.
    QByteArray snapshot()
    {
        const QString path = fixture.path(QStringLiteral("snapshot.vorn"));
        if (!window.projectCanvasesOf().save(path))
            return QByteArray();
        return fixture.bytes(path);
    }
    QStringList labels() const
    {
        QStringList out;
        for (Canvas* canvas : window.getCanvases())
            out << canvas->getLabel();
        return out;
    }
    // Saves, reopens and saves again: a consistent project gives the same bytes.
    void checkSavesAndLoadsIdentically()
    {
        const QStringList before = labels();
        QVERIFY(window.saveDataToFile());
        const QByteArray first = fixture.bytes(file);
        window.openFile(file);
        QCOMPARE(labels(), before);
        QVERIFY(window.saveDataToFile());
        QCOMPARE(fixture.bytes(file), first);
    }
};


// One line per node, indented by depth: "label (level,id,parent,grandparent)".
void describe(const TreeItem* node, int depth, QStringList* out)
{
    for (int row = 0; row < node->childCount(); ++row) {
        const TreeItem* child = node->child(row);
        out->append(QString(depth * 2, QLatin1Char(' '))
                    + QStringLiteral("%1 (%2,%3,%4,%5)")
                          .arg(child->data(0).toString())
                          .arg(child->getLevel())
                          .arg(child->getId())
                          .arg(child->getParentId())
                          .arg(child->getGrandParentId()));
        QCOMPARE(child->parent(), node);
        QCOMPARE(child->childNumber(), row);
        describe(child, depth + 1, out);
    }
}

QStringList describe(TreeModel& model)
{
    QStringList out;
    describe(model.getItem(QModelIndex()), 0, &out);
    return out;
}

} // namespace

class TestBinding : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void placingAProcessAddsCanvasAndBrowserNode();
    void renamingAProcessFollowsToCanvasAndBrowser();
    void deletingAProcessIsOneStepThatComesBackWhole();
    void lastProcessCannotBeDeleted();
    void newProjectBuiltOutSavesAndReopens();
    void modelBuildsFromLines_data();
    void modelBuildsFromLines();
    void childPositionNeedsLabelAndIdentity();
    void findShowsEveryElementHoldingTheText();
};

void TestBinding::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestBinding::placingAProcessAddsCanvasAndBrowserNode()
{
    Session s;
    Canvas* module = s.open("Microcontroller");
    // The new diagram takes the canvas size last set.
    ModalAnswerer sized;
    sized.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        dialog->findChild<QSpinBox*>("widthBox")->setValue(5000);
        dialog->findChild<QSpinBox*>("heightBox")->setValue(4000);
    });
    s.action("actionSet_Canvas_Size")->trigger();
    s.action("actionProcessRect")->trigger();
    SceneMouse::click(module, QPointF(700, 900));

    QCOMPARE(s.window.getCanvases().size(), 8);
    Canvas* added = s.window.getCanvases().last();
    QCOMPARE(added->area(), QRectF(0, 0, 5000, 4000));
    QCOMPARE(added->getLabel(), QString("process_41"));
    QCOMPARE(QVector<int>({added->getLevel(), added->getId()}), QVector<int>({4, 3}));
    const QModelIndex node = ProjectFixture::nodeNamed(s.model(), "process_41");
    QCOMPARE(node.parent().data().toString(), QString("Microcontroller"));
    TreeItem* item = static_cast<TreeModel*>(s.model())->getItem(node);
    QCOMPARE(QVector<int>({item->getLevel(), item->getId()}), QVector<int>({4, 3}));
    QVERIFY(s.window.isProjectModified());
    QVERIFY(s.action("actionSave")->isEnabled());
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
    QCOMPARE(answer.texts().value(0),
             QString("Another process on this diagram is already named \"Signal_Control\". Links, dataflows and "
                     "transitions find their ends by name, so each process needs a name of its own."));
    QCOMPARE(kept, QString(" Signal_Control "));
    QVERIFY(!ProjectFixture::nodeNamed(s.model(), "Push_Button").isValid());
    QCOMPARE(s.window.getCanvases().at(5)->getLabel(), QString("Walk_Button"));
    // Undo and redo rename the process, its diagram and its browser node.
    s.action("actionUndo")->trigger();
    QCOMPARE(s.window.getCanvases().at(5)->getLabel(), QString("Push_Button"));
    QVERIFY(ProjectFixture::nodeNamed(s.model(), "Push_Button").isValid());
    QVERIFY(s.process("Push_Button"));
    s.action("actionRedo")->trigger();
    QCOMPARE(s.window.getCanvases().at(5)->getLabel(), QString("Walk_Button"));
    QVERIFY(!ProjectFixture::nodeNamed(s.model(), "Push_Button").isValid());
    s.open("Walk_Button");
    QCOMPARE(s.window.getCurrentCanvas(), s.window.getCanvases().at(5));
    s.checkSavesAndLoadsIdentically();
}

void TestBinding::deletingAProcessIsOneStepThatComesBackWhole()
{
    Session s;
    Canvas* canvas = s.open("Microcontroller");
    const QByteArray before = s.snapshot();
    const QStringList labelsBefore = s.labels();
    // A node the user folded stays folded while the browser follows.
    auto* tree = s.window.findChild<QTreeView*>("treeView");
    tree->collapse(ProjectFixture::nodeNamed(s.model(), "Push_Button"));

    // No question: the subtree comes back with undo. The link selected with
    // the process goes once, with its end.
    s.deleteSelection({canvas->linkItems.first(), s.process("Signal_Control")});
    QCOMPARE(s.action("actionUndo")->text(), QString("Undo Delete Items"));
    QVERIFY(s.window.isProjectModified());
    QCOMPARE(s.labels(), QStringList({"Pedestrian_Crossing", "Hardware Module", "Microcontroller", "Push_Button",
                                      "Button_Debounce"}));
    QVERIFY(!ProjectFixture::nodeNamed(s.model(), "Light_Sequencer").isValid());
    QVERIFY(!tree->isExpanded(ProjectFixture::nodeNamed(s.model(), "Push_Button")));
    QVERIFY(tree->isExpanded(ProjectFixture::nodeNamed(s.model(), "Microcontroller")));
    QVERIFY(canvas->linkItems.isEmpty());
    QVERIFY(s.process("Push_Button")->getLinks().isEmpty());
    // The remaining process and the machine below it took the freed number.
    QCOMPARE(s.process("Push_Button")->getId(), 1);
    bool found = false;
    QCOMPARE(s.window.getCanvasItem(4, 1, 1, &found)->getLabel(), QString("Push_Button"));
    Canvas* machine = s.window.getCanvasItem(5, 1, 1, &found);
    QVERIFY(found);
    QCOMPARE(machine->getLabel(), QString("Button_Debounce"));
    QCOMPARE(static_cast<TreeModel*>(s.model())->getItem(ProjectFixture::nodeNamed(s.model(), "Push_Button"))->getId(), 1);
    const QByteArray after = s.snapshot();

    // Undo, shown from another canvas, brings back the canvas where it
    // happened and the whole subtree, byte for byte; redo takes it again.
    s.open("Button_Debounce");
    s.action("actionUndo")->trigger();
    QCOMPARE(s.window.getCurrentCanvas(), canvas);
    // The canvases come back in their places: the order of the machines.
    QCOMPARE(s.labels(), labelsBefore);
    QCOMPARE(s.snapshot(), before);
    QVERIFY(!s.window.isProjectModified());
    QVERIFY(ProjectFixture::nodeNamed(s.model(), "Light_Sequencer").isValid());
    s.action("actionRedo")->trigger();
    QCOMPARE(s.snapshot(), after);
    s.action("actionUndo")->trigger();
    QCOMPARE(s.snapshot(), before);
    s.checkSavesAndLoadsIdentically();

    // Closed while taken away, the subtree's canvases go with the project.
    QPointer<Canvas> taken = s.open("Light_Sequencer");
    s.open("Microcontroller");
    s.deleteSelection({s.process("Signal_Control")});
    QVERIFY(!ProjectFixture::nodeNamed(s.model(), "Light_Sequencer").isValid());
    QVERIFY(taken);
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Discard);
    s.action("actionClose_Project")->trigger();
    QVERIFY(!taken);
}

void TestBinding::lastProcessCannotBeDeleted()
{
    Session s;
    ModalAnswerer answer;
    answer.accept();
    s.deleteSelection({s.process("Hardware Module")});
    QCOMPARE(answer.text(), QString("Last Process Item cannot be deleted"));
    QCOMPARE(s.window.getCanvases().size(), 7);
    QVERIFY(!s.window.isProjectModified());
}

void TestBinding::newProjectBuiltOutSavesAndReopens()
{
    ProjectFixture fixture;
    MainWindow w;
    const QString file = fixture.path("Lift.vorn");
    ModalAnswerer answer;
    answer.accept([&](QWidget* dialog) { ProjectFixture::chooseFile(dialog, file); });
    w.findChild<QAction*>("actionNew")->trigger();
    // New opens the default project at once, unmodified.
    QCOMPARE(w.statusBar()->currentMessage(), QString("Project %1 created successfully").arg(file));
    QCOMPARE(w.actionsState(), STATE_LEVEL1);
    QVERIFY(!w.isProjectModified());
    QCOMPARE(w.getCanvases().size(), 5);

    // Down to the software module, add a second state machine there.
    QAbstractItemModel* model = w.findChild<QTreeView*>("treeView")->model();
    QModelIndex module = model->index(0, 0);
    for (int depth = 1; depth < 4; ++depth)
        module = model->index(0, 0, module);
    w.on_treeView_doubleClicked(module);
    w.findChild<QAction*>("actionProcessRect")->trigger();
    SceneMouse::click(w.getCurrentCanvas(), QPointF(900, 500));
    const QModelIndex machine = model->index(1, 0, module);
    QCOMPARE(machine.data().toString(), QString("process_51"));

    w.on_treeView_doubleClicked(machine);
    Canvas* canvas = w.getCurrentCanvas();
    for (const QPointF& at : {QPointF(300, 300), QPointF(900, 300)}) {
        w.findChild<QAction*>("actionState")->trigger();
        SceneMouse::click(canvas, at);
    }
    w.findChild<QAction*>("actiontransition")->trigger();
    SceneMouse::drag(canvas, QPointF(300, 300), QPointF(900, 300));
    QCOMPARE(canvas->transitionItems.size(), 1);
    // Transitions name their states, so the states get names of their own.
    for (int i : {0, 1}) {
        canvas->currentState = canvas->stateItems.at(i);
        ModalAnswerer naming;
        naming.pressButton(QDialogButtonBox::Ok, [i](QWidget* dialog) {
            dialog->findChild<QLineEdit*>("LE_StateName")->setText(i ? "Moving" : "Idle");
        });
        canvas->displayStateProperties();
    }

    w.findChild<QAction*>("actionSave")->trigger();
    w.finishSaving();
    QVERIFY(!w.isProjectModified());
    const QByteArray saved = fixture.bytes(file);
    w.openFile(file);
    QCOMPARE(w.getCanvases().size(), 6);
    QCOMPARE(w.getCanvases().last()->getLabel(), QString("process_51"));
    QCOMPARE(w.getCanvases().last()->stateItems.size(), 2);
    QCOMPARE(w.getCanvases().last()->transitionItems.size(), 1);
    QVERIFY(w.saveDataToFile());
    QCOMPARE(fixture.bytes(file), saved);
}

void TestBinding::modelBuildsFromLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("tree");

    QTest::newRow("numbered down to level five")
        << "Proj\n    HW\n        MCU\n            SW1\n                SM1\n            SW2\n"
           "                SM1\n                SM2\n                    Six\n    HW2"
        << QStringList {"Proj (1,1,1,1)", "  HW (2,1,1,1)", "    MCU (3,1,1,1)", "      SW1 (4,1,1,1)",
                        "        SM1 (5,1,1,1)", "      SW2 (4,2,1,1)", "        SM1 (5,1,2,1)",
                        "        SM2 (5,2,2,1)", "          Six (0,0,0,0)", "  HW2 (2,2,1,1)"};
    // The root has no children when X comes: X joins it without starting a
    // level, so Y nests under X and Z pops back to the root.
    QTest::newRow("deeper line under a parent without children")
        << "        X\n            Y\n    Z" << QStringList {"X (1,1,1,1)", "  Y (2,1,1,1)", "Z (1,2,1,1)"};
    QTest::newRow("same indentation after an indented first line nests")
        << "    X\n    Y" << QStringList {"X (1,1,1,1)", "  Y (2,1,1,1)"};
    QTest::newRow("blank lines, carriage returns, inner spaces")
        << "\nMy Project\r\n\n    \n    Hardware Module  \r\n\r\n"
        << QStringList {"My Project (1,1,1,1)", "  Hardware Module (2,1,1,1)"};
    QTest::newRow("empty text gives no rows") << QString() << QStringList();
}

void TestBinding::modelBuildsFromLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, tree);
    TreeModel model(QStringList {QString()}, text);
    model.updateProjectModel();
    QCOMPARE(describe(model), tree);
}

void TestBinding::childPositionNeedsLabelAndIdentity()
{
    TreeModel model(QStringList {QString()}, QStringLiteral("P\n    A\n    B\n    B"));
    model.updateProjectModel();
    TreeItem* p = model.getItem(model.index(0, 0));
    bool found = false;
    QCOMPARE(p->getChildPos(2, 3, 1, 1, QStringLiteral("B"), &found), 2);
    QVERIFY(found);
    QCOMPARE(p->getChildPos(2, 1, 1, 1, QStringLiteral("B"), &found), 0); // right label, wrong identity
    QVERIFY(!found);
    found = true;
    QCOMPARE(p->getChildPos(2, 1, 1, 1, QStringLiteral("a"), &found), 0); // right identity, wrong label
    QVERIFY(!found);
}


void TestBinding::findShowsEveryElementHoldingTheText()
{
    Session s;
    FindDock* dock = s.window.findView();
    auto* field = dock->findChild<QLineEdit*>("LE_Find");
    auto* list = dock->findChild<QTreeWidget*>("TW_FindResults");
    auto* status = dock->findChild<QLabel*>("LB_FindStatus");
    QVERIFY(dock->isHidden());
    s.action("actionFind")->trigger();
    QVERIFY(!dock->isHidden());

    // Any case; the machine's memory, a guard and action, a text item's line.
    field->setText("Walk_Requested");
    QTest::keyClick(field, Qt::Key_Return);
    const QString machine = "Pedestrian_Crossing/Hardware Module/Microcontroller/Signal_Control/Light_Sequencer";
    const QStringList expected {
        "Memory walk_requested|" + machine + "|Name|walk_requested",
        "Transition T_slow|" + machine + "|Guard, Action|(ticks >= GREEN_TICKS || walk_requested)",
        "Text item|" + machine + "|Text|walk_requested = 1;"};
    QStringList rows;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < 4; ++column)
            cells << list->topLevelItem(row)->text(column);
        rows << cells.join('|');
    }
    QCOMPARE(rows, expected);
    const auto selectedName = [&s]() -> QString {
        const QList<QGraphicsItem*> selected = s.window.getCurrentCanvas()->selectedItems();
        const auto* item = selected.size() == 1 ? dynamic_cast<QObject*>(selected.first()) : nullptr;
        return item ? item->metaObject()->className() : QString();
    };
    // Enter showed the first: its canvas, and it alone selected.
    QCOMPARE(s.window.getCurrentCanvas()->getLabel(), QString("Light_Sequencer"));
    QCOMPARE(selectedName(), QString("MemoryItem"));
    QCOMPARE(status->text(), "1 of 3: Memory walk_requested in " + machine);

    // F3 steps on, Shift+F3 back, both around the ends.
    s.open("Microcontroller");
    s.action("actionFind_Next")->trigger();
    QCOMPARE(s.window.getCurrentCanvas()->getLabel(), QString("Light_Sequencer"));
    QCOMPARE(selectedName(), QString("TransitionItem"));
    s.action("actionFind_Previous")->trigger();
    s.action("actionFind_Previous")->trigger();
    QCOMPARE(selectedName(), QString("TextItem"));
    QCOMPARE(dock->currentResult(), 2);

    // A deleted element is not shown, and is again once undone.
    s.action("actionDelete")->trigger();
    QVERIFY(dock->showResult(2));
    QCOMPARE(status->text(), QString("Text item is no longer in the project."));
    s.action("actionUndo")->trigger();
    QVERIFY(dock->showResult(2));
    QCOMPARE(selectedName(), QString("TextItem"));

    field->setText("no such thing");
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(list->topLevelItemCount(), 0);
    QCOMPARE(status->text(), QString("No element holds \"no such thing\"."));
    field->setText("green_ticks");
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(status->text(), "1 of 2: Transition T_slow in " + machine);
    QCOMPARE(dock->results().size(), 2);

    s.action("actionClose_Project")->trigger();
    QCOMPARE(list->topLevelItemCount(), 0);
    QVERIFY(!dock->step(1));
}

QTEST_MAIN(TestBinding)
#include "tst_binding.moc"
