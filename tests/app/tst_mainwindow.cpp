// The main window on the example project: its modified state as a user meets
// it (every edit sets it, a close then asks, undo back to the saved point
// clears it, gestures that change nothing leave it alone), its tools per
// diagram level, its settings and its images.
#include <QtTest>

#include <QAction>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QGraphicsView>
#include <QImageReader>
#include <QSettings>
#include <QTableWidget>
#include <QTextEdit>
#include <QTreeView>

#include "canvas.h"
#include "dataflowitem.h"
#include "graphicsviewzoom.h"
#include "itemtype.h"
#include "linkitem.h"
#include "mainwindow.h"
#include "memoryitem.h"
#include "modalanswerer.h"
#include "processitem.h"
#include "projectfixture.h"
#include "scenemouse.h"
#include "stateitem.h"
#include "takenelementswatch.h"
#include "testenvironment.h"
#include "textitem.h"
#include "transitionitem.h"

using namespace SceneMouse;

namespace {

struct Session
{
    ProjectFixture fixture;
    MainWindow window;
    TakenElementsWatch watch {window.projectCanvasesOf().history(), &window.getCanvases()};

    Session() { window.openFile(fixture.copyExample("Example_1.vorn")); }
    Canvas* open(const QString& label) { return ProjectFixture::showCanvas(window, label); }
    QAction* action(const char* name) { return window.findChild<QAction*>(QString::fromLatin1(name)); }
    // All three signs agree: the flag, the title's mark and the Save action.
    bool modified()
    {
        const bool flag = window.isProjectModified();
        return flag == window.isWindowModified() && flag == action("actionSave")->isEnabled() && flag;
    }
    // What a save would write now, without saving.
    QByteArray snapshot()
    {
        const QString path = fixture.path(QStringLiteral("snapshot.vorn"));
        return window.projectCanvasesOf().save(path) ? fixture.bytes(path) : QByteArray();
    }
    bool clean()
    {
        return !window.isProjectModified() && !window.isWindowModified() && !action("actionSave")->isEnabled();
    }
};

// Changes the description (or the text) that every properties dialog has.
void editDescription(QWidget* dialog)
{
    auto* edit = dialog->findChild<QTextEdit*>("textEdit");
    edit->setPlainText(edit->toPlainText() + " (edited)");
}

// The first item of a kind, made the canvas's current one, and the window's
// context menu command for its properties.
QGraphicsItem* pick(MainWindow& w, Canvas* c, int kind, std::function<void()>* viaMenu)
{
    switch (kind) {
    case StateItem::Type:
        *viaMenu = [&w] { w.displaySIPropertiesFromScene(); };
        return c->currentState = c->stateItems.first();
    case TransitionItem::Type:
        *viaMenu = [&w] { w.displayTIPropertiesFromScene(); };
        return c->currentTransition = c->transitionItems.first();
    case TextItem::Type:
        *viaMenu = [&w] { w.displayTextItemPropertiesFromScene(); };
        return c->currentText = c->textItems.first();
    case ProcessItem::Type:
        *viaMenu = [&w] { w.displayProcessItemPropertiesFromScene(); };
        return c->currentProcess = c->processItems.first();
    case LinkItem::Type:
        *viaMenu = [&w] { w.displayLinkItemPropertiesFromScene(); };
        return c->currentLink = c->linkItems.first();
    case MemoryItem::Type:
        *viaMenu = [&w] { w.displayMemoryItemPropertiesFromScene(); };
        return c->currentMemory = c->memoryItems.first();
    default:
        *viaMenu = [&w] { w.displayDataflowItemPropertiesFromScene(); };
        return c->currentDataflow = c->dataflowItems.first();
    }
}

// A left-button drag in the view, as a user makes it.
void dragInView(QGraphicsView* view, const QPointF& from, const QPointF& to)
{
    QWidget* viewport = view->viewport();
    const auto send = [viewport](QEvent::Type type, const QPoint& at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    const QPoint start = view->mapFromScene(from);
    const QPoint end = view->mapFromScene(to);
    send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, (start + end) / 2, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyDialogEditSetsModifiedAndCloseAsks_data();
    void everyDialogEditSetsModifiedAndCloseAsks();
    void undoBackToTheSavedPointClearsModified();
    void blockEditsUndoAndRedo_data();
    void blockEditsUndoAndRedo();
    void gesturesThatChangeNothingLeaveItClean();
    void selectingAllOrByBandAndTheScrolledArea();
    void saveWritesInTheBackground();
    void keysOfTheEditor();
    void toolsFollowTheDiagramShown_data();
    void toolsFollowTheDiagramShown();
    void settingsWrittenAtCloseAreReadBack();
    void imagesAreConvertedOnTheCallingThread();
};

void TestMainWindow::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestMainWindow::everyDialogEditSetsModifiedAndCloseAsks_data()
{
    QTest::addColumn<QString>("canvas");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("fromMenu");
    const QList<QPair<QString, int>> kinds {{"Light_Sequencer", StateItem::Type},
                                            {"Light_Sequencer", TransitionItem::Type},
                                            {"Light_Sequencer", TextItem::Type},
                                            {"Microcontroller", ProcessItem::Type},
                                            {"Microcontroller", LinkItem::Type},
                                            {"Microcontroller", MemoryItem::Type},
                                            {"Microcontroller", DataflowItem::Type}};
    for (const auto& kind : kinds) {
        for (bool menu : {false, true})
            QTest::addRow("%d %s", kind.second, menu ? "menu" : "double-click") << kind.first << kind.second << menu;
    }
}

void TestMainWindow::everyDialogEditSetsModifiedAndCloseAsks()
{
    QFETCH(QString, canvas);
    QFETCH(int, kind);
    QFETCH(bool, fromMenu);
    Session s;
    Canvas* c = s.open(canvas);
    QVERIFY(s.clean());
    QCOMPARE(s.window.windowTitle(), QString("Example_1.vorn[*] - Korvel"));
    std::function<void()> viaMenu;
    QGraphicsItem* item = pick(s.window, c, kind, &viaMenu);

    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Cancel, editDescription); // a cancelled edit is no change
    QString title;
    // nor is an OK without changes
    answer.pressButton(QDialogButtonBox::Ok, [&title](QWidget* dialog) { title = dialog->windowTitle(); });
    answer.pressButton(QDialogButtonBox::Ok, editDescription);
    for (int i = 0; i < 3; ++i) {
        if (fromMenu)
            viaMenu();
        else
            doubleClick(c, item->sceneBoundingRect().center());
        QCOMPARE(s.window.isProjectModified(), i == 2);
    }
    QCOMPARE(answer.answeredCount(), 3);
    const QMap<int, QString> kinds {{StateItem::Type, "State"},     {TransitionItem::Type, "Transition"},
                                    {TextItem::Type, "Text"},       {ProcessItem::Type, "Process"},
                                    {LinkItem::Type, "Link"},       {MemoryItem::Type, "Memory"},
                                    {DataflowItem::Type, "Dataflow"}};
    QCOMPARE(title, QString("Korvel - %1 Item Properties").arg(kinds.value(kind)));
    QVERIFY(s.modified());
    // The edit is one undo step on every kind of item.
    s.action("actionUndo")->trigger();
    QVERIFY(s.clean());
    s.action("actionRedo")->trigger();
    QVERIFY(s.modified());

    answer.pressButton(QMessageBox::Cancel);
    s.action("actionClose_Project")->trigger();
    QCOMPARE(answer.text(), QString("Project has been modified."));
    QCOMPARE(s.window.getCanvases().size(), 7);
}

void TestMainWindow::undoBackToTheSavedPointClearsModified()
{
    Session s;
    Canvas* c = s.open("Light_Sequencer");
    StateItem* state = c->stateItems.first();
    const QString before = state->getDescription();
    c->currentState = state;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, editDescription);
    answer.pressButton(QDialogButtonBox::Ok, editDescription);
    // Two edits of the same field in a row are one step.
    const int steps = c->undoStack()->count();
    s.window.displaySIPropertiesFromScene();
    s.window.displaySIPropertiesFromScene();
    QCOMPARE(c->undoStack()->count(), steps + 1);
    QCOMPARE(s.action("actionUndo")->text(), QString("Undo Edit State %1").arg(state->getLabel()));
    QVERIFY(s.window.saveDataToFile());
    QVERIFY(s.clean());

