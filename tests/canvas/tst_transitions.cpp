// Transitions: placement of the label box, routing of the two lines and their
// arrow head, self transitions, highlight, sizes and the transition commands.

#include <QtTest>

#include <cmath>

#include "deletetransitioncommand.h"
#include "smcanvas.h"
#include "testenvironment.h"
#include "transitionline.h"

using Fixture = SmCanvas;

class TestTransitions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void boxSitsHalfwayBetweenTheStates();
    void selfTransitionBoxesStackUpwards();
    void linesJoinTheCentresAndStopAtTheOutline_data();
    void linesJoinTheCentresAndStopAtTheOutline();
    void arrowHeadOpensTowardsTheBox();
    void linesFollowAMovedState();
    void lineInsideItsTargetStartsAtTheTargetCentre();
    void readFromFileTakesEveryField();
    void autoSize_data();
    void autoSize();

    void addingTellsBothStates();
    void deleteAndUndoRestoresBothStates();
    void statesOffTheCanvasCannotBeJoined();
};

void TestTransitions::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestTransitions::boxSitsHalfwayBetweenTheStates()
{
    Fixture f;
    StateItem* a = f.stateCentredAt(QPointF(100, 100));
    StateItem* b = f.stateCentredAt(QPointF(500, 100));
    TransitionItem* t = f.join(a, b);
    QVERIFY(t);

    QCOMPARE(t->type(), 33);
    QCOMPARE(t->getMidPos(), QPointF(300, 100));
    QCOMPARE(t->pos(), QPointF(225, 63));
    QCOMPARE(t->boundingRect(), QRectF(0, 0, 150, 75));
    QCOMPARE(t->myPolygon(), QPolygonF() << QPointF(0, 0) << QPointF(150, 0) << QPointF(150, 75)
                                         << QPointF(0, 75) << QPointF(0, 0));
    QCOMPARE(t->startItem(), a);
    QCOMPARE(t->endItem(), b);
    QVERIFY(!t->isSelfTransition());

    TransitionLine* start = t->getStartLine();
    TransitionLine* end = t->getEndLine();
    QVERIFY(start && end);
    QCOMPARE(start->getLineType(), 1);
    QCOMPARE(end->getLineType(), 2);
    QCOMPARE(start->getState(), a);
    QCOMPARE(end->getState(), b);
}

void TestTransitions::selfTransitionBoxesStackUpwards()
{
    Fixture f;
    StateItem* s = f.stateCentredAt(QPointF(140, 75));
    QCOMPARE(s->pos(), QPointF(0, 0));
    TransitionItem* first = f.join(s, s);
    TransitionItem* second = f.join(s, s);

    QVERIFY(first->isSelfTransition());
    QCOMPARE(first->getMidPos(), QPointF(570, 75));
    QCOMPARE(first->pos(), QPointF(495, 38));
    QCOMPARE(second->getMidPos(), QPointF(570, 38));
    QCOMPARE(second->pos(), QPointF(495, 1));
    QCOMPARE(s->getSelfTransitions(), QList<TransitionItem*>({first, second}));
    QVERIFY(s->getTransitions().isEmpty());

    // Both lines run along the centre line; only the end line has a head, on the state.
    first->getEndLine()->updateGeometry();
    QCOMPARE(first->getEndLine()->line(), QLineF(QPointF(280, 75), QPointF(570, 75)));
    first->getStartLine()->updateGeometry();
    QCOMPARE(first->getStartLine()->line(), QLineF(QPointF(495, 75), QPointF(140, 75)));
}

void TestTransitions::linesJoinTheCentresAndStopAtTheOutline_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::newRow("left to right") << QPointF(100, 100) << QPointF(500, 100);
    QTest::newRow("right to left") << QPointF(900, 400) << QPointF(200, 400);
    QTest::newRow("downwards") << QPointF(300, 100) << QPointF(300, 700);
    QTest::newRow("diagonal") << QPointF(200, 150) << QPointF(1100, 800);
    QTest::newRow("steep") << QPointF(600, 900) << QPointF(700, 120);
}

