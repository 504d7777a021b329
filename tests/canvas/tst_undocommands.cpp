// Undo and redo of states, transitions and text items, and who deletes the
// items that commands hold off the scene.

#include <QtTest>

#include <QPointer>
#include <QUndoStack>

#include "addtextcommand.h"
#include "deletestatecommand.h"
#include "deletetextcommand.h"
#include "deletetransitioncommand.h"
#include "initialtransition.h"
#include "initialtransitionline.h"
#include "smcanvas.h"
#include "testenvironment.h"
#include "transitionline.h"

namespace {

struct Fixture : SmCanvas
{
    QUndoStack* stack() { return canvas.undoStack(); }
    StateItem* addState(const QPointF& at)
    {
        stack()->push(new AddStateCommand(&canvas, at));
        return canvas.stateItems.last();
    }
    TextItem* addText(const QPointF& at)
    {
        stack()->push(new AddTextCommand(&canvas, at));
        return canvas.textItems.last();
    }
    bool onScene(QGraphicsItem* item) const { return item->scene() == &canvas; }
    bool fullyOn(TransitionItem* t) const
    {
        return onScene(t) && onScene(t->getStartLine()) && onScene(t->getEndLine());
    }
    bool fullyOff(TransitionItem* t) const
    {
        return !t->scene() && !t->getStartLine()->scene() && !t->getEndLine()->scene();
    }
};

using States = QVector<StateItem*>;
using Transitions = QVector<TransitionItem*>;
using TransitionList = QList<TransitionItem*>;

} // namespace

class TestUndoCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void twoTextsUndoneAndOneRedoneBringsBackTheFirst();
    void restoredTextComesBackOnTop();
    void deleteStateWithTransitionsAndUndo();
    void undoAddStateTakesItsLaterTransitions();
    void deleteStateKeepsSelfTransitionsWithIt();
    void deletingTransitionGoneWithItsStateIsDropped();
    void deletingSomethingNotOnTheCanvasIsDropped_data();
    void deletingSomethingNotOnTheCanvasIsDropped();
    void deletedInitialStateGetsItsMarkerBack();
    void undoingAddOfInitialStateTakesTheMarkerOff();
    void anotherInitialStateWinsOverARestoredOne();

    void truncatedCommandsDeleteTheirItems();
    void destroyingTheCanvasWithDeletedItemsIsClean();
};

void TestUndoCommands::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestUndoCommands::twoTextsUndoneAndOneRedoneBringsBackTheFirst()
{
    Fixture f;
    TextItem* first = f.addText(QPointF(400, 200));
    TextItem* second = f.addText(QPointF(800, 600));
    f.stack()->undo();
    f.stack()->undo();
    QVERIFY(f.canvas.textItems.isEmpty());
    QVERIFY(!first->scene());
    QVERIFY(!second->scene());

    f.stack()->redo();
    QCOMPARE(f.canvas.textItems, QVector<TextItem*>({first}));
    QVERIFY(f.onScene(first));
    QVERIFY(!second->scene());
    QCOMPARE(first->pos(), QPointF(325, 163));
}

void TestUndoCommands::restoredTextComesBackOnTop()
{
    Fixture f;
    TextItem* text = f.addText(QPointF(400, 200));
    StateItem* state = f.addState(QPointF(300, 150));
    f.stack()->push(new DeleteTextCommand(&f.canvas, text));
    QVERIFY(!text->scene());
    QVERIFY(f.canvas.textItems.isEmpty());

    f.stack()->undo();
    QCOMPARE(f.canvas.textItems, QVector<TextItem*>({text}));
    QVERIFY(text->zValue() > state->zValue());
    QCOMPARE(text->zValue(), 3.0);
    QCOMPARE(f.canvas.items(QPointF(400, 200)).first(), static_cast<QGraphicsItem*>(text));

    f.stack()->redo();
    QVERIFY(!text->scene());
    QVERIFY(f.canvas.textItems.isEmpty());
}

void TestUndoCommands::deleteStateWithTransitionsAndUndo()
{
    Fixture f;
    StateItem* a = f.addState(QPointF(0, 0));
    StateItem* b = f.addState(QPointF(600, 0));
    StateItem* c = f.addState(QPointF(0, 600));
    TransitionItem* ab = f.join(a, b);
    TransitionItem* ca = f.join(c, a);
    TransitionItem* bc = f.join(b, c);

    f.stack()->push(new DeleteStateCommand(&f.canvas, a));
    QCOMPARE(f.canvas.stateItems, States({b, c}));
    QCOMPARE(f.canvas.transitionItems, Transitions({bc}));
    QCOMPARE(b->getTransitions(), TransitionList({bc}));
    QCOMPARE(c->getTransitions(), TransitionList({bc}));
    QVERIFY(!a->scene());
    QVERIFY(f.fullyOff(ab));
    QVERIFY(f.fullyOff(ca));
    QVERIFY(f.fullyOn(bc));
    // The deleted state remembers its transitions for the undo.
    QCOMPARE(a->getTransitions(), TransitionList({ab, ca}));

    f.stack()->undo();
    QCOMPARE(f.canvas.stateItems, States({b, c, a}));
    QCOMPARE(f.canvas.transitionItems, Transitions({bc, ab, ca}));
    QCOMPARE(a->getTransitions(), TransitionList({ab, ca}));
    QCOMPARE(b->getTransitions(), TransitionList({bc, ab}));
    QCOMPARE(c->getTransitions(), TransitionList({bc, ca}));
    QVERIFY(f.onScene(a));
    QVERIFY(f.fullyOn(ab));
    QVERIFY(f.fullyOn(ca));

    f.stack()->redo();
    QCOMPARE(f.canvas.transitionItems, Transitions({bc}));
    QCOMPARE(b->getTransitions(), TransitionList({bc}));
    QVERIFY(f.fullyOff(ab));
}

