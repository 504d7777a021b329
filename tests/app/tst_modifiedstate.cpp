// The window's modified state, as a user meets it: every edit sets it, a
// close then asks, undo back to the saved point clears it, and gestures that
// change nothing leave it alone.
#include <QtTest>

#include <QAction>
#include <QDialogButtonBox>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsView>
#include <QMenu>
#include <QTextEdit>
#include <QTreeView>
#include <QUndoStack>

#include "canvas.h"
#include "dataflowitem.h"
#include "graphicsviewzoom.h"
#include "linkitem.h"
#include "mainwindow.h"
#include "memoryitem.h"
#include "modalanswerer.h"
#include "processitem.h"
#include "projectfixture.h"
#include "scenemouse.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "textitem.h"
#include "tourbox.h"
#include "transitionitem.h"

using namespace SceneMouse;

namespace {

struct Session
{
    ProjectFixture fixture;
    MainWindow window;
    QString file;

    Session() : file(fixture.copyExample("Example_1.vorn")) { window.openFile(file); }

    Canvas* open(const QString& label)
    {
        auto* tree = window.findChild<QTreeView*>("treeView");
        window.on_treeView_doubleClicked(ProjectFixture::nodeNamed(tree->model(), label));
        return window.getCurrentCanvas();
    }
    bool modified() const
    {
        return window.isProjectModified() && window.isWindowModified()
            && window.findChild<QAction*>("actionSave")->isEnabled();
    }
    bool clean() const
    {
        return !window.isProjectModified() && !window.isWindowModified()
            && !window.findChild<QAction*>("actionSave")->isEnabled();
    }
};

// Changes the description (or the text) that every properties dialog has.
void editDescription(QWidget* dialog)
{
    auto* edit = dialog->findChild<QTextEdit*>("textEdit");
    edit->setPlainText(edit->toPlainText() + " (edited)");
}

} // namespace

class TestModifiedState : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyDialogEditSetsModifiedAndCloseAsks_data();
    void everyDialogEditSetsModifiedAndCloseAsks();
    void undoBackToTheSavedPointClearsModified();
    void gesturesThatChangeNothingLeaveItClean();
    void rightClickDeleteRemovesOnlyTheClickedItem();
    void hiddenTransitionCannotBeHit();
    void wheelBurstStopsAtTheLimits();
    void closingAnotherProjectEndsTheTourOnly();
};

void TestModifiedState::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestModifiedState::everyDialogEditSetsModifiedAndCloseAsks_data()
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

void TestModifiedState::everyDialogEditSetsModifiedAndCloseAsks()
{
    QFETCH(QString, canvas);
    QFETCH(int, kind);
    QFETCH(bool, fromMenu);
    Session s;
    Canvas* c = s.open(canvas);
    QVERIFY(s.clean());
    QCOMPARE(s.window.windowTitle(), QString("Example_1.vorn[*] - Korvel"));

    QGraphicsItem* item = nullptr;
    std::function<void()> viaMenu;
    switch (kind) {
    case StateItem::Type:
        item = c->currentState = c->stateItems.first();
        viaMenu = [&] { s.window.displaySIPropertiesFromScene(); };
        break;
    case TransitionItem::Type:
        item = c->currentTransition = c->transitionItems.first();
        viaMenu = [&] { s.window.displayTIPropertiesFromScene(); };
        break;
    case TextItem::Type:
        item = c->currentText = c->textItems.first();
        viaMenu = [&] { s.window.displayTextItemPropertiesFromScene(); };
        break;
    case ProcessItem::Type:
        item = c->currentProcess = c->processItems.first();
        viaMenu = [&] { s.window.displayProcessItemPropertiesFromScene(); };
        break;
    case LinkItem::Type:
        item = c->currentLink = c->linkItems.first();
        viaMenu = [&] { s.window.displayLinkItemPropertiesFromScene(); };
        break;
    case MemoryItem::Type:
        item = c->currentMemory = c->memoryItems.first();
        viaMenu = [&] { s.window.displayMemoryItemPropertiesFromScene(); };
        break;
    case DataflowItem::Type:
        item = c->currentDataflow = c->dataflowItems.first();
        viaMenu = [&] { s.window.displayDataflowItemPropertiesFromScene(); };
        break;
    }

    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Cancel, editDescription); // a cancelled edit is no change
    answer.pressButton(QDialogButtonBox::Ok); // nor is an OK without changes
    answer.pressButton(QDialogButtonBox::Ok, editDescription);
    for (int i = 0; i < 3; ++i) {
        if (fromMenu)
            viaMenu();
        else
            doubleClick(c, item->sceneBoundingRect().center());
        QCOMPARE(s.window.isProjectModified(), i == 2);
    }
    QCOMPARE(answer.answeredCount(), 3);
    QVERIFY(s.modified());
    QVERIFY(s.window.windowTitle().startsWith("Example_1.vorn"));

    answer.pressButton(QMessageBox::Cancel);
    s.window.findChild<QAction*>("actionClose_Project")->trigger();
    QCOMPARE(answer.text(), QString("Project has been modified."));
    QCOMPARE(s.window.getCanvases().size(), 7);
}