void TestTransitions::linesJoinTheCentresAndStopAtTheOutline()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    Fixture f;
    StateItem* a = f.stateCentredAt(from);
    StateItem* b = f.stateCentredAt(to);
    TransitionItem* t = f.join(a, b);
    f.render();

    const QPointF boxCentre = t->pos() + QPointF(75, 37);
    const QLineF start = t->getStartLine()->line();
    const QLineF end = t->getEndLine()->line();
    // Start line: from the box outline back to the source centre.
    QCOMPARE(start.p2(), from);
    QVERIFY(onOutline(start.p1(), t, t->myPolygon()));
    // End line: the tip lies on the target's outline, the tail at the box centre.
    QCOMPARE(end.p2(), boxCentre);
    QVERIFY(onOutline(end.p1(), b, b->myPolygon()));
    QCOMPARE(t->getEndLine()->getArrowHead().at(0), end.p1());
    // Both lie on the segment between the centres they join.
    QVERIFY(qAbs(QLineF(boxCentre, to).angleTo(QLineF(boxCentre, end.p1()))) < 1e-6
            || qAbs(QLineF(boxCentre, to).angleTo(QLineF(boxCentre, end.p1())) - 360) < 1e-6);
    QVERIFY(QLineF(boxCentre, end.p1()).length() <= QLineF(boxCentre, to).length());
    if (QByteArray(QTest::currentDataTag()) == "left to right") {
        QCOMPARE(end.p1(), QPointF(360, 100));
        QCOMPARE(start.p1(), QPointF(225, 100));
    }
}

void TestTransitions::arrowHeadOpensTowardsTheBox()
{
    Fixture f;
    TransitionItem* t = f.join(f.stateCentredAt(QPointF(100, 100)), f.stateCentredAt(QPointF(500, 100)));
    f.render();
    const QPolygonF head = t->getEndLine()->getArrowHead();
    const qreal back = 20 * std::sqrt(3.0) / 2;
    QCOMPARE(head.size(), 3);
    QCOMPARE(head.at(0), QPointF(360, 100));
    QVERIFY(qAbs(head.at(1).x() - (360 - back)) < 1e-9);
    QVERIFY(qAbs(head.at(1).y() - 90) < 1e-9);
    QVERIFY(qAbs(head.at(2).x() - (360 - back)) < 1e-9);
    QVERIFY(qAbs(head.at(2).y() - 110) < 1e-9);
    // The head is part of the line's shape.
    QVERIFY(t->getEndLine()->shape().contains(QPointF(350, 104)));
}

void TestTransitions::linesFollowAMovedState()
{
    Fixture f;
    StateItem* a = f.stateCentredAt(QPointF(100, 100));
    StateItem* b = f.stateCentredAt(QPointF(500, 100));
    TransitionItem* t = f.join(a, b);
    f.render();
    QCOMPARE(t->getEndLine()->line().p1(), QPointF(360, 100));

    b->setPos(260, 500);
    f.render();
    // The box stays; the end line now enters the state through its top edge.
    QCOMPARE(t->pos(), QPointF(225, 63));
    const QPointF tip = t->getEndLine()->line().p1();
    QCOMPARE(tip.y(), 500.0);
    QVERIFY(onOutline(tip, b, b->myPolygon()));
    QCOMPARE(t->getEndLine()->getArrowHead().at(0), tip);

    // Moving the box moves both lines' box ends.
    t->setPos(625, 263);
    f.render();
    QCOMPARE(t->getEndLine()->line().p2(), QPointF(700, 300));
    QCOMPARE(t->getStartLine()->line().p2(), QPointF(100, 100));
}

void TestTransitions::lineInsideItsTargetStartsAtTheTargetCentre()
{
    Fixture f;
    StateItem* s = f.stateCentredAt(QPointF(400, 400));
    TransitionItem* t = f.join(s, s);
    // The whole box inside its state: no edge is crossed.
    t->setPos(300, 370);
    f.render();
    QCOMPARE(t->getEndLine()->line().p1(), QPointF(400, 400));
    QCOMPARE(t->getStartLine()->line().p1(), QPointF(375, 407));
}

