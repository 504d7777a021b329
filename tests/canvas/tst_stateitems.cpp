// States, the initial marker and text items on a leaf canvas: geometry,
// properties read from a project file, highlight and automatic sizes.

#include <QtTest>

#include <QGraphicsSceneContextMenuEvent>
#include <cmath>

#include "initialtransition.h"
#include "initialtransitionline.h"
#include "smcanvas.h"
#include "testenvironment.h"
#include "textmetrics.h"

namespace {

using Fixture = SmCanvas;

QPolygonF box(qreal w, qreal h)
{
    return QPolygonF() << QPointF(0, 0) << QPointF(w, 0) << QPointF(w, h) << QPointF(0, h) << QPointF(0, 0);
}

} // namespace

class TestStateItems : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void stateFromClickIsCentredOnThePointer();
    void stateReadFromFileTakesEveryField();
    void transitionsGoToTheMatchingList();
    void stateAutoSize_data();
    void stateAutoSize();

    void initialMarkerPlacement();
    void initialDotStaysUntilItsStateIsClicked();
    void lineWithoutDotLogsAndStaysUnbound();
    void rightClickOnTheDotShowsNoMenu();

    void textFromClickIsCentredOnThePointer();
    void textHeadingFollowsTheKind_data();
    void textHeadingFollowsTheKind();
    void textReadFromFileKeepsItsFractionalPlace();
    void textHighlightChangesOnlyThePenStyle();
    void textAutoSize();
};

void TestStateItems::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestStateItems::stateFromClickIsCentredOnThePointer()
{
    Fixture f;
    StateItem* state = f.clickState(QPointF(500, 300));

    QCOMPARE(state->type(), 34);
    QCOMPARE(state->pos(), QPointF(360, 225));
    QCOMPARE(state->myPolygon(), box(280, 150));
    QCOMPARE(state->getLevel(), 6);
    QCOMPARE(state->getParentId(), 3);
    QCOMPARE(state->getGrandParentId(), 2);
    QCOMPARE(state->zValue(), 1.0);
    QCOMPARE(f.canvas.newStateItem, state);
}

void TestStateItems::stateReadFromFileTakesEveryField()
{
    Fixture f;
    t_stateItemReadFromXML record;
    record.level = 5;
    record.label = QStringLiteral("Idle");
    record.ifInitialState = true;
    record.initialCondition = QStringLiteral("power_ok");
    record.initialDescription = QStringLiteral("init();");
    record.xCoord = 10.7;
    record.yCoord = 20.2;
    record.width = 300;
    record.height = 180;
    record.backgroundColour = QColor(QStringLiteral("#102030"));
    record.polygon = {QPoint(0, 0), QPoint(300, 0), QPoint(300, 180), QPoint(0, 180), QPoint(0, 0)};
    record.action = QStringLiteral("a = 1;\nb = 2;");
    record.description = QStringLiteral("waits");
    QVERIFY(f.canvas.addStateItem(&record));
    StateItem* state = f.canvas.stateItems.last();

    QCOMPARE(state->pos(), QPointF(10, 20));
    QCOMPARE(state->getLevel(), 5);
    QCOMPARE(state->getLabel(), QString("Idle"));
    QVERIFY(state->initialStatus());
    QCOMPARE(state->getInitCondition(), QString("power_ok"));
    QCOMPARE(state->getInitDescription(), QString("init();"));
    QCOMPARE(state->boundingRect(), QRectF(0, 0, 300, 180));
    QCOMPARE(state->getBackgroundColour(), QColor(QStringLiteral("#102030")));
    QCOMPARE(state->myPolygon(), box(300, 180));
    QCOMPARE(state->getAction(), QString("a = 1;\nb = 2;"));
    QCOMPARE(state->getDescription(), QString("waits"));
}

