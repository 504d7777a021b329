// A state machine drawn by hand: mouse events on a real graphics view place
// states, transitions, a self transition, an initial state and text items,
// the dialogs edit them, drags move them, and undo and redo take it all back
// and forth. Then the commands that delete, and who deletes the items that
// commands hold off the scene (moves are in the gesture tests).

#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QContextMenuEvent>
#include <QGraphicsView>
#include <QLineEdit>
#include <QPointer>
#include <QTextEdit>

#include "addtextcommand.h"
#include "deletestatecommand.h"
#include "deletetextcommand.h"
#include "deletetransitioncommand.h"
#include "initialtransition.h"
#include "initialtransitionline.h"
#include "modalanswerer.h"
#include "testcanvas.h"
#include "testenvironment.h"

namespace {

using States = QVector<StateItem*>;
using Transitions = QVector<TransitionItem*>;
using TransitionList = QList<TransitionItem*>;

// The canvas in a view; the self-transition entry of the state menu as the
// main window adds it.
struct Desk : TestCanvas
{
    QAction* selfTransition = menus[0].addAction(QStringLiteral("Self transition"));
    QGraphicsView view;

    Desk()
    {
        QObject::connect(selfTransition, &QAction::triggered, [this] { canvas.addSelfTransitionItem(); });
        canvas.setSceneRect(0, 0, 1200, 800); // all of it in view, never scrolled
        view.setScene(&canvas);
        view.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        view.resize(1300, 900);
        view.show();
    }
    void send(QEvent::Type type, const QPointF& at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        const QPoint point = view.mapFromScene(at);
        QMouseEvent event(type, point, view.viewport()->mapToGlobal(point), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    }
    void click(const QPointF& at)
    {
        send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    void drag(const QPointF& from, const QPointF& to)
    {
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        for (int step = 1; step <= 4; ++step)
            send(QEvent::MouseMove, from + (to - from) * step / 4, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    void doubleClick(const QPointF& at)
    {
        click(at);
        send(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    }
    // Right-clicks and picks an entry of the menu that opens.
    bool pickFromMenu(const QPointF& at, QAction* entry)
    {
        bool picked = false;
        QTimer::singleShot(50, [&] {
            if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                popup->setActiveAction(entry);
                QTest::keyClick(popup, Qt::Key_Return);
                picked = true;
            }
        });
        const QPoint point = view.mapFromScene(at);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, view.viewport()->mapToGlobal(point));
        QApplication::sendEvent(view.viewport(), &event);
        return picked;
    }
};

} // namespace

class TestSmView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void drawEditMoveUndoRedo();
    void textDelete();
    void aDragThatLosesItsReleaseIsAStep_data();
    void aDragThatLosesItsReleaseIsAStep();
    void transitionDelete();
    void deleteStateTakesItsTransitions();
    void takenOffItemsAreNeitherHitNorShown();
    void deletingTransitionGoneWithItsStateIsDropped();
    void commandsOnItemsOffTheCanvasAreDropped_data();
    void commandsOnItemsOffTheCanvasAreDropped();
    void deletedInitialStateGetsItsMarkerBack();

    void truncatedCommandsDeleteTheirItems();
    void destroyingTheCanvasWithDeletedItemsIsClean();
};

void TestSmView::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestSmView::drawEditMoveUndoRedo()
{
    Desk d;
    QVERIFY(QTest::qWaitForWindowExposed(&d.view));

    // Three states, one click each, and transitions dragged between them.
    for (const QPointF& centre : {QPointF(250, 200), QPointF(850, 200), QPointF(550, 600)}) {
        d.canvas.setMode(Canvas::InsertState);
        d.click(centre);
    }
    QCOMPARE(d.canvas.stateItems.size(), 3);
    StateItem* closed = d.canvas.stateItems.at(0);
    StateItem* opening = d.canvas.stateItems.at(1);
    StateItem* open = d.canvas.stateItems.at(2);
    QCOMPARE(opening->pos(), QPointF(710, 125));
    d.canvas.setMode(Canvas::InsertTransition);
    d.drag(QPointF(250, 200), QPointF(850, 200));
    d.canvas.setMode(Canvas::InsertTransition);
    d.drag(QPointF(850, 200), QPointF(550, 600));
    QCOMPARE(d.canvas.transitionItems.size(), 2);
    TransitionItem* toOpening = d.canvas.transitionItems.at(0);
    TransitionItem* toOpen = d.canvas.transitionItems.at(1);
    QCOMPARE(toOpening->startItem(), closed);
    QCOMPARE(toOpening->endItem(), opening);
    // Beside the line between the two states, not on it.
    QCOMPARE(toOpen->pos(), QPointF(550, 307));

    // A self transition from the state's menu.
    QVERIFY(d.pickFromMenu(QPointF(550, 640), d.selfTransition));
    QCOMPARE(d.canvas.transitionItems.size(), 3);
    TransitionItem* stay = d.canvas.transitionItems.at(2);
    QCOMPARE(open->getSelfTransitions(), QList<TransitionItem*>({stay}));

    // Name the states; the first becomes the initial state, which bars the others.
    ModalAnswerer answerClosed;
    answerClosed.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        child<QLineEdit>(dialog, "LE_StateName")->setText("Closed");
        child<QTextEdit>(dialog, "TE_StateAction")->setPlainText("motor_off();");
        child<QCheckBox>(dialog, "checkBox")->click();
        child<QTextEdit>(dialog, "init_condition")->setPlainText("1");
    });
    d.doubleClick(QPointF(250, 240));
    QCOMPARE(answerClosed.answeredCount(), 1);
    QCOMPARE(closed->getLabel(), QString("Closed"));
    QVERIFY(closed->initialStatus());
    QCOMPARE(d.canvas.initialTransition->getInitialState(), closed);
    QCOMPARE(d.canvas.initialTransition->pos(), QPointF(240, 50));

