// States, the initial marker and text items on a leaf canvas: geometry,
// properties read from a project file, highlight and automatic sizes.

#include <QtTest>

#include <QAction>
#include <QGraphicsDropShadowEffect>
#include <QGraphicsSceneContextMenuEvent>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QUndoStack>
#include <cmath>

#include "addtextcommand.h"
#include "canvas.h"
#include "initialtransition.h"
#include "initialtransitionline.h"
#include "scenemouse.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "textitem.h"
#include "textmetrics.h"
#include "transitionitem.h"

namespace {

struct Fixture
{
    QMenu menus[7];
    t_strContextMenu set {&menus[0], &menus[1], &menus[2], &menus[3], &menus[4], &menus[5], &menus[6]};
    QAction returnToSelect;
    Canvas canvas {&set};

    Fixture()
    {
        canvas.setLevel(5);
        canvas.setId(3);
        canvas.setParentId(2);
        canvas.setGrandParentId(1);
        canvas.setSceneRect(0, 0, 2000, 1050);
        canvas.setReturnToSelectAction(&returnToSelect);
        QObject::connect(&returnToSelect, &QAction::triggered,
                         [this] { canvas.setMode(Canvas::SelectItem); });
    }

    StateItem* clickState(const QPointF& at)
    {
        canvas.setMode(Canvas::InsertState);
        SceneMouse::click(&canvas, at);
        return canvas.stateItems.last();
    }
    TextItem* clickText(const QPointF& at)
    {
        canvas.setMode(Canvas::InsertText);
        SceneMouse::click(&canvas, at);
        return canvas.textItems.last();
    }
    StateItem* readState(const QString& label, const QPointF& at, bool initial = false)
    {
        t_stateItemReadFromXML record;
        record.level = 5;
        record.parentId = 3;
        record.grandParentId = 2;
        record.label = label;
        record.ifInitialState = initial;
        record.xCoord = at.x();
        record.yCoord = at.y();
        record.width = 280;
        record.height = 150;
        record.polygon = {QPoint(0, 0), QPoint(280, 0), QPoint(280, 150), QPoint(0, 150), QPoint(0, 0)};
        canvas.addStateItem(&record);
        return canvas.stateItems.last();
    }
    void render()
    {
        QImage image(2000, 1050, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        canvas.render(&painter, QRectF(0, 0, 2000, 1050), QRectF(0, 0, 2000, 1050));
    }
};

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
    void stateFillBecomesDefaultOnFirstPaint();
    void stateReadFromFileTakesEveryField();
    void removingAnUnknownTransitionChangesNothing();
    void transitionsGoToTheMatchingList();
    void stateAutoSize_data();
    void stateAutoSize();
    void initialFlagLivesInTheDialog();