void TestTransitions::readFromFileTakesEveryField()
{
    Fixture f;
    t_stateItemReadFromXML state;
    state.width = 280;
    state.height = 150;
    state.label = QStringLiteral("A");
    f.canvas.addStateItem(&state);
    state.label = QStringLiteral("B");
    state.xCoord = 800;
    f.canvas.addStateItem(&state);

    t_transitionItemReadFromXML record;
    record.label = QStringLiteral("go");
    record.condition = QStringLiteral("x > 1");
    record.backgroundColour = QColor(QStringLiteral("#336699"));
    record.xCoord = 412.5;
    record.yCoord = 33;
    record.width = 190;
    record.height = 90;
    record.polygon = {QPoint(0, 0), QPoint(190, 0), QPoint(190, 90), QPoint(0, 90), QPoint(0, 0)};
    record.startItem = QStringLiteral("A");
    record.endItem = QStringLiteral("B");
    record.description = QStringLiteral("leaves A");
    record.action = QStringLiteral("y = 0;");
    QVERIFY(f.canvas.addTransitionItem(&record));
    TransitionItem* t = f.canvas.transitionItems.last();

    QCOMPARE(t->getLabel(), QString("go"));
    QCOMPARE(t->getCondition(), QString("x > 1"));
    QCOMPARE(t->getBackgroundColour(), QColor(QStringLiteral("#336699")));
    QCOMPARE(t->pos(), QPointF(412.5, 33));
    QCOMPARE(t->boundingRect(), QRectF(0, 0, 190, 90));
    QCOMPARE(t->myPolygon(), QPolygonF() << QPointF(0, 0) << QPointF(190, 0) << QPointF(190, 90)
                                         << QPointF(0, 90) << QPointF(0, 0));
    QCOMPARE(t->getDescription(), QString("leaves A"));
    QCOMPARE(t->getAction(), QString("y = 0;"));
    QCOMPARE(t->startItem(), f.canvas.stateItems.at(0));
    QCOMPARE(t->endItem(), f.canvas.stateItems.at(1));
    // The mid position is the constructor's, between the centres.
    QCOMPARE(t->getMidPos(), QPointF(540, 75));
    QCOMPARE(f.canvas.stateItems.at(0)->getTransitions(), QList<TransitionItem*>({t}));
    QCOMPARE(f.canvas.stateItems.at(1)->getTransitions(), QList<TransitionItem*>({t}));
}

void TestTransitions::autoSize_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("action");
    QTest::newRow("all short") << "t" << "c" << "";
    QTest::newRow("long action") << "t" << "c" << "a = b + c + d + e + f + g + h + i;\nx = 1;";
    QTest::newRow("long label") << QString(30, QLatin1Char('l')) << "c" << "a;";
    QTest::newRow("long condition") << "t" << QString(40, QLatin1Char('c')) << "a;";
    QTest::newRow("capped condition") << "t" << QString(200, QLatin1Char('c')) << "a;";
    QTest::newRow("capped action") << "t" << "c" << QString(200, QLatin1Char('a'));
}

void TestTransitions::autoSize()
{
    QFETCH(QString, label);
    QFETCH(QString, condition);
    QFETCH(QString, action);
    Fixture f;
    StateItem* a = f.stateCentredAt(QPointF(100, 100));
    t_transitionItemReadFromXML record;
    record.label = label;
    record.condition = condition;
    record.action = action;
    record.width = 10;
    record.height = 10;
    TransitionItem t(nullptr, a, a, nullptr);
    t.updatePropertiesfromXMLIO(&record);
    t.setAutoDimensions();

    const QFontMetricsF metrics(QApplication::font());
    const qreal cw = metrics.averageCharWidth();
    const qreal lineH = metrics.height();
    auto w = [cw](const QString& s) { return int(std::floor(8 * cw + cw * s.length())); };
    int widest = 0;
    for (const QString& line : action.split('\n'))
        widest = qMax(widest, w(line));
    widest = qMin(widest, 600);
    const int withLabel = w(label) >= 600 ? 600 : (widest < w(label) ? w(label) : widest);
    const int base = w(condition) >= 600 ? 600 : (withLabel < w(condition) ? w(condition) : withLabel);
    const int lines = action.split('\n').size();
    QCOMPARE(t.getTransitionItemWidth(), qMax(150, int(std::floor(base + 6 * cw))));
    QCOMPARE(t.getTransitionItemHeight(), qMax(75, int(std::floor(lineH * (lines + 4)))));
    QCOMPARE(t.rect(), QRectF(0, 0, t.getTransitionItemWidth(), t.getTransitionItemHeight()));
}