    c->setMode(Canvas::InsertState);
    click(c, QPointF(1500, 900));
    QVERIFY(s.modified());
    QCOMPARE(s.action("actionUndo")->text(), QString("Undo Add State"));
    s.action("actionUndo")->trigger(); // back to the saved point
    QVERIFY(s.clean());
    s.action("actionUndo")->trigger(); // past it: the edit is undone exactly
    QVERIFY(s.modified());
    QCOMPARE(state->getDescription(), before);
    s.action("actionRedo")->trigger();
    QVERIFY(s.clean());
    QCOMPARE(state->getDescription(), before + " (edited) (edited)");
}

enum BlockEdit { AddProcess, AddLink, AddDataflow, MoveProcess, MoveMemory, EditMemory, DeleteMemory,
                 BringToFront, RenameProject };

void TestMainWindow::blockEditsUndoAndRedo_data()
{
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("undoText");
    QTest::newRow("add process") << int(AddProcess) << "Undo Add Process";
    QTest::newRow("add link") << int(AddLink) << "Undo Add Link";
    QTest::newRow("add dataflow") << int(AddDataflow) << "Undo Add Dataflow";
    QTest::newRow("move process") << int(MoveProcess) << "Undo Move Item";
    QTest::newRow("move memory, link and dataflow") << int(MoveMemory) << "Undo Move 3 Items";
    QTest::newRow("edit memory") << int(EditMemory) << "Undo Edit Memory Item button_pressed";
    QTest::newRow("delete memory") << int(DeleteMemory) << "Undo Delete Memory Item";
    QTest::newRow("bring to front") << int(BringToFront) << "Undo Bring to Front";
    QTest::newRow("rename project") << int(RenameProject) << "Undo Rename Project Crossing_2";
}

