// Undo and redo of the state-machine commands that delete (additions and
// edits are in the view test, moves in the gesture tests), and who deletes
// the items that commands hold off the scene.

#include <QtTest>

#include <QPointer>

#include "addtextcommand.h"
#include "deletestatecommand.h"
#include "deletetextcommand.h"
#include "deletetransitioncommand.h"
#include "initialtransition.h"
#include "initialtransitionline.h"
#include "testcanvas.h"
#include "testenvironment.h"

namespace {
using States = QVector<StateItem*>;
using Transitions = QVector<TransitionItem*>;
using TransitionList = QList<TransitionItem*>;
} // namespace

class TestUndoCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void textDelete();
    void transitionDelete();
    void deleteStateTakesItsTransitions();
    void deletingTransitionGoneWithItsStateIsDropped();
    void commandsOnItemsOffTheCanvasAreDropped_data();
    void commandsOnItemsOffTheCanvasAreDropped();
    void deletedInitialStateGetsItsMarkerBack();

    void truncatedCommandsDeleteTheirItems();
    void destroyingTheCanvasWithDeletedItemsIsClean();
};

void TestUndoCommands::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestUndoCommands::textDelete()
{
    TestCanvas f;
    f.stack()->push(new AddTextCommand(&f.canvas, QPointF(400, 200)));
    TextItem* text = f.canvas.textItems.last();
    f.addState(QPointF(300, 150));
    QCOMPARE(text->pos(), QPointF(325, 163));
    f.stack()->push(new DeleteTextCommand(&f.canvas, text));
    QVERIFY(!text->scene());
    QVERIFY(f.canvas.textItems.isEmpty());
    f.stack()->undo();
    QCOMPARE(f.canvas.textItems, QVector<TextItem*>({text}));
    // A restored text comes back on top of what was added since.
    QCOMPARE(f.canvas.items(QPointF(400, 200)).first(), static_cast<QGraphicsItem*>(text));
    f.stack()->redo();
    QVERIFY(f.canvas.textItems.isEmpty());
}

void TestUndoCommands::transitionDelete()
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
    f.stack()->undo();
    QCOMPARE(a->getTransitions(), TransitionList({ba, ab}));
    QCOMPARE(b->getTransitions(), TransitionList({ba, ab}));
    QCOMPARE(f.canvas.transitionItems, Transitions({ba, aa, ab}));
    QVERIFY(f.fullyOn(ab));
    QCOMPARE(ab->zValue(), z);
}

void TestUndoCommands::deleteStateTakesItsTransitions()
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
    QVERIFY(!a->scene());
    QVERIFY(f.fullyOff(ab) && f.fullyOff(ca) && f.fullyOff(aa));
    QVERIFY(f.fullyOn(bc));

    f.stack()->undo();
    QCOMPARE(f.canvas.stateItems, States({b, c, a}));
    QCOMPARE(f.canvas.transitionItems, Transitions({bc, ab, ca, aa}));
    QCOMPARE(a->getTransitions(), TransitionList({ab, ca}));
    QCOMPARE(a->getSelfTransitions(), TransitionList({aa}));
    QCOMPARE(b->getTransitions(), TransitionList({bc, ab}));
    QCOMPARE(c->getTransitions(), TransitionList({bc, ca}));
    QVERIFY(f.fullyOn(ab) && f.fullyOn(ca) && f.fullyOn(aa));

    f.stack()->redo();
    QCOMPARE(f.canvas.transitionItems, Transitions({bc}));
    QCOMPARE(b->getTransitions(), TransitionList({bc}));
    QVERIFY(f.fullyOff(ab));
}

void TestUndoCommands::deletingTransitionGoneWithItsStateIsDropped()
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

void TestUndoCommands::commandsOnItemsOffTheCanvasAreDropped_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("delete a state") << 0;
    QTest::newRow("delete a text") << 1;
    QTest::newRow("join a state") << 2;
}

void TestUndoCommands::commandsOnItemsOffTheCanvasAreDropped()
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

void TestUndoCommands::deletedInitialStateGetsItsMarkerBack()
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

void TestUndoCommands::truncatedCommandsDeleteTheirItems()
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

void TestUndoCommands::destroyingTheCanvasWithDeletedItemsIsClean()
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

QTEST_MAIN(TestUndoCommands)
#include "tst_undocommands.moc"