void TestStateItems::transitionsGoToTheMatchingList()
{
    Fixture f;
    StateItem* a = f.state("A", QPointF(0, 0));
    StateItem* b = f.state("B", QPointF(600, 0));
    TransitionItem ab(nullptr, a, b, nullptr);
    TransitionItem ba(nullptr, b, a, nullptr);
    TransitionItem aa(nullptr, a, a, nullptr);
    a->addTransition(&ab);
    a->addTransition(&aa);
    a->addTransition(&ba);
    QCOMPARE(a->getTransitions(), QList<TransitionItem*>({&ab, &ba}));
    QCOMPARE(a->getSelfTransitions(), QList<TransitionItem*>({&aa}));

    // Removing a transition the state does not hold changes nothing.
    TransitionItem stranger(nullptr, b, a, nullptr);
    TransitionItem strangerSelf(nullptr, a, a, nullptr);
    a->removeTransition(&stranger);
    a->removeTransition(&strangerSelf);
    QCOMPARE(a->getTransitions(), QList<TransitionItem*>({&ab, &ba}));
    QCOMPARE(a->getSelfTransitions(), QList<TransitionItem*>({&aa}));
    a->removeTransition(&ab);
    QCOMPARE(a->getTransitions(), QList<TransitionItem*>({&ba}));

    // Reading the state again forgets its transitions until they are attached.
    t_stateItemReadFromXML record;
    record.label = QStringLiteral("A");
    record.width = 280;
    record.height = 150;
    a->updatePropertiesfromXMLIO(&record);
    QVERIFY(a->getTransitions().isEmpty());
    QVERIFY(a->getSelfTransitions().isEmpty());
}

void TestStateItems::stateAutoSize_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("action");
    QTest::newRow("empty") << "S" << "";
    QTest::newRow("three lines") << "Idle" << "a = 1;\nb = 2;\nc = 3;";
    QTest::newRow("eight lines") << "Idle" << "1\n2\n3\n4\n5\n6\n7\n8";
    QTest::newRow("long line") << "Idle" << QString(200, QLatin1Char('x'));
    QTest::newRow("long label") << QString(60, QLatin1Char('L')) << "x";
    QTest::newRow("huge label") << QString(300, QLatin1Char('L')) << "x";
}

void TestStateItems::stateAutoSize()
{
    QFETCH(QString, label);
    QFETCH(QString, action);
    Fixture f;
    t_stateItemReadFromXML record;
    record.label = label;
    record.action = action;
    record.width = 10;
    record.height = 10;
    f.canvas.addStateItem(&record);
    StateItem* state = f.canvas.stateItems.last();
    state->setAutoDimensions();

    const QFontMetricsF metrics(QApplication::font());
    const qreal cw = metrics.averageCharWidth();
    const qreal lineH = metrics.height();
    auto w = [cw](const QString& s) { return int(std::floor(8 * cw + cw * s.length())); };
    int widest = 0;
    for (const QString& line : action.split('\n'))
        widest = qMax(widest, w(line));
    widest = qMin(widest, 850);
    const int labelWidth = w(label);
    const int base = labelWidth >= 850 ? 850 : (widest < labelWidth ? labelWidth : widest);
    const int lines = action.split('\n').size();
    const int expectedWidth = qMax(280, int(std::floor(base + 6 * cw)));
    const int expectedHeight = qMax(150, int(std::floor(lineH * (lines + 3))));

    QCOMPARE(state->getWidth(), expectedWidth);
    QCOMPARE(state->getHeight(), expectedHeight);
    QCOMPARE(state->myPolygon(), box(expectedWidth, expectedHeight));
    if (QByteArray(QTest::currentDataTag()) == "empty")
        QCOMPARE(QSize(state->getWidth(), state->getHeight()), QSize(280, 150));
    if (QByteArray(QTest::currentDataTag()) == "long line")
        QCOMPARE(state->getWidth(), int(std::floor(850 + 6 * cw)));
    if (QByteArray(QTest::currentDataTag()) == "three lines")
        QCOMPARE(state->getHeight(), qMax(150, int(std::floor(6 * lineH))));
}