void TestTransitions::addingTellsBothStates()
{
    Fixture f;
    StateItem* a = f.stateCentredAt(QPointF(100, 100));
    StateItem* b = f.stateCentredAt(QPointF(700, 100));
    TransitionItem* ab = f.join(a, b);
    TransitionItem* ba = f.join(b, a);
    TransitionItem* aa = f.join(a, a);
    QCOMPARE(a->getTransitions(), QList<TransitionItem*>({ab, ba}));
    QCOMPARE(b->getTransitions(), QList<TransitionItem*>({ab, ba}));
    QCOMPARE(a->getSelfTransitions(), QList<TransitionItem*>({aa}));
    QCOMPARE(f.canvas.transitionItems, QVector<TransitionItem*>({ab, ba, aa}));

    // Undoing the self transition touches only its own list.
    f.canvas.undoStack()->undo();
    QVERIFY(a->getSelfTransitions().isEmpty());
    QCOMPARE(a->getTransitions(), QList<TransitionItem*>({ab, ba}));
    QVERIFY(!aa->scene());

    f.canvas.undoStack()->undo();
    QCOMPARE(a->getTransitions(), QList<TransitionItem*>({ab}));
    QCOMPARE(b->getTransitions(), QList<TransitionItem*>({ab}));
    QVERIFY(!ba->scene());
    QVERIFY(!ba->getStartLine()->scene());
    QVERIFY(!ba->getEndLine()->scene());
    QCOMPARE(f.canvas.transitionItems, QVector<TransitionItem*>({ab}));

    f.canvas.undoStack()->redo();
    f.canvas.undoStack()->redo();
    QCOMPARE(f.canvas.transitionItems, QVector<TransitionItem*>({ab, ba, aa}));
    QCOMPARE(ba->getEndLine()->scene(), &f.canvas);
    QCOMPARE(a->getTransitions(), QList<TransitionItem*>({ab, ba}));
    QCOMPARE(a->getSelfTransitions(), QList<TransitionItem*>({aa}));
}

void TestTransitions::deleteAndUndoRestoresBothStates()
{
    Fixture f;
    StateItem* a = f.stateCentredAt(QPointF(100, 100));
    StateItem* b = f.stateCentredAt(QPointF(700, 100));
    TransitionItem* ab = f.join(a, b);
    const double zBefore = ab->zValue();

    f.canvas.undoStack()->push(new DeleteTransitionCommand(&f.canvas, ab));
    QVERIFY(a->getTransitions().isEmpty());
    QVERIFY(b->getTransitions().isEmpty());
    QVERIFY(f.canvas.transitionItems.isEmpty());
    QVERIFY(!ab->scene());
    QVERIFY(!ab->getStartLine()->scene());
    QVERIFY(!ab->getEndLine()->scene());

    f.canvas.undoStack()->undo();
    QCOMPARE(a->getTransitions(), QList<TransitionItem*>({ab}));
    QCOMPARE(b->getTransitions(), QList<TransitionItem*>({ab}));
    QCOMPARE(f.canvas.transitionItems, QVector<TransitionItem*>({ab}));
    QCOMPARE(ab->scene(), &f.canvas);
    QCOMPARE(ab->getStartLine()->scene(), &f.canvas);
    QCOMPARE(ab->getEndLine()->scene(), &f.canvas);
    QCOMPARE(ab->zValue(), zBefore);
}

void TestTransitions::statesOffTheCanvasCannotBeJoined()
{
    Fixture f;
    StateItem* a = f.stateCentredAt(QPointF(100, 100));
    StateItem stray(nullptr, QPointF(600, 0));
    const int commands = f.canvas.undoStack()->count();
    QVERIFY(!f.join(a, &stray));
    QCOMPARE(f.canvas.undoStack()->count(), commands);
    QVERIFY(a->getTransitions().isEmpty());
    QVERIFY(stray.getTransitions().isEmpty());
}

QTEST_MAIN(TestTransitions)
#include "tst_transitions.moc"