    const char* names[] = {"Opening", "Open"};
    StateItem* others[] = {opening, open};
    for (int i = 0; i < 2; ++i) {
        bool barred = false;
        ModalAnswerer answer;
        answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
            barred = !child<QCheckBox>(dialog, "checkBox")->isCheckable();
            child<QLineEdit>(dialog, "LE_StateName")->setText(names[i]);
        });
        d.doubleClick(others[i]->pos() + QPointF(140, 110));
        QCOMPARE(others[i]->getLabel(), QString(names[i]));
        QVERIFY(barred);
    }

    ModalAnswerer answerTransition;
    QString ends;
    answerTransition.pressButton(QDialogButtonBox::Ok, [&ends](QWidget* dialog) {
        ends = child<QLabel>(dialog, "LB_TransitionEnds")->text();
        child<QLineEdit>(dialog, "LE_TransitionName")->setText("open_cmd");
        child<QLineEdit>(dialog, "LE_TransitionCondition")->setText("cmd == OPEN");
    });
    d.doubleClick(toOpening->pos() + QPointF(75, 37));
    QCOMPARE(toOpening->getCondition(), QString("cmd == OPEN"));
    QCOMPARE(ends, "From " + closed->getLabel() + " to Opening");

    // A text item, made a macro block in its dialog.
    d.canvas.setMode(Canvas::InsertText);
    d.click(QPointF(150, 700));
    ModalAnswerer answerText;
    answerText.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        child<QComboBox>(dialog, "comboBox")->setCurrentText("Macros");
        child<QTextEdit>(dialog, "textEdit")->setPlainText("#define OPEN 1");
    });
    d.doubleClick(QPointF(150, 700));
    QCOMPARE(d.canvas.textItems.last()->heading(), QString("DEFINES"));

    // Move things; the lines follow, the initial marker follows on release.
    d.drag(QPointF(850, 250), QPointF(900, 350));
    QCOMPARE(opening->pos(), QPointF(760, 225));
    d.view.viewport()->grab();
    QVERIFY(onOutline(toOpening->getEndLine()->line().p1(), opening));
    QCOMPARE(toOpen->getStartLine()->line().p2(), QPointF(900, 300));
    d.drag(QPointF(250, 250), QPointF(300, 300));
    QCOMPARE(d.canvas.initialTransition->pos(), QPointF(290, 100));
    d.view.viewport()->grab();
    QCOMPARE(d.canvas.initialTransitionLine->line(), QLineF(QPointF(300, 175), QPointF(300, 110)));
    d.drag(QPointF(150, 700), QPointF(200, 720));
    QCOMPARE(d.canvas.textItems.at(0)->pos(), QPointF(125, 683));

    // Seven items, five dialog edits and three moves: undo them all...
    const int commands = d.stack()->count();
    QCOMPARE(commands, 15);
    // Taken-off items stay on the scene, hidden; only the shown ones count.
    const auto shownItems = [&d] {
        const QList<QGraphicsItem*> items = d.canvas.items();
        return std::count_if(items.cbegin(), items.cend(), [](const QGraphicsItem* item) { return item->isVisible(); });
    };
    const auto drawn = shownItems();
    for (int i = 0; i < commands; ++i)
        d.stack()->undo();
    QVERIFY(d.canvas.stateItems.isEmpty());
    QVERIFY(d.canvas.transitionItems.isEmpty());
    QVERIFY(d.canvas.textItems.isEmpty());
    QCOMPARE(shownItems(), 1); // the title
    QVERIFY(!d.canvas.initialTransition->getInitialState());

    // ...and redo them all.
    for (int i = 0; i < commands; ++i)
        d.stack()->redo();
    QCOMPARE(d.canvas.stateItems, QVector<StateItem*>({closed, opening, open}));
    QCOMPARE(d.canvas.transitionItems, QVector<TransitionItem*>({toOpening, toOpen, stay}));
    QCOMPARE(shownItems(), drawn);
    QCOMPARE(opening->getTransitions(), QList<TransitionItem*>({toOpening, toOpen}));
    QCOMPARE(open->getSelfTransitions(), QList<TransitionItem*>({stay}));
    QCOMPARE(opening->pos(), QPointF(760, 225));
    QCOMPARE(d.canvas.initialTransition->getInitialState(), closed);
    QCOMPARE(d.canvas.initialTransition->scene(), &d.canvas);
    QCOMPARE(d.canvas.textItems.at(0)->getAction(), QString("#define OPEN 1"));
    QCOMPARE(closed->getAction(), QString("motor_off();"));
    QCOMPARE(toOpening->getLabel(), QString("open_cmd"));

    // What the user sees: the moved state's fill where it now is.
    const QImage shown = d.view.viewport()->grab().toImage();
    QCOMPARE(shown.pixelColor(d.view.mapFromScene(QPointF(760 + 260, 225 + 140))), QColor(0xe5, 0xe7, 0xe9));
}