void TestModifiedState::undoBackToTheSavedPointClearsModified()
{
    Session s;
    Canvas* c = s.open("Light_Sequencer");
    StateItem* state = c->stateItems.first();
    const QString before = state->getDescription();
    c->currentState = state;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, editDescription);
    s.window.displaySIPropertiesFromScene();
    QCOMPARE(s.window.findChild<QAction*>("actionUndo")->text(),
             QString("Undo Edit State %1").arg(state->getLabel()));
    QVERIFY(s.window.saveDataToFile());
    QVERIFY(s.clean());

    c->setMode(Canvas::InsertState);
    click(c, QPointF(1500, 900));
    QVERIFY(s.modified());
    QCOMPARE(s.window.findChild<QAction*>("actionUndo")->text(), QString("Undo Add State"));

    auto* undo = s.window.findChild<QAction*>("actionUndo");
    auto* redo = s.window.findChild<QAction*>("actionRedo");
    undo->trigger(); // back to the saved point
    QVERIFY(s.clean());
    undo->trigger(); // past it: the edit is undone exactly
    QVERIFY(s.modified());
    QCOMPARE(state->getDescription(), before);
    QCOMPARE(redo->text(), QString("Redo Edit State %1").arg(state->getLabel()));
    redo->trigger();
    QVERIFY(s.clean());
    QCOMPARE(state->getDescription(), before + " (edited)");

    // A change no undo stack records stays until the next save.
    s.open("Microcontroller");
    s.window.findChild<QAction*>("actionProcessRect")->trigger();
    click(s.window.getCurrentCanvas(), QPointF(1200, 800));
    QVERIFY(s.modified());
    s.open("Light_Sequencer");
    undo->trigger();
    redo->trigger();
    QVERIFY(s.modified());
}

void TestModifiedState::gesturesThatChangeNothingLeaveItClean()
{
    Session s;
    Canvas* c = s.open("Light_Sequencer");
    const QPointF onState = c->stateItems.first()->sceneBoundingRect().center();
    click(c, onState);
    move(c, onState + QPointF(200, 100), Qt::NoButton);
    s.open("Microcontroller");
    s.window.findChild<QAction*>("actionzoom_in")->trigger();
    click(s.window.getCurrentCanvas(), QPointF(5, 5));
    QVERIFY(s.clean());
}