void TestMainWindow::blockEditsUndoAndRedo()
{
    QFETCH(int, edit);
    QFETCH(QString, undoText);
    Session s;
    Canvas* c = s.open("Microcontroller");
    ProcessItem* first = c->processItems.first();
    ProcessItem* last = c->processItems.last();
    MemoryItem* memory = c->memoryItems.first();
    const qreal z = last->zValue();
    const QByteArray before = s.snapshot();

    ModalAnswerer answer;
    switch (BlockEdit(edit)) {
    case AddProcess:
        s.action("actionProcessRect")->trigger();
        click(c, QPointF(1200, 800));
        break;
    case AddLink:
    case AddDataflow:
        s.action(edit == AddLink ? "actionLink" : "actionDataflow")->trigger();
        drag(c, last->sceneBoundingRect().center(),
             (edit == AddLink ? static_cast<QGraphicsItem*>(first) : memory)->sceneBoundingRect().center());
        break;
    case MoveProcess:
        drag(c, first->sceneBoundingRect().center(), first->sceneBoundingRect().center() + QPointF(40, 30));
        break;
    case MoveMemory:
        // Selected together, they move together.
        c->clearSelection();
        for (QGraphicsItem* item : {static_cast<QGraphicsItem*>(memory), static_cast<QGraphicsItem*>(c->linkItems.first()),
                                    static_cast<QGraphicsItem*>(c->dataflowItems.first())})
            item->setSelected(true);
        drag(c, memory->sceneBoundingRect().center(), memory->sceneBoundingRect().center() + QPointF(40, 30));
        break;
    case EditMemory:
        c->currentMemory = memory;
        answer.pressButton(QDialogButtonBox::Ok, editDescription);
        s.window.displayMemoryItemPropertiesFromScene();
        break;
    case DeleteMemory:
        c->clearSelection();
        memory->setSelected(true);
        s.action("actionDelete")->trigger();
        break;
    case BringToFront:
        c->clearSelection();
        last->setSelected(true);
        s.action("actionBringToFront")->trigger();
        break;
    case RenameProject: {
        // Renaming saves at once; undo makes the old name a change to save.
        const QString name = s.window.getCanvases().first()->getLabel();
        s.window.renameActiveProject("Crossing_2");
        QVERIFY(s.clean());
        s.action("actionUndo")->trigger();
        QVERIFY(s.modified());
        QCOMPARE(s.snapshot(), before);
        QVERIFY(ProjectFixture::nodeNamed(s.window.findChild<QTreeView*>("treeView")->model(), name).isValid());
        s.action("actionRedo")->trigger();
        QVERIFY(s.clean());
        QCOMPARE(s.window.getCanvases().first()->getLabel(), QString("Crossing_2"));
        return;
    }
    }
    QCOMPARE(s.action("actionUndo")->text(), undoText);
    QVERIFY(s.action("actionUndo")->isEnabled() && !s.action("actionRedo")->isEnabled());
    QVERIFY(s.modified());
    const QByteArray after = s.snapshot();
    QCOMPARE(after == before, edit == BringToFront); // the file holds no stacking order
    QVERIFY(edit != BringToFront || last->zValue() > z);

    s.open("Light_Sequencer"); // undo shows where it happened
    s.action("actionUndo")->trigger();
    QCOMPARE(s.window.getCurrentCanvas(), c);
    QCOMPARE(s.snapshot(), before);
    QCOMPARE(last->zValue(), z);
    QVERIFY(s.clean());
    s.action("actionRedo")->trigger();
    QCOMPARE(s.snapshot(), after);
    QVERIFY(s.modified());

    // An undone step that a new one replaces lets go of what it took off (a
    // process's diagram too), and closing releases it.
    s.action("actionUndo")->trigger();
    c->clearSelection();
    first->setSelected(true);
    s.action("actionBringToFront")->trigger();
    QCOMPARE(s.snapshot(), before);
    QCOMPARE(s.window.getCanvases().size(), 7);
    answer.pressButton(QMessageBox::Discard);
    s.action("actionClose_Project")->trigger();
    QVERIFY(s.window.getCanvases().isEmpty());
}