void TestSmView::textDelete()
{
    TestCanvas f;
    f.stack()->push(new AddTextCommand(&f.canvas, QPointF(400, 200)));
    TextItem* text = f.canvas.textItems.last();
    f.stack()->push(new AddTextCommand(&f.canvas, QPointF(900, 200)));
    TextItem* later = f.canvas.textItems.last();
    f.addState(QPointF(300, 150));
    QCOMPARE(text->pos(), QPointF(325, 163));
    f.stack()->push(new DeleteTextCommand(&f.canvas, text));
    QVERIFY(!f.canvas.holds(text));
    QCOMPARE(f.canvas.textItems, QVector<TextItem*>({later}));
    // Back at its place in the order of the generated texts.
    f.stack()->undo();
    QCOMPARE(f.canvas.textItems, QVector<TextItem*>({text, later}));
    // A restored text comes back on top of what was added since.
    QCOMPARE(f.canvas.items(QPointF(400, 200)).first(), static_cast<QGraphicsItem*>(text));
    f.stack()->redo();
    QCOMPARE(f.canvas.textItems, QVector<TextItem*>({later}));
}

void TestSmView::aDragThatLosesItsReleaseIsAStep_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("the canvas turns read-only") << true;
    QTest::newRow("the next press comes") << false;
}

void TestSmView::aDragThatLosesItsReleaseIsAStep()
{
    QFETCH(bool, readOnly);
    TestCanvas f;
    f.stack()->push(new AddTextCommand(&f.canvas, QPointF(900, 500)));
    TextItem* text = f.canvas.textItems.last();
    SceneMouse::press(&f.canvas, QPointF(900, 500));
    SceneMouse::move(&f.canvas, QPointF(950, 560));
    if (readOnly)
        f.canvas.setReadOnly(true);
    else
        SceneMouse::press(&f.canvas, QPointF(100, 100));
    // Where the text was left is its document's, and a step of its own.
    const auto placed = [&f, text] {
        return f.canvas.document().find<TextElement>(f.canvas.diagramNode(), text->elementId())->position;
    };
    QCOMPARE(f.stack()->count(), 2);
    QCOMPARE(text->pos(), QPointF(875, 523));
    QCOMPARE(placed(), QPointF(875, 523));
    f.stack()->undo();
    QCOMPARE(text->pos(), QPointF(825, 463));
    QCOMPARE(placed(), QPointF(825, 463));
}