void TestStateItems::initialMarkerPlacement()
{
    Fixture f;
    StateItem* state = f.state("Start", QPointF(100, 300), true);
    InitialTransition* dot = f.canvas.initialTransition;
    InitialTransitionLine* line = f.canvas.initialTransitionLine;

    QCOMPARE(dot->scene(), &f.canvas);
    QCOMPARE(line->scene(), &f.canvas);
    QCOMPARE(dot->getInitialState(), state);
    QCOMPARE(line->getInitStateItem(), state);
    QVERIFY(dot->isSafeToPaint());
    QVERIFY(line->isSafeToPaint());
    QCOMPARE(dot->pos(), QPointF(230, 225));
    QCOMPARE(dot->boundingRect(), QRectF(0, 0, 20, 20));

    line->updateGeometry();
    QCOMPARE(line->line().p1(), QPointF(240, 300));
    QCOMPARE(line->line().p2(), QPointF(240, 235));
    const QPolygonF head = line->getArrowHead();
    QCOMPARE(head.size(), 3);
    QCOMPARE(head.at(0), QPointF(240, 300));
    QVERIFY(qAbs(head.at(1).x() - 250) < 1e-9);
    QVERIFY(qAbs(head.at(1).y() - (300 - 20 * std::sqrt(3.0) / 2)) < 1e-9);
    QVERIFY(qAbs(head.at(2).x() - 230) < 1e-9);
    QVERIFY(qAbs(head.at(2).y() - (300 - 20 * std::sqrt(3.0) / 2)) < 1e-9);
}

void TestStateItems::initialDotStaysUntilItsStateIsClicked()
{
    Fixture f;
    StateItem* state = f.state("Start", QPointF(100, 300), true);
    InitialTransition* dot = f.canvas.initialTransition;
    InitialTransitionLine* line = f.canvas.initialTransitionLine;

    state->setPos(500, 400);
    f.render();
    QCOMPARE(dot->pos(), QPointF(230, 225));
    // The arrow follows at once and still ends on the state's outline.
    const QPointF tip = line->line().p1();
    QCOMPARE(tip.y(), 400.0);
    QVERIFY(tip.x() > 500 && tip.x() < 780);
    QCOMPARE(line->line().p2(), QPointF(240, 235));

    SceneMouse::click(&f.canvas, QPointF(600, 500));
    QCOMPARE(dot->pos(), QPointF(630, 325));
    f.render();
    QCOMPARE(line->line().p1(), QPointF(640, 400));
}

void TestStateItems::lineWithoutDotLogsAndStaysUnbound()
{
    InitialTransitionLine line;
    StateItem state(nullptr, QPointF(0, 200));
    QTest::ignoreMessage(QtDebugMsg,
                         "FATAL ERROR: Initial State Item is called before setting the Initial Transition dot item");
    line.setInitStateItem(&state);
    QVERIFY(!line.getInitStateItem());
    QCOMPARE(line.line(), QLineF());
}

void TestStateItems::rightClickOnTheDotShowsNoMenu()
{
    Fixture f;
    f.state("Start", QPointF(100, 300), true);
    int shown = 0;
    for (QMenu& menu : f.menus)
        QObject::connect(&menu, &QMenu::aboutToShow, [&shown, &menu] {
            ++shown;
            QTimer::singleShot(0, &menu, &QMenu::close);
        });
    QGraphicsSceneContextMenuEvent event(QEvent::GraphicsSceneContextMenu);
    event.setScenePos(QPointF(240, 235));
    event.setScreenPos(QPoint(240, 235));
    QApplication::sendEvent(&f.canvas, &event);
    QCOMPARE(shown, 0);
    QVERIFY(event.isAccepted());
}