void TestMainWindow::gesturesThatChangeNothingLeaveItClean()
{
    Session s;
    Canvas* c = s.open("Light_Sequencer");
    const QPointF onState = c->stateItems.first()->sceneBoundingRect().center();
    click(c, onState);
    move(c, onState + QPointF(200, 100), Qt::NoButton);
    s.open("Microcontroller");
    s.action("actionzoom_in")->trigger();
    click(s.window.getCurrentCanvas(), QPointF(5, 5));
    QVERIFY(s.clean());
}

// Select All takes every item that Delete or a drag acts on, on the canvas
// shown only; the view scrolls over the canvas size, also when items lie
// beyond it.
void TestMainWindow::selectingAllOrByBandAndTheScrolledArea()
{
    Session s;
    QCOMPARE(s.action("actionSelect_All")->shortcut(), QKeySequence(QStringLiteral("Ctrl+A")));
    const auto editable = [](Canvas* c) {
        return c->stateItems.size() + c->transitionItems.size() + c->textItems.size() + c->processItems.size()
            + c->linkItems.size() + c->memoryItems.size() + c->dataflowItems.size();
    };
    // A selected connector shows its line selected too.
    const auto selected = [](Canvas* canvas) {
        const QList<QGraphicsItem*> items = canvas->selectedItems();
        return int(std::count_if(items.begin(), items.end(), isEditableItem));
    };
    Canvas* machine = s.open("Light_Sequencer");
    QVERIFY(!machine->stateItems.isEmpty() && !machine->memoryItems.isEmpty());
    s.action("actionSelect_All")->trigger();
    QCOMPARE(selected(machine), editable(machine));
    Canvas* blocks = s.open("Microcontroller");
    QVERIFY(blocks->selectedItems().isEmpty() && !blocks->linkItems.isEmpty());
    s.action("actionSelect_All")->trigger();
    QCOMPARE(selected(blocks), editable(blocks));
    QCOMPARE(selected(machine), editable(machine));
    QVERIFY(s.clean());

    // A drag from an empty place selects what it encloses whole and shows
    // it as a click does, but only with the select tool: with a drawing
    // tool it draws.
    QGraphicsView* view = s.window.graphicsView();
    machine = s.open("Light_Sequencer");
    TransitionItem* whole = machine->transitionItems.first();
    view->centerOn(whole);
    const QRectF band = whole->sceneBoundingRect().adjusted(-10, -10, 10, 10);
    QVERIFY(machine->items(band.topLeft()).isEmpty());
    for (const char* tool : {"actionSelect", "actiontransition"}) {
        s.action(tool)->trigger();
        machine->clearSelection();
        dragInView(view, band.topLeft(), band.bottomRight());
        const bool selecting = tool == std::string("actionSelect");
        QCOMPARE(selected(machine), selecting ? 1 : 0);
        QCOMPARE(whole->isSelected(), selecting);
        if (selecting)
            QVERIFY(whole->isHighlighted());
    }
    s.action("actionSelect")->trigger();

    const QRectF area(0, 0, 2000, 1050);
    QCOMPARE(view->sceneRect(), area);
    machine = s.open("Light_Sequencer");
    machine->clearSelection();
    StateItem* far = machine->stateItems.first();
    drag(machine, far->sceneBoundingRect().center(), QPointF(4000, 3000));
    QVERIFY(!area.contains(far->sceneBoundingRect()));
    QVERIFY(s.window.saveDataToFile());
    s.window.openFile(s.window.projectIO().getFilePath());
    machine = s.open("Light_Sequencer");
    QCOMPARE(view->sceneRect(), area);
    for (QGraphicsItem* item : machine->items())
        QVERIFY(machine->sceneRect().contains(item->sceneBoundingRect()));
    QCOMPARE(machine->items(QPointF(4000, 3000)).size() > 0, true);
}

