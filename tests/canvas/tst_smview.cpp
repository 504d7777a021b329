// A state machine drawn by hand: mouse events on a real graphics view place
// states, transitions, a self transition, an initial state and text items,
// the dialogs edit them, drags move them, and undo and redo take it all back
// and forth.

#include <QtTest>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTextEdit>
#include <QUndoStack>

#include "initialtransition.h"
#include "initialtransitionline.h"
#include "modalanswerer.h"
#include "smcanvas.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "textitem.h"
#include "transitionitem.h"
#include "transitionline.h"

namespace {

// A canvas in a view, wired the way the main window wires it.
struct Desk
{
    QMenu menus[7];
    t_strContextMenu set {&menus[0], &menus[1], &menus[2], &menus[3], &menus[4], &menus[5], &menus[6]};
    QAction save;
    QAction returnToSelect;
    QAction* selfTransition = nullptr;
    Canvas canvas {&set};
    QGraphicsView view;

    Desk()
    {
        canvas.setLevel(5);
        canvas.setId(1);
        canvas.setParentId(1);
        canvas.setGrandParentId(1);
        canvas.setLabel(QStringLiteral("Door_Ctrl"));
        canvas.setSceneRect(0, 0, 1200, 800);
        canvas.setSaveAction(&save);
        canvas.setReturnToSelectAction(&returnToSelect);
        QObject::connect(&returnToSelect, &QAction::triggered,
                         [this] { canvas.setMode(Canvas::SelectItem); });
        selfTransition = menus[0].addAction(QStringLiteral("Self transition"));
        QObject::connect(selfTransition, &QAction::triggered, [this] { canvas.addSelfTransitionItem(); });

        view.setScene(&canvas);
        view.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        view.resize(1300, 900);
        view.show();
        QApplication::setActiveWindow(&view);
    }

    void send(QEvent::Type type, const QPointF& scenePoint, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        const QPoint point = view.mapFromScene(scenePoint);
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
            auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!popup)
                return;
            popup->setActiveAction(entry);
            QTest::keyClick(popup, Qt::Key_Return);
            picked = true;
        });
        const QPoint point = view.mapFromScene(at);
        QContextMenuEvent event(QContextMenuEvent::Mouse, point, view.viewport()->mapToGlobal(point));
        QApplication::sendEvent(view.viewport(), &event);
        return picked;
    }
    void undo() { canvas.undoAction()->trigger(); }
    void redo() { canvas.redoAction()->trigger(); }
};

} // namespace