void TestStateItems::textFromClickIsCentredOnThePointer()
{
    Fixture f;
    TextItem* text = f.clickText(QPointF(400, 200));

    QCOMPARE(text->type(), 35);
    QCOMPARE(text->pos(), QPointF(325, 163));
    QCOMPARE(text->myPolygon(), box(150, 75));
    QCOMPARE(text->getItemType(), 0);
    QCOMPARE(text->heading(), QString("DEFAULT"));
    QVERIFY(!text->getTextColor().isValid());
    QVERIFY(!text->getBackgroundColor().isValid());
    QCOMPARE(text->pen(), QPen(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    f.render();
    QCOMPARE(text->getBackgroundColor(), QColor(255, 255, 255, 255));
    // Hit tests find it before and after painting.
    QCOMPARE(f.canvas.items(QPointF(400, 200)).value(0), static_cast<QGraphicsItem*>(text));
}

void TestStateItems::textHeadingFollowsTheKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("heading");
    QTest::newRow("default") << 0 << "DEFAULT";
    QTest::newRow("includes") << 1 << "INCLUDES";
    QTest::newRow("defines") << 2 << "DEFINES";
    QTest::newRow("beyond") << 3 << "DEFINES";
    QTest::newRow("negative") << -1 << "DEFINES";
}

void TestStateItems::textHeadingFollowsTheKind()
{
    QFETCH(int, kind);
    QFETCH(QString, heading);
    Fixture f;
    t_textItemReadFromXML record;
    record.type = kind;
    record.width = 150;
    record.height = 75;
    f.canvas.addTextItem(&record);
    QCOMPARE(f.canvas.textItems.last()->getItemType(), kind);
    QCOMPARE(f.canvas.textItems.last()->heading(), heading);
}

void TestStateItems::textReadFromFileKeepsItsFractionalPlace()
{
    Fixture f;
    t_textItemReadFromXML record;
    record.backgroundColour = QColor(QStringLiteral("#aabbcc"));
    record.textColour = QColor(QStringLiteral("#010203"));
    record.xCoord = 12.5;
    record.yCoord = 40.25;
    record.width = 210;
    record.height = 95;
    record.polygon = {QPoint(0, 0), QPoint(210, 0), QPoint(210, 95), QPoint(0, 95), QPoint(0, 0)};
    record.action = QStringLiteral("#include <stdio.h>");
    QVERIFY(f.canvas.addTextItem(&record));
    TextItem* text = f.canvas.textItems.last();

    QCOMPARE(text->pos(), QPointF(12.5, 40.25));
    QCOMPARE(text->getBackgroundColor(), QColor(QStringLiteral("#aabbcc")));
    QCOMPARE(text->getTextColor(), QColor(QStringLiteral("#010203")));
    QCOMPARE(text->boundingRect(), QRectF(0, 0, 210, 95));
    QCOMPARE(text->myPolygon(), box(210, 95));
    QCOMPARE(text->getAction(), QString("#include <stdio.h>"));
}

void TestStateItems::textHighlightChangesOnlyThePenStyle()
{
    Fixture f;
    TextItem* text = f.clickText(QPointF(400, 200));
    SceneMouse::click(&f.canvas, QPointF(400, 200));
    QCOMPARE(text->pen(), QPen(QBrush(Qt::black), 2, Qt::DotLine, Qt::RoundCap, Qt::RoundJoin));
    SceneMouse::click(&f.canvas, QPointF(1500, 900));
    QCOMPARE(text->pen(), QPen(QBrush(Qt::black), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void TestStateItems::textAutoSize()
{
    Fixture f;
    t_textItemReadFromXML record;
    record.action = QStringLiteral("#define A 1\n#define LONGER_NAME 2\n\n#define C 3");
    record.width = 10;
    record.height = 10;
    f.canvas.addTextItem(&record);
    TextItem* text = f.canvas.textItems.last();
    text->setAutoDimensions();

    const QFontMetricsF metrics(QApplication::font());
    const qreal cw = metrics.averageCharWidth();
    const qreal lineH = metrics.height();
    const int widest = int(std::floor(8 * cw + cw * QStringLiteral("#define LONGER_NAME 2").length()));
    QCOMPARE(text->getWidth(), qMax(150, int(std::floor(widest + 6 * cw))));
    QCOMPARE(text->getHeight(), qMax(75, int(std::floor(lineH * 4 + lineH + 1.5 * lineH))));
    QCOMPARE(text->myPolygon(), box(text->getWidth(), text->getHeight()));

    // A short text keeps the minimum size.
    record.action = QStringLiteral("x");
    f.canvas.addTextItem(&record);
    f.canvas.textItems.last()->setAutoDimensions();
    QCOMPARE(f.canvas.textItems.last()->getWidth(), 150);
    QCOMPARE(f.canvas.textItems.last()->getHeight(), 75);
}

QTEST_MAIN(TestStateItems)
#include "tst_stateitems.moc"