// Save writes on another thread. An edit made meanwhile stays out of the
// file and keeps the project modified; a failed write is reported and keeps
// Save; quitting waits for the write and, once it succeeded, asks only
// whether to quit.
void TestMainWindow::saveWritesInTheBackground()
{
    Session s;
    Canvas* c = s.open("Light_Sequencer");
    const QString file = s.window.projectIO().getFilePath();
    c->clearSelection();
    c->stateItems.first()->setSelected(true);
    s.action("actionBringToFront")->trigger();
    const QByteArray raised = s.snapshot();
    s.action("actionSave")->trigger();
    s.action("actionUndo")->trigger();
    s.window.finishSaving();
    QCOMPARE(s.fixture.bytes(file), raised);
    QVERIFY(s.modified());

    const QString nowhere = s.fixture.path(QStringLiteral("missing/folder/Example_1.vorn"));
    s.window.projectIO().setFilePath(nowhere);
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Ok);
    s.action("actionSave")->trigger();
    s.window.finishSaving();
    QCOMPARE(answer.answeredCount(), 1);
    QVERIFY2(answer.text().startsWith("The project could not be saved to " + QDir::toNativeSeparators(nowhere)
                                      + ".\n\n"),
             qPrintable(answer.text()));
    QVERIFY(answer.text().endsWith("\n\nThe previous version of the file was left unchanged."));
    QVERIFY(s.modified());

    s.window.projectIO().setFilePath(file);
    const QByteArray lowered = s.snapshot();
    s.action("actionSave")->trigger();
    ModalAnswerer quit;
    quit.pressButton(QMessageBox::Yes);
    QVERIFY(s.window.close());
    QCOMPARE(quit.text(), QString("Are you sure you want to quit Korvel?\n"));
    QCOMPARE(s.fixture.bytes(file), lowered);
}