void TestUndoCommands::undoAddStateTakesItsLaterTransitions()
{
    Fixture f;
    StateItem* a = f.addState(QPointF(0, 0));
    StateItem* b = f.addState(QPointF(600, 0));
    TransitionItem* ab = f.join(a, b);
    TransitionItem* bb = f.join(b, b);
    // Undo the addition of b without undoing its transitions: that is what
    // a command further down the stack sees when it runs on its own.
    auto* addB = const_cast<QUndoCommand*>(f.stack()->command(1));
    addB->undo();

    QCOMPARE(f.canvas.stateItems, States({a}));
    QVERIFY(f.canvas.transitionItems.isEmpty());
    QVERIFY(a->getTransitions().isEmpty());
    QVERIFY(f.fullyOff(ab));
    QVERIFY(f.fullyOff(bb));
    QCOMPARE(b->getTransitions(), TransitionList({ab}));
    QCOMPARE(b->getSelfTransitions(), TransitionList({bb}));

    addB->redo();
    QCOMPARE(f.canvas.stateItems, States({a, b}));
    QCOMPARE(f.canvas.transitionItems, Transitions({ab, bb}));
    QCOMPARE(a->getTransitions(), TransitionList({ab}));
    QVERIFY(f.fullyOn(ab));
    QVERIFY(f.fullyOn(bb));
}

void TestUndoCommands::deleteStateKeepsSelfTransitionsWithIt()
{
    Fixture f;
    StateItem* a = f.addState(QPointF(0, 0));
    TransitionItem* aa = f.join(a, a);
    TransitionItem* aa2 = f.join(a, a);
    f.stack()->push(new DeleteStateCommand(&f.canvas, a));
    QVERIFY(f.canvas.transitionItems.isEmpty());
    QVERIFY(f.fullyOff(aa));
    QVERIFY(f.fullyOff(aa2));
    f.stack()->undo();
    QCOMPARE(f.canvas.transitionItems, Transitions({aa, aa2}));
    QCOMPARE(a->getSelfTransitions(), TransitionList({aa, aa2}));
    QVERIFY(f.fullyOn(aa2));
}

void TestUndoCommands::deletingTransitionGoneWithItsStateIsDropped()
{
    // A selection holding a state and its transition deletes the state first.
    Fixture f;
    StateItem* a = f.addState(QPointF(0, 0));
    StateItem* b = f.addState(QPointF(600, 0));
    TransitionItem* ab = f.join(a, b);
    f.stack()->push(new DeleteStateCommand(&f.canvas, b));
    const int commands = f.stack()->count();
    f.stack()->push(new DeleteTransitionCommand(&f.canvas, ab));
    QCOMPARE(f.stack()->count(), commands);
    QCOMPARE(b->getTransitions(), TransitionList({ab}));

    f.stack()->undo();
    QCOMPARE(f.canvas.transitionItems, Transitions({ab}));
    QCOMPARE(a->getTransitions(), TransitionList({ab}));
    QCOMPARE(b->getTransitions(), TransitionList({ab}));
    QVERIFY(f.fullyOn(ab));
}

void TestUndoCommands::deletingSomethingNotOnTheCanvasIsDropped_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("state") << 0;
    QTest::newRow("text") << 1;
}

void TestUndoCommands::deletingSomethingNotOnTheCanvasIsDropped()
{
    QFETCH(int, kind);
    Fixture f;
    StateItem* state = f.addState(QPointF(0, 0));
    TextItem* text = f.addText(QPointF(900, 500));
    f.stack()->undo();
    f.stack()->undo();
    if (kind == 0)
        f.stack()->push(new DeleteStateCommand(&f.canvas, state));
    else
        f.stack()->push(new DeleteTextCommand(&f.canvas, text));
    QCOMPARE(f.stack()->count(), 0);
    QVERIFY(f.canvas.stateItems.isEmpty());
    QVERIFY(f.canvas.textItems.isEmpty());
}