    void initialMarkerPlacement();
    void initialDotStaysUntilItsStateIsClicked();
    void initialMarkerNeedsItsPartners();
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
    QCOMPARE(state->getWidth(), 280);
    QCOMPARE(state->getHeight(), 150);
    QCOMPARE(state->boundingRect(), QRectF(0, 0, 280, 150));
    QCOMPARE(state->myPolygon(), box(280, 150));
    QCOMPARE(state->getLevel(), 6);
    QCOMPARE(state->getParentId(), 3);
    QCOMPARE(state->getGrandParentId(), 2);
    QCOMPARE(state->zValue(), 1.0);
    QCOMPARE(f.canvas.newStateItem, state);
    QVERIFY(state->flags() & QGraphicsItem::ItemIsMovable);
    QVERIFY(state->flags() & QGraphicsItem::ItemIsSelectable);
    QVERIFY(state->acceptHoverEvents());
    QVERIFY(!state->initialStatus());
    QVERIFY(state->getLabel().isEmpty());
    QVERIFY(state->getTransitions().isEmpty());
    QVERIFY(state->getSelfTransitions().isEmpty());
    // One shadow, installed once.
    auto* shadow = qobject_cast<QGraphicsDropShadowEffect*>(state->graphicsEffect());
    QVERIFY(shadow);
    QCOMPARE(shadow->blurRadius(), 50.0);
}

void TestStateItems::stateFillBecomesDefaultOnFirstPaint()
{
    Fixture f;
    StateItem* drawn = f.clickState(QPointF(500, 300));
    t_stateItemReadFromXML record;
    record.label = QStringLiteral("Coloured");
    record.width = 280;
    record.height = 150;
    record.backgroundColour = QColor(QStringLiteral("#fec309"));
    record.xCoord = 1000;
    record.yCoord = 500;
    f.canvas.addStateItem(&record);
    StateItem* read = f.canvas.stateItems.last();

    QVERIFY(!drawn->getBackgroundColour().isValid());
    f.render();
    QCOMPARE(drawn->getBackgroundColour(), QColor(229, 231, 233, 255));
    QCOMPARE(read->getBackgroundColour(), QColor(QStringLiteral("#fec309")));
}

void TestStateItems::stateReadFromFileTakesEveryField()
{
    Fixture f;
    t_stateItemReadFromXML record;
    record.level = 5;
    record.parentId = 7;
    record.grandParentId = 4;
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
    QCOMPARE(state->getParentId(), 7);
    QCOMPARE(state->getGrandParentId(), 4);
    QCOMPARE(state->getLabel(), QString("Idle"));
    QVERIFY(state->initialStatus());
    QCOMPARE(state->getInitCondition(), QString("power_ok"));
    QCOMPARE(state->getInitDescription(), QString("init();"));
    QCOMPARE(state->getWidth(), 300);
    QCOMPARE(state->getHeight(), 180);
    QCOMPARE(state->boundingRect(), QRectF(0, 0, 300, 180));
    QCOMPARE(state->getBackgroundColour(), QColor(QStringLiteral("#102030")));
    QCOMPARE(state->myPolygon(), box(300, 180));
    QCOMPARE(state->getAction(), QString("a = 1;\nb = 2;"));
    QCOMPARE(state->getDescription(), QString("waits"));
}

void TestStateItems::removingAnUnknownTransitionChangesNothing()
{
    Fixture f;
    StateItem* a = f.readState("A", QPointF(0, 0));
    StateItem* b = f.readState("B", QPointF(600, 0));
    TransitionItem held(nullptr, a, b, nullptr);
    TransitionItem stranger(nullptr, b, a, nullptr);
    TransitionItem strangerSelf(nullptr, a, a, nullptr);
    a->addTransition(&held);

    a->removeTransition(&stranger);
    a->removeTransition(&strangerSelf);
    QCOMPARE(a->getTransitions(), QList<TransitionItem*>({&held}));
    QVERIFY(a->getSelfTransitions().isEmpty());
    a->removeTransition(&held);
    QVERIFY(a->getTransitions().isEmpty());
}

void TestStateItems::transitionsGoToTheMatchingList()
{
    Fixture f;
    StateItem* a = f.readState("A", QPointF(0, 0));
    StateItem* b = f.readState("B", QPointF(600, 0));
    TransitionItem ab(nullptr, a, b, nullptr);
    TransitionItem ba(nullptr, b, a, nullptr);
    TransitionItem aa(nullptr, a, a, nullptr);
    a->addTransition(&ab);
    a->addTransition(&aa);
    a->addTransition(&ba);
    QCOMPARE(a->getTransitions(), QList<TransitionItem*>({&ab, &ba}));
    QCOMPARE(a->getSelfTransitions(), QList<TransitionItem*>({&aa}));

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

void TestStateItems::initialFlagLivesInTheDialog()
{
    Fixture f;
    StateItem* state = f.clickState(QPointF(500, 300));
    state->setIfInitialState(true);
    QVERIFY(state->initialStatus());
    QVERIFY(f.canvas.enableDisableStateSetInitChkBox(f.clickState(QPointF(1200, 600))));
    QVERIFY(!f.canvas.enableDisableStateSetInitChkBox(state));
    state->setIfInitialState(false);
    QVERIFY(!state->initialStatus());
}

void TestStateItems::initialMarkerPlacement()
{
    Fixture f;
    StateItem* state = f.readState("Start", QPointF(100, 300), true);
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
    QCOMPARE(dot->zValue(), 0.0);
    QCOMPARE(int(dot->flags()), 0);

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
    QCOMPARE(line->pen().width(), 2);
    QVERIFY(line->flags() & QGraphicsItem::ItemIsSelectable);
}

void TestStateItems::initialDotStaysUntilItsStateIsClicked()
{
    Fixture f;
    StateItem* state = f.readState("Start", QPointF(100, 300), true);
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

void TestStateItems::initialMarkerNeedsItsPartners()
{
    InitialTransition dot;
    dot.setSafeToPaint(true);
    QVERIFY(!dot.isSafeToPaint());
    InitialTransitionLine line;
    line.setSafeToPaint(true);
    QVERIFY(!line.isSafeToPaint());
    line.setInitialTransitionItem(&dot);
    line.setSafeToPaint(true);
    QVERIFY(!line.isSafeToPaint());

    StateItem state(nullptr, QPointF(0, 200));
    dot.setInitialState(&state);
    line.setInitStateItem(&state);
    dot.setSafeToPaint(true);
    line.setSafeToPaint(true);
    QVERIFY(dot.isSafeToPaint());
    QVERIFY(line.isSafeToPaint());
    QCOMPARE(dot.pos(), QPointF(130, 125));

    dot.clearInitialState();
    line.clearInitialState();
    QVERIFY(!dot.isSafeToPaint());
    QVERIFY(!dot.getInitialState());
    QVERIFY(!line.isSafeToPaint());
    QVERIFY(!line.getInitStateItem());
    QCOMPARE(line.getInitialTransitionItem(), &dot);
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
    f.readState("Start", QPointF(100, 300), true);
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
    QCOMPARE(text->getWidth(), 150);
    QCOMPARE(text->getHeight(), 75);
    QCOMPARE(text->boundingRect(), QRectF(0, 0, 150, 75));
    QCOMPARE(text->myPolygon(), box(150, 75));
    QCOMPARE(text->getItemType(), 0);
    QCOMPARE(text->heading(), QString("DEFAULT"));
    QCOMPARE(text->getLevel(), 6);
    QCOMPARE(text->getParentId(), 3);
    QCOMPARE(text->getGrandParentId(), 2);
    QCOMPARE(f.canvas.newTextItem, text);
    QVERIFY(!text->graphicsEffect());
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
    record.level = 5;
    record.parentId = 9;
    record.grandParentId = 8;
    record.type = 1;
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
    QCOMPARE(text->getLevel(), 5);
    QCOMPARE(text->getParentId(), 9);
    QCOMPARE(text->getGrandParentId(), 8);
    QCOMPARE(text->getItemType(), 1);
    QCOMPARE(text->getBackgroundColor(), QColor(QStringLiteral("#aabbcc")));
    QCOMPARE(text->getTextColor(), QColor(QStringLiteral("#010203")));
    QCOMPARE(text->getWidth(), 210);
    QCOMPARE(text->getHeight(), 95);
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