// The keys a Qt user expects: the shortcuts Help lists, F2 for the dialog of
// the selected item, the arrow keys nudging the selection as one undo step
// per run of presses, and Escape dropping a connector being drawn.
void TestMainWindow::keysOfTheEditor()
{
    Session s;
    QMap<QString, QString> listed;
    ModalAnswerer answer;
    answer.reject([&listed](QWidget* dialog) {
        const auto* table = dialog->findChild<QTableWidget*>("TW_Shortcuts");
        for (int row = 0; row < table->rowCount(); ++row)
            listed.insert(table->item(row, 0)->text(), table->item(row, 1)->text());
    });
    s.action("actionKeyboard_Shortcuts")->trigger();
    const auto key = [](const char* text) {
        return QKeySequence(QString::fromLatin1(text)).toString(QKeySequence::NativeText);
    };
    QCOMPARE(listed.value("Undo"), key("Ctrl+Z"));
    QCOMPARE(listed.value("Redo"), key("Ctrl+Shift+Z") + ", " + key("Ctrl+Y"));
    QCOMPARE(listed.value("Save As"), key("Ctrl+Shift+S"));
    QCOMPARE(listed.value("Close Project"), key("Ctrl+W"));
    QCOMPARE(listed.value("Exit"), key("Ctrl+Q"));
    QCOMPARE(listed.value("Properties"), key("F2"));
    QCOMPARE(listed.value("Select All"), key("Ctrl+A"));
    QCOMPARE(listed.value("Find"), key("Ctrl+F"));
    QCOMPARE(listed.value("Duplicate"), key("Ctrl+D"));
    QCOMPARE(listed.value("Find Previous"), key("Shift+F3"));
    QCOMPARE(listed.value("Move the selection by ten units"), QString("Shift+Arrow keys"));

    Canvas* c = s.open("Light_Sequencer");
    StateItem* state = c->stateItems.first();
    c->clearSelection();
    state->setSelected(true);
    QString title;
    answer.reject([&title](QWidget* dialog) { title = dialog->windowTitle(); });
    s.action("actionProperties")->trigger();
    QCOMPARE(title, QString("Korvel - State Item Properties"));

    const auto send = [c](QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, bool repeat) {
        QKeyEvent event(type, key, modifiers, QString(), repeat);
        QCoreApplication::sendEvent(c, &event);
    };
    const QPointF at = state->pos();
    const int steps = c->undoStack()->count();
    send(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, false);
    send(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, true);
    send(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, true);
    send(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, false);
    send(QEvent::KeyPress, Qt::Key_Down, Qt::ShiftModifier, false);
    send(QEvent::KeyRelease, Qt::Key_Down, Qt::ShiftModifier, false);
    QCOMPARE(state->pos(), at + QPointF(2, 10));
    QCOMPARE(c->undoStack()->count(), steps + 2);
    s.action("actionUndo")->trigger();
    QCOMPARE(state->pos(), at + QPointF(2, 0));
    s.action("actionUndo")->trigger();
    QCOMPARE(state->pos(), at);
    QVERIFY(s.clean());

    s.action("actiontransition")->trigger();
    const int items = c->items().size();
    press(c, state->sceneBoundingRect().center());
    move(c, state->sceneBoundingRect().center() + QPointF(600, 0));
    QCOMPARE(c->items().size(), items + 1);
    s.action("actionSelect")->trigger();
    QCOMPARE(c->items().size(), items);
    release(c, state->sceneBoundingRect().center() + QPointF(600, 0));
    QCOMPARE(c->items().size(), items);
    QVERIFY(s.clean());
}