void TestModifiedState::rightClickDeleteRemovesOnlyTheClickedItem()
{
    Session s;
    Canvas* c = s.open("Light_Sequencer");
    StateItem* state = c->stateItems.first();
    TransitionItem* transition = c->transitionItems.first();
    const int states = c->stateItems.size();
    const int transitions = c->transitionItems.size();
    state->setSelected(true);

    // The menu closes at once; what matters is what the click selected.
    QTimer timer;
    connect(&timer, &QTimer::timeout, [] {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    timer.start(0);
    QGraphicsSceneContextMenuEvent event(QEvent::GraphicsSceneContextMenu);
    event.setScenePos(transition->sceneBoundingRect().center());
    QApplication::sendEvent(c, &event);
    timer.stop();

    QCOMPARE(c->selectedItems(), QList<QGraphicsItem*>({transition}));
    s.window.findChild<QAction*>("actionDelete")->trigger();
    QCOMPARE(c->stateItems.size(), states);
    QCOMPARE(c->transitionItems.size(), transitions - 1);
    QVERIFY(s.modified());
}

void TestModifiedState::hiddenTransitionCannotBeHit()
{
    Session s;
    Canvas* c = s.open("Light_Sequencer");
    TransitionItem* transition = nullptr;
    for (TransitionItem* candidate : c->transitionItems) {
        if (!candidate->isSelfTransition())
            transition = candidate;
    }
    QVERIFY(transition);
    // Laying one state on the other hides the transitions between them.
    transition->startItem()->setPos(transition->endItem()->pos());
    QVERIFY(transition->hiddenByOverlap());
    c->clearSelection();
    const QPointF where = transition->sceneBoundingRect().center();
    QVERIFY(!c->items(where).contains(transition));
    click(c, where);
    QVERIFY(!transition->isSelected());
    // A double click there opens no transition dialog (an unexpected dialog
    // would fail the test); a state's dialog may open, and is cancelled.
    QString shown;
    ModalAnswerer answer;
    answer.reject([&](QWidget* dialog) { shown = dialog->windowTitle(); });
    doubleClick(c, where);
    QVERIFY(shown != QString("Korvel - Transition Item Properties"));
}

void TestModifiedState::wheelBurstStopsAtTheLimits()
{
    Session s;
    s.open("Light_Sequencer");
    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    QGraphicsView* view = s.window.graphicsView();
    QCOMPARE(QApplication::keyboardModifiers(), Qt::NoModifier); // the window's wheel zooms unmodified
    for (int direction : {1, -1}) {
        for (int notch = 0; notch < 100; ++notch) {
            const QPoint at(100, 100);
            QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120 * direction),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view->viewport(), &wheel);
        }
        QCOMPARE(view->transform().m11(),
                 direction > 0 ? GraphicsViewZoom::maxScale : GraphicsViewZoom::minScale);
    }
    for (int i = 0; i < 100; ++i)
        s.window.findChild<QAction*>("actionzoom_in")->trigger();
    QCOMPARE(view->transform().m11(), GraphicsViewZoom::maxScale);
}

void TestModifiedState::closingAnotherProjectEndsTheTourOnly()
{
    ProjectFixture fixture;
    fixture.copyExample("Example_1.vorn");
    QDir().mkpath(fixture.path("Examples"));
    QFile::copy(fixture.path("Example_1.vorn"), fixture.path("Examples/Example_1.vorn"));
    const QString mine = fixture.copyExample("Example_2.vorn");
    fixture.enter();
    MainWindow window;
    window.findChild<QAction*>("actionAppTour")->trigger();
    QCOMPARE(window.actionsState(), STATE_TOUR);
    QVERIFY(!window.isProjectModified()); // the untouched example offers no save

    // The user opens their own project while the bubble still shows.
    window.openFile(mine);
    QCOMPARE(window.projectIO().getFilePath(), mine);
    auto* bubble = window.findChild<TourBox*>();
    QVERIFY(bubble && !bubble->isVisible());
    window.markModified();
    const int canvases = window.getCanvases().size();
    // A late click in the bubble must leave that project open and unchanged.
    window.tourQuitLinkClicked();
    QCOMPARE(window.projectIO().getFilePath(), mine);
    QCOMPARE(window.getCanvases().size(), canvases);
    QVERIFY(window.isProjectModified());
    QCOMPARE(window.actionsState(), STATE_LEVEL1);
}

QTEST_MAIN(TestModifiedState)
#include "tst_modifiedstate.moc"