void TestSmView::transitionDelete()
{
    TestCanvas f;
    StateItem* a = f.addState(QPointF(0, 0));
    StateItem* b = f.addState(QPointF(600, 0));
    TransitionItem* ab = f.join(a, b);
    TransitionItem* ba = f.join(b, a);
    TransitionItem* aa = f.join(a, a);
    QCOMPARE(a->getTransitions(), TransitionList({ab, ba}));
    QCOMPARE(b->getTransitions(), TransitionList({ab, ba}));
    QCOMPARE(a->getSelfTransitions(), TransitionList({aa}));

    const double z = ab->zValue();
    f.stack()->push(new DeleteTransitionCommand(&f.canvas, ab));
    QCOMPARE(a->getTransitions(), TransitionList({ba}));
    QCOMPARE(b->getTransitions(), TransitionList({ba}));
    QVERIFY(f.fullyOff(ab));
    // Back at its places: first of the branches a tries, as before.
    f.stack()->undo();
    QCOMPARE(a->getTransitions(), TransitionList({ab, ba}));
    QCOMPARE(b->getTransitions(), TransitionList({ab, ba}));
    QCOMPARE(f.canvas.transitionItems, Transitions({ab, ba, aa}));
    QVERIFY(f.fullyOn(ab));
    QCOMPARE(ab->zValue(), z);
    f.stack()->redo();
    f.stack()->push(new DeleteTransitionCommand(&f.canvas, aa));
    f.stack()->undo();
    f.stack()->undo();
    QCOMPARE(a->getTransitions(), TransitionList({ab, ba}));
    QCOMPARE(a->getSelfTransitions(), TransitionList({aa}));
    QCOMPARE(f.canvas.transitionItems, Transitions({ab, ba, aa}));

    // Two in one step, and a refit for another screen between the delete
    // and its undo: the states get their transitions back and keep the size
    // the refit gave them, not the size they had before.
    for (StateItem* state : {a, b}) {
        StateItem::Values large = state->values();
        large.width = 997;
        large.height = 603;
        applyValues(&f.canvas, state, large);
    }
    f.stack()->push(new DeleteTransitionCommand(&f.canvas, QVector<TransitionItem*> {ba, ab}));
    QCOMPARE(a->getTransitions(), TransitionList());
    f.canvas.fitMachine();
    const QVector<int> fitted {a->getWidth(), a->getHeight(), b->getWidth(), b->getHeight()};
    QVERIFY(fitted.first() != 997);
    f.stack()->undo();
    QCOMPARE(a->getTransitions(), TransitionList({ab, ba}));
    QCOMPARE(b->getTransitions(), TransitionList({ab, ba}));
    QCOMPARE(QVector<int>({a->getWidth(), a->getHeight(), b->getWidth(), b->getHeight()}), fitted);
}