void TestMainWindow::toolsFollowTheDiagramShown_data()
{
    QTest::addColumn<QString>("canvas"); // empty: no project open
    QTest::addColumn<QStringList>("enabled");
    QTest::newRow("no project") << QString() << QStringList {"actionNew"};
    QTest::newRow("project") << "Pedestrian_Crossing"
                             << QStringList {"actionNew", "actionDelete", "actionSelect_All", "actionDataflow"};
    QTest::newRow("hardware module")
        << "Hardware Module"
        << QStringList {"actionNew", "actionDelete", "actionSelect_All", "actionMemory", "actionDataflow"};
    QTest::newRow("microcontroller")
        << "Microcontroller"
        << QStringList {"actionNew",  "actionDelete", "actionSelect_All", "actionProcessRect",
                        "actionLink", "actionMemory", "actionDataflow"};
    QTest::newRow("software module")
        << "Signal_Control"
        << QStringList {"actionNew",  "actionDelete", "actionSelect_All", "actionProcessRect",
                        "actionLink", "actionMemory", "actionDataflow"};
    // Undo and Redo wait for something to undo, on every level.
    QTest::newRow("state machine") << "Light_Sequencer"
                                   << QStringList {"actionNew", "actionDelete", "actionSelect_All", "actionState",
                                                   "actiontransition", "actionText", "actionMemory",
                                                   "actionSelf_transition"};
}

void TestMainWindow::toolsFollowTheDiagramShown()
{
    QFETCH(QString, canvas);
    QFETCH(QStringList, enabled);
    Session s;
    if (canvas.isEmpty()) {
        ModalAnswerer none;
        s.action("actionClose_Project")->trigger();
    } else {
        QCOMPARE(s.open(canvas)->getLabel(), canvas);
    }
    QStringList shown;
    for (const char* name : {"actionNew", "actionDelete", "actionSelect_All", "actionProcessRect", "actionLink",
                             "actionState",
                             "actiontransition", "actionText", "actionMemory", "actionDataflow",
                             "actionSelf_transition", "actionUndo", "actionRedo"}) {
        if (s.action(name)->isEnabled())
            shown << name;
    }
    std::sort(shown.begin(), shown.end());
    std::sort(enabled.begin(), enabled.end());
    QCOMPARE(shown, enabled);
    QCOMPARE(s.action("actionProperties")->isEnabled(), !canvas.isEmpty());
    QCOMPARE(s.window.zoomController()->isEnabled(), !canvas.isEmpty());
}

void TestMainWindow::settingsWrittenAtCloseAreReadBack()
{
    QSettings(QStringLiteral("Pelmora"), QStringLiteral("Korvel")).clear();
    {
        MainWindow w;
        w.codeGenerator().setAuthor("Grace");
        w.codeGenerator().setOrganization("Firmware Team");
        w.codeGenerator().setVersionNumber(3.5);
        w.setSceneScale(1.5, 1.25);
        w.writeSettings();
    }
    QVERIFY(QFile::exists(TestEnvironment::settingsFile()));
    MainWindow again;
    QCOMPARE(again.codeGenerator().getAuthor(), QString("Grace"));
    QCOMPARE(again.codeGenerator().getOrganization(), QString("Firmware Team"));
    QCOMPARE(again.codeGenerator().getVersionNo(), 3.5);
    QCOMPARE(again.getCanvasWidth(), 2000);
    again.readSettings();
    QCOMPARE(again.graphicsView()->transform().m11(), 1.5);
    QCOMPARE(again.graphicsView()->transform().m22(), 1.25);
}

void TestMainWindow::imagesAreConvertedOnTheCallingThread()
{
    // Qt 5.15 converts an image of 128 KiB or more on pool threads, and a race
    // in its QSemaphore then writes into the caller's finished stack frame
    // (tests/repro/qimageconversionrace.cpp); windows load these images.
    int frames = 0;
    QDirIterator it(QStringLiteral(":/Images"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        QImageReader reader(file);
        do {
            const QImage frame = reader.read();
            QVERIFY2(!frame.isNull(), qPrintable(file));
            QVERIFY2(frame.sizeInBytes() < 128 * 1024, qPrintable(file));
            ++frames;
        } while (reader.jumpToNextImage());
    }
    QVERIFY(frames > 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