void TestUndoCommands::deletedInitialStateGetsItsMarkerBack()
{
    Fixture f;
    t_stateItemReadFromXML record;
    record.label = QStringLiteral("Start");
    record.ifInitialState = true;
    record.xCoord = 100;
    record.yCoord = 300;
    record.width = 280;
    record.height = 150;
    f.canvas.addStateItem(&record);
    StateItem* state = f.canvas.stateItems.last();
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
    QVERIFY(!state->scene());

    f.stack()->undo();
    QVERIFY(state->initialStatus());
    QCOMPARE(dot->scene(), &f.canvas);
    QCOMPARE(line->scene(), &f.canvas);
    QCOMPARE(dot->getInitialState(), state);
    QCOMPARE(line->getInitStateItem(), state);
    QVERIFY(dot->isSafeToPaint());
    QVERIFY(line->isSafeToPaint());
    QCOMPARE(dot->pos(), QPointF(230, 225));

    f.stack()->redo();
    QVERIFY(!dot->scene());
    QVERIFY(!line->scene());
    QVERIFY(!dot->getInitialState());
}

void TestUndoCommands::undoingAddOfInitialStateTakesTheMarkerOff()
{
    Fixture f;
    StateItem* state = f.addState(QPointF(100, 300));
    state->setIfInitialState(true);
    f.canvas.initialTransition->setInitialState(state);
    f.canvas.initialTransitionLine->setInitStateItem(state);
    f.canvas.initialTransition->setSafeToPaint(true);
    f.canvas.initialTransitionLine->setSafeToPaint(true);
    f.canvas.addItem(f.canvas.initialTransition);
    f.canvas.addItem(f.canvas.initialTransitionLine);

    f.stack()->undo();
    QVERIFY(!f.canvas.initialTransition->scene());
    QVERIFY(!f.canvas.initialTransitionLine->scene());
    QVERIFY(!f.canvas.initialTransition->getInitialState());
    f.stack()->redo();
    QCOMPARE(f.canvas.initialTransition->scene(), &f.canvas);
    QCOMPARE(f.canvas.initialTransition->getInitialState(), state);
}

void TestUndoCommands::anotherInitialStateWinsOverARestoredOne()
{
    Fixture f;
    StateItem* first = f.addState(QPointF(100, 300));
    StateItem* second = f.addState(QPointF(800, 300));
    first->setIfInitialState(true);
    f.stack()->push(new DeleteStateCommand(&f.canvas, first));
    // With the first state gone, the second one may become initial.
    QVERIFY(!f.canvas.enableDisableStateSetInitChkBox(second));
    second->setIfInitialState(true);
    f.canvas.initialTransition->setInitialState(second);
    f.canvas.initialTransitionLine->setInitStateItem(second);

    f.stack()->undo();
    QVERIFY(!first->initialStatus());
    QVERIFY(second->initialStatus());
    QCOMPARE(f.canvas.initialTransition->getInitialState(), second);
}

void TestUndoCommands::truncatedCommandsDeleteTheirItems()
{
    Fixture f;
    StateItem* a = f.addState(QPointF(0, 0));
    QPointer<StateItem> b = f.addState(QPointF(600, 0));
    QPointer<TransitionItem> ab = f.join(a, b);
    QPointer<TransitionLine> start = ab->getStartLine();
    QPointer<TransitionLine> end = ab->getEndLine();
    QPointer<TextItem> text = f.addText(QPointF(300, 600));
    f.stack()->undo();
    f.stack()->undo();
    f.stack()->undo();
    QVERIFY(b && ab && start && end && text);

    // A new command drops the undone ones, and with them their items.
    f.addState(QPointF(900, 600));
    QVERIFY(!text);
    QVERIFY(!ab);
    QVERIFY(!start);
    QVERIFY(!end);
    QVERIFY(!b);
    QVERIFY(a->getTransitions().isEmpty());
    QCOMPARE(f.canvas.stateItems.size(), 2);
}

void TestUndoCommands::destroyingTheCanvasWithDeletedItemsIsClean()
{
    auto* f = new Fixture;
    StateItem* a = f->addState(QPointF(0, 0));
    StateItem* b = f->addState(QPointF(600, 0));
    QPointer<TransitionItem> ab = f->join(a, b);
    QPointer<TransitionLine> start = ab->getStartLine();
    QPointer<StateItem> deleted = b;
    f->stack()->push(new DeleteStateCommand(&f->canvas, b));
    f->stack()->push(new DeleteStateCommand(&f->canvas, a));
    QPointer<TextItem> text = f->addText(QPointF(300, 600));
    f->stack()->push(new DeleteTextCommand(&f->canvas, text));
    // Several commands hold the same items off the scene; each goes once.
    delete f;
    QVERIFY(!ab);
    QVERIFY(!start);
    QVERIFY(!deleted);
    QVERIFY(!text);
}

QTEST_MAIN(TestUndoCommands)
#include "tst_undocommands.moc"