void TestSmView::deleteStateTakesItsTransitions()
{
    TestCanvas f;
    StateItem* a = f.addState(QPointF(0, 0));
    StateItem* b = f.addState(QPointF(600, 0));
    StateItem* c = f.addState(QPointF(0, 600));
    TransitionItem* ab = f.join(a, b);
    TransitionItem* ca = f.join(c, a);
    TransitionItem* bc = f.join(b, c);
    TransitionItem* aa = f.join(a, a);

    f.stack()->push(new DeleteStateCommand(&f.canvas, a));
    QCOMPARE(f.canvas.stateItems, States({b, c}));
    QCOMPARE(f.canvas.transitionItems, Transitions({bc}));
    QCOMPARE(b->getTransitions(), TransitionList({bc}));
    QCOMPARE(c->getTransitions(), TransitionList({bc}));
    QVERIFY(!f.canvas.holds(a));
    QVERIFY(f.fullyOff(ab) && f.fullyOff(ca) && f.fullyOff(aa));
    QVERIFY(f.fullyOn(bc));

    // Undo brings every list back in its order: the order of the file, of
    // the generated states and of the branches a state tries.
    f.stack()->undo();
    QCOMPARE(f.canvas.stateItems, States({a, b, c}));
    QCOMPARE(f.canvas.transitionItems, Transitions({ab, ca, bc, aa}));
    QCOMPARE(a->getTransitions(), TransitionList({ab, ca}));
    QCOMPARE(a->getSelfTransitions(), TransitionList({aa}));
    QCOMPARE(b->getTransitions(), TransitionList({ab, bc}));
    QCOMPARE(c->getTransitions(), TransitionList({ca, bc}));
    QVERIFY(f.fullyOn(ab) && f.fullyOn(ca) && f.fullyOn(aa));

    f.stack()->redo();
    QCOMPARE(f.canvas.transitionItems, Transitions({bc}));
    QCOMPARE(b->getTransitions(), TransitionList({bc}));
    QVERIFY(f.fullyOff(ab));

    // Two states in one step, and back.
    f.stack()->undo();
    f.stack()->push(new DeleteStateCommand(&f.canvas, QVector<StateItem*> {a, b}));
    QCOMPARE(f.stack()->undoText(), QString("Delete 2 States"));
    QCOMPARE(f.canvas.stateItems, States({c}));
    QVERIFY(f.canvas.transitionItems.isEmpty() && c->getTransitions().isEmpty());
    QVERIFY(f.fullyOff(ab) && f.fullyOff(bc) && f.fullyOff(ca) && f.fullyOff(aa));
    f.stack()->undo();
    QCOMPARE(f.canvas.stateItems, States({a, b, c}));
    QCOMPARE(f.canvas.transitionItems, Transitions({ab, ca, bc, aa}));
    QCOMPARE(a->getTransitions(), TransitionList({ab, ca}));
    QCOMPARE(b->getTransitions(), TransitionList({ab, bc}));
    QCOMPARE(c->getTransitions(), TransitionList({ca, bc}));
    QVERIFY(f.fullyOn(ab) && f.fullyOn(bc) && f.fullyOn(ca) && f.fullyOn(aa));
    // With a state kept between those that go.
    f.stack()->push(new DeleteStateCommand(&f.canvas, QVector<StateItem*> {c, a}));
    QCOMPARE(f.canvas.stateItems, States({b}));
    f.stack()->undo();
    QCOMPARE(f.canvas.stateItems, States({a, b, c}));
    QCOMPARE(f.canvas.transitionItems, Transitions({ab, ca, bc, aa}));
    QCOMPARE(b->getTransitions(), TransitionList({ab, bc}));
}

// What a step took off is neither hit, nor in the area Fit to Window and
// pictures show; back, it lies where it lay among the others.
void TestSmView::takenOffItemsAreNeitherHitNorShown()
{
    TestCanvas f;
    StateItem* a = f.addState(QPointF(0, 0));
    StateItem* b = f.addState(QPointF(600, 0));
    f.join(a, b);
    const auto stacking = [&f] {
        QList<QGraphicsItem*> shown = f.canvas.items(Qt::AscendingOrder);
        shown.erase(std::remove_if(shown.begin(), shown.end(), [](QGraphicsItem* item) { return !item->isVisible(); }),
                    shown.end());
        return shown;
    };
    const QRectF content = f.canvas.contentRect();
    const QList<QGraphicsItem*> stacked = stacking();
    StateItem* far = f.addState(QPointF(5000, 5000));
    f.join(far, b);
    const QPointF farCentre = far->sceneBoundingRect().center();
    QCOMPARE(f.canvas.items(farCentre), QList<QGraphicsItem*>({far}));
    f.stack()->push(new DeleteStateCommand(&f.canvas, QVector<StateItem*> {far, a}));
    QVERIFY(f.canvas.items(farCentre).isEmpty());
    QVERIFY(f.canvas.items(a->sceneBoundingRect().center()).isEmpty());
    QVERIFY(!f.canvas.contentRect().intersects(far->sceneBoundingRect()));
    f.stack()->undo();
    f.stack()->undo();
    f.stack()->undo();
    QCOMPARE(f.canvas.contentRect(), content);
    QCOMPARE(stacking(), stacked);
}

void TestSmView::deletingTransitionGoneWithItsStateIsDropped()
{
    // A selection holding a state and its transition deletes the state first.
    TestCanvas f;
    StateItem* a = f.addState(QPointF(0, 0));
    StateItem* b = f.addState(QPointF(600, 0));
    TransitionItem* ab = f.join(a, b);
    f.stack()->push(new DeleteStateCommand(&f.canvas, b));
    const int commands = f.stack()->count();
    f.stack()->push(new DeleteTransitionCommand(&f.canvas, ab));
    QCOMPARE(f.stack()->count(), commands);

    f.stack()->undo();
    QCOMPARE(f.canvas.transitionItems, Transitions({ab}));
    QCOMPARE(a->getTransitions(), TransitionList({ab}));
    QCOMPARE(b->getTransitions(), TransitionList({ab}));
    QVERIFY(f.fullyOn(ab));
}

