// State-machine items: where transition lines run and stop, and the initial
// marker with its checkbox.

#include <QtTest>

#include <QCheckBox>
#include <QTextEdit>

#include "initialtransition.h"
#include "initialtransitionline.h"
#include "modalanswerer.h"
#include "smcanvas.h"
#include "testenvironment.h"

class TestSmItems : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void linesJoinTheCentresAndStopAtTheOutline_data();
    void linesJoinTheCentresAndStopAtTheOutline();
    void selfTransitionsStackAndFollow();
    void initialMarkerFollowsItsState();
};

void TestSmItems::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestSmItems::linesJoinTheCentresAndStopAtTheOutline_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::newRow("left to right") << QPointF(100, 100) << QPointF(500, 100);
    QTest::newRow("right to left") << QPointF(900, 400) << QPointF(200, 400);
    QTest::newRow("downwards") << QPointF(300, 100) << QPointF(300, 700);
    QTest::newRow("diagonal") << QPointF(200, 150) << QPointF(1100, 800);
    QTest::newRow("steep") << QPointF(600, 900) << QPointF(700, 120);
}

void TestSmItems::linesJoinTheCentresAndStopAtTheOutline()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    SmCanvas f;
    f.addState(from - QPointF(140, 75));
    StateItem* b = f.addState(to - QPointF(140, 75));
    TransitionItem* t = f.join(f.canvas.stateItems.first(), b);
    // The box sits half way between the centres.
    QCOMPARE(t->getMidPos(), (from + to) / 2);
    f.render();

    const QPointF boxCentre = t->pos() + QPointF(75, 37);
    const QLineF start = t->getStartLine()->line();
    const QLineF end = t->getEndLine()->line();
    // Start line: from the box outline back to the source centre.
    QCOMPARE(start.p2(), from);
    QVERIFY(onOutline(start.p1(), t));
    // End line: the tip on the target's outline, towards its centre, the tail at the box.
    QCOMPARE(end.p2(), boxCentre);
    QVERIFY(onOutline(end.p1(), b));
    QCOMPARE(t->getEndLine()->getArrowHead().at(0), end.p1());
    QVERIFY(qAbs(QLineF(boxCentre, to).angleTo(QLineF(boxCentre, end.p1()))) < 1e-6
            || qAbs(QLineF(boxCentre, to).angleTo(QLineF(boxCentre, end.p1())) - 360) < 1e-6);

    // Moved, the target still takes the tip on its outline.
    b->setPos(b->pos() + QPointF(130, 170));
    f.render();
    QVERIFY(onOutline(t->getEndLine()->line().p1(), b));
    QCOMPARE(t->getEndLine()->line().p2(), boxCentre);
}

void TestSmItems::selfTransitionsStackAndFollow()
{
    SmCanvas f;
    StateItem* s = f.addState(QPointF(0, 0));
    TransitionItem* first = f.join(s, s);
    TransitionItem* second = f.join(s, s);
    QVERIFY(first->isSelfTransition());
    QCOMPARE(first->getMidPos(), QPointF(570, 75));
    QCOMPARE(second->getMidPos(), QPointF(570, 38));
    QVERIFY(s->getTransitions().isEmpty());
    f.render();
    QCOMPARE(first->getEndLine()->line(), QLineF(QPointF(280, 75), QPointF(570, 75)));
    QCOMPARE(first->getStartLine()->line(), QLineF(QPointF(495, 75), QPointF(140, 75)));
    // A box moved inside its state crosses no edge: the line ends at the centre.
    first->setPos(40, 30);
    f.render();
    QCOMPARE(first->getEndLine()->line().p1(), QPointF(140, 75));
}

void TestSmItems::initialMarkerFollowsItsState()
{
    SmCanvas f;
    StateItem* state = f.state("Start", QPointF(100, 300), true);
    InitialTransition* dot = f.canvas.initialTransition;
    InitialTransitionLine* line = f.canvas.initialTransitionLine;
    QCOMPARE(dot->getInitialState(), state);
    QCOMPARE(line->getInitStateItem(), state);
    QCOMPARE(dot->pos(), QPointF(230, 225));
    f.render();
    QCOMPARE(line->line(), QLineF(QPointF(240, 300), QPointF(240, 235)));

    // The arrow follows at once; the dot when the state is clicked.
    state->setPos(500, 400);
    f.render();
    QCOMPARE(dot->pos(), QPointF(230, 225));
    QVERIFY(onOutline(line->line().p1(), state));
    SceneMouse::click(&f.canvas, QPointF(600, 500));
    QCOMPARE(dot->pos(), QPointF(630, 325));
    f.render();
    QCOMPARE(line->line().p1(), QPointF(640, 400));
}

QTEST_MAIN(TestSmItems)
#include "tst_smitems.moc"