class TestSmView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void drawEditMoveUndoRedo();
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

    // Three states, one click each.
    const QPointF centres[] = {QPointF(250, 200), QPointF(850, 200), QPointF(550, 600)};
    for (const QPointF& centre : centres) {
        d.canvas.setMode(Canvas::InsertState);
        d.click(centre);
        QCOMPARE(d.canvas.getMode(), Canvas::SelectItem);
    }
    QCOMPARE(d.canvas.stateItems.size(), 3);
    StateItem* closed = d.canvas.stateItems.at(0);
    StateItem* opening = d.canvas.stateItems.at(1);
    StateItem* open = d.canvas.stateItems.at(2);
    QCOMPARE(closed->pos(), QPointF(110, 125));
    QCOMPARE(opening->pos(), QPointF(710, 125));
    QCOMPARE(open->pos(), QPointF(410, 525));

    // Two transitions dragged from state to state.
    d.canvas.setMode(Canvas::InsertTransition);
    d.drag(QPointF(250, 200), QPointF(850, 200));
    QCOMPARE(d.canvas.getMode(), Canvas::SelectItem);
    d.canvas.setMode(Canvas::InsertTransition);
    d.drag(QPointF(850, 200), QPointF(550, 600));
    QCOMPARE(d.canvas.transitionItems.size(), 2);
    TransitionItem* toOpening = d.canvas.transitionItems.at(0);
    TransitionItem* toOpen = d.canvas.transitionItems.at(1);
    QCOMPARE(toOpening->startItem(), closed);
    QCOMPARE(toOpening->endItem(), opening);
    QCOMPARE(toOpening->pos(), QPointF(475, 163));
    QCOMPARE(toOpen->pos(), QPointF(625, 363));

    // A self transition from the state's menu.
    QVERIFY(d.pickFromMenu(QPointF(550, 640), d.selfTransition));
    QCOMPARE(d.canvas.transitionItems.size(), 3);
    TransitionItem* stay = d.canvas.transitionItems.at(2);
    QVERIFY(stay->isSelfTransition());
    QCOMPARE(stay->startItem(), open);
    QCOMPARE(stay->pos(), QPointF(905, 563));
    QCOMPARE(open->getSelfTransitions(), QList<TransitionItem*>({stay}));

    // Name the states; the first becomes the initial state.
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
    QCOMPARE(closed->getAction(), QString("motor_off();"));
    QVERIFY(closed->initialStatus());
    QCOMPARE(closed->getInitCondition(), QString("1"));
    QCOMPARE(d.canvas.initialTransition->scene(), &d.canvas);
    QCOMPARE(d.canvas.initialTransition->pos(), QPointF(240, 50));

    const char* names[] = {"Opening", "Open"};
    StateItem* others[] = {opening, open};
    bool barred[] = {false, false};
    for (int i = 0; i < 2; ++i) {
        ModalAnswerer answer;
        answer.pressButton(QDialogButtonBox::Ok, [&, i](QWidget* dialog) {
            barred[i] = !child<QCheckBox>(dialog, "checkBox")->isCheckable();
            child<QLineEdit>(dialog, "LE_StateName")->setText(names[i]);
        });
        d.doubleClick(others[i]->pos() + QPointF(140, 110));
        QCOMPARE(others[i]->getLabel(), QString(names[i]));
        QVERIFY(barred[i]);
        QVERIFY(!others[i]->initialStatus());
    }

    // Edit the transition in its dialog.
    ModalAnswerer answerTransition;
    answerTransition.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        child<QLineEdit>(dialog, "LE_TransitionName")->setText("open_cmd");
        child<QLineEdit>(dialog, "LE_TransitionCondition")->setText("cmd == OPEN");
    });
    d.doubleClick(QPointF(550, 200));
    QCOMPARE(toOpening->getLabel(), QString("open_cmd"));
    QCOMPARE(toOpening->getCondition(), QString("cmd == OPEN"));

    // Three text items, one of each kind.
    const QPointF textSpots[] = {QPointF(150, 700), QPointF(1100, 100), QPointF(150, 450)};
    const char* kinds[] = {"Default", "Includes", "Macros"};
    const char* texts[] = {"static int count;", "#include <stdint.h>", "#define OPEN 1"};
    const char* headings[] = {"DEFAULT", "INCLUDES", "DEFINES"};
    for (int i = 0; i < 3; ++i) {
        d.canvas.setMode(Canvas::InsertText);
        d.click(textSpots[i]);
        QCOMPARE(d.canvas.getMode(), Canvas::SelectItem);
        TextItem* text = d.canvas.textItems.last();
        QCOMPARE(text->pos(), textSpots[i] - QPointF(75, 37));
        ModalAnswerer answer;
        answer.pressButton(QDialogButtonBox::Ok, [&, i](QWidget* dialog) {
            child<QComboBox>(dialog, "comboBox")->setCurrentText(kinds[i]);
            child<QTextEdit>(dialog, "textEdit")->setPlainText(texts[i]);
        });
        d.doubleClick(textSpots[i]);
        QCOMPARE(text->getItemType(), i);
        QCOMPARE(text->heading(), QString(headings[i]));
        QCOMPARE(text->getAction(), QString(texts[i]));
    }
    QCOMPARE(d.canvas.textItems.size(), 3);

    // Move things; the lines follow, the initial dot follows on release.
    d.drag(QPointF(850, 250), QPointF(900, 350));
    QCOMPARE(opening->pos(), QPointF(760, 225));
    QApplication::processEvents();
    d.view.viewport()->grab();
    QVERIFY(onOutline(toOpening->getEndLine()->line().p1(), opening, opening->myPolygon()));
    QCOMPARE(toOpen->getStartLine()->line().p2(), QPointF(900, 300));

    d.drag(QPointF(250, 250), QPointF(300, 300));
    QCOMPARE(closed->pos(), QPointF(160, 175));
    QCOMPARE(d.canvas.initialTransition->pos(), QPointF(290, 100));
    d.view.viewport()->grab();
    QCOMPARE(d.canvas.initialTransitionLine->line(), QLineF(QPointF(300, 175), QPointF(300, 110)));
    QCOMPARE(toOpening->getStartLine()->line().p2(), QPointF(300, 250));

    d.drag(QPointF(150, 700), QPointF(200, 720));
    QCOMPARE(d.canvas.textItems.at(0)->pos(), QPointF(125, 683));

    // Undo everything, newest first...
    // Nine items, seven dialog edits and three moves.
    const int commands = d.canvas.undoStack()->count();
    QCOMPARE(commands, 19);
    QCOMPARE(d.canvas.undoStack()->undoText(), QString("Move Item"));
    const QList<QGraphicsItem*> drawn = d.canvas.items();
    for (int i = 0; i < commands; ++i)
        d.undo();
    QVERIFY(d.canvas.stateItems.isEmpty());
    QVERIFY(d.canvas.transitionItems.isEmpty());
    QVERIFY(d.canvas.textItems.isEmpty());
    QCOMPARE(d.canvas.items().size(), 1); // the title
    QVERIFY(!d.canvas.initialTransition->getInitialState());

    // ...and redo it all.
    for (int i = 0; i < commands; ++i)
        d.redo();
    QCOMPARE(d.canvas.stateItems, QVector<StateItem*>({closed, opening, open}));
    QCOMPARE(d.canvas.transitionItems, QVector<TransitionItem*>({toOpening, toOpen, stay}));
    QCOMPARE(d.canvas.textItems.size(), 3);
    QCOMPARE(d.canvas.items().size(), drawn.size());
    QCOMPARE(closed->getTransitions(), QList<TransitionItem*>({toOpening}));
    QCOMPARE(opening->getTransitions(), QList<TransitionItem*>({toOpening, toOpen}));
    QCOMPARE(open->getTransitions(), QList<TransitionItem*>({toOpen}));
    QCOMPARE(open->getSelfTransitions(), QList<TransitionItem*>({stay}));
    QCOMPARE(opening->pos(), QPointF(760, 225));
    QCOMPARE(d.canvas.initialTransition->getInitialState(), closed);
    QCOMPARE(d.canvas.initialTransition->scene(), &d.canvas);
    QCOMPARE(d.canvas.textItems.at(2)->heading(), QString("DEFINES"));
    QCOMPARE(closed->getLabel(), QString("Closed"));
    QCOMPARE(closed->getAction(), QString("motor_off();"));
    QCOMPARE(toOpening->getCondition(), QString("cmd == OPEN"));

    // What the user sees: the moved state's fill where it now is.
    const QImage shown = d.view.viewport()->grab().toImage();
    const QPoint inside = d.view.mapFromScene(QPointF(760 + 260, 225 + 140));
    QCOMPARE(shown.pixelColor(inside), QColor(0xe5, 0xe7, 0xe9));
}

QTEST_MAIN(TestSmView)
#include "tst_smview.moc"