void TestSmView::commandsOnItemsOffTheCanvasAreDropped_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("delete a state") << 0;
    QTest::newRow("delete a text") << 1;
    QTest::newRow("join a state") << 2;
}

void TestSmView::commandsOnItemsOffTheCanvasAreDropped()
{
    QFETCH(int, kind);
    TestCanvas f;
    StateItem* kept = f.state("Kept", QPointF(900, 0));
    StateItem* state = f.addState(QPointF(0, 0));
    f.stack()->push(new AddTextCommand(&f.canvas, QPointF(900, 500)));
    TextItem* text = f.canvas.textItems.last();
    f.stack()->undo();
    f.stack()->undo();
    if (kind == 0)
        f.stack()->push(new DeleteStateCommand(&f.canvas, state));
    else if (kind == 1)
        f.stack()->push(new DeleteTextCommand(&f.canvas, text));
    else
        QVERIFY(!f.join(kept, state));
    QCOMPARE(f.stack()->index(), 0);
    QCOMPARE(f.canvas.stateItems, States({kept}));
    QVERIFY(f.canvas.textItems.isEmpty());
    QVERIFY(kept->getTransitions().isEmpty());
}

void TestSmView::deletedInitialStateGetsItsMarkerBack()
{
    TestCanvas f;
    StateItem* state = f.state("Start", QPointF(100, 300), true);
    InitialTransition* dot = f.canvas.initialTransition;
    InitialTransitionLine* line = f.canvas.initialTransitionLine;
    // What the main window does before it deletes an initial state.
    dot->setSafeToPaint(false);
    line->setSafeToPaint(false);
    dot->clearInitialState();
    line->clearInitialState();
    f.canvas.removeItem(dot);
    f.canvas.removeItem(line);
    f.stack()->push(new DeleteStateCommand(&f.canvas, state));

    f.stack()->undo();
    QVERIFY(state->initialStatus());
    QCOMPARE(dot->scene(), &f.canvas);
    QCOMPARE(line->scene(), &f.canvas);
    QCOMPARE(dot->getInitialState(), state);
    QCOMPARE(line->getInitStateItem(), state);
    QVERIFY(dot->isSafeToPaint() && line->isSafeToPaint());
    QCOMPARE(dot->pos(), QPointF(230, 225));

    f.stack()->redo();
    QVERIFY(!dot->scene() && !line->scene());
    QVERIFY(!dot->getInitialState());
}

void TestSmView::truncatedCommandsDeleteTheirItems()
{
    TestCanvas f;
    StateItem* a = f.addState(QPointF(0, 0));
    QPointer<StateItem> b = f.addState(QPointF(600, 0));
    QPointer<TransitionItem> ab = f.join(a, b);
    QPointer<TransitionLine> start = ab->getStartLine();
    QPointer<TransitionLine> end = ab->getEndLine();
    f.stack()->push(new AddTextCommand(&f.canvas, QPointF(300, 600)));
    QPointer<TextItem> text = f.canvas.textItems.last();
    f.stack()->undo();
    f.stack()->undo();
    f.stack()->undo();
    QVERIFY(b && ab && start && end && text);

    // A new command drops the undone ones, and with them their items.
    f.addState(QPointF(900, 600));
    QVERIFY(!text && !ab && !start && !end && !b);
    QVERIFY(a->getTransitions().isEmpty());
    QCOMPARE(f.canvas.stateItems.size(), 2);
}

void TestSmView::destroyingTheCanvasWithDeletedItemsIsClean()
{
    auto* f = new TestCanvas;
    StateItem* a = f->addState(QPointF(0, 0));
    StateItem* b = f->addState(QPointF(600, 0));
    QPointer<TransitionItem> ab = f->join(a, b);
    QPointer<TransitionLine> start = ab->getStartLine();
    QPointer<StateItem> deleted = b;
    f->stack()->push(new DeleteStateCommand(&f->canvas, b));
    f->stack()->push(new DeleteStateCommand(&f->canvas, a));
    f->stack()->push(new AddTextCommand(&f->canvas, QPointF(300, 600)));
    QPointer<TextItem> text = f->canvas.textItems.last();
    f->stack()->push(new DeleteTextCommand(&f->canvas, text));
    // Several commands hold the same items off the scene; each goes once.
    delete f;
    QVERIFY(!ab && !start && !deleted && !text);
}

QTEST_MAIN(TestSmView)
#include "tst_smview.moc"
