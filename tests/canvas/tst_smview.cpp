// A state machine drawn by hand: mouse events on a real graphics view place
// states, transitions, a self transition, an initial state and text items,
// the dialogs edit them, drags move them, and undo and redo take it all back
// and forth.

#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGraphicsView>
#include <QLineEdit>
#include <QTextEdit>

#include "initialtransition.h"
#include "initialtransitionline.h"
#include "modalanswerer.h"
#include "testcanvas.h"
#include "testenvironment.h"

namespace {

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
    QCOMPARE(toOpen->pos(), QPointF(625, 363));

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
    answerTransition.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        child<QLineEdit>(dialog, "LE_TransitionName")->setText("open_cmd");
        child<QLineEdit>(dialog, "LE_TransitionCondition")->setText("cmd == OPEN");
    });
    d.doubleClick(QPointF(550, 200));
    QCOMPARE(toOpening->getCondition(), QString("cmd == OPEN"));

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
    const int drawn = d.canvas.items().size();
    for (int i = 0; i < commands; ++i)
        d.canvas.undoAction()->trigger();
    QVERIFY(d.canvas.stateItems.isEmpty());
    QVERIFY(d.canvas.transitionItems.isEmpty());
    QVERIFY(d.canvas.textItems.isEmpty());
    QCOMPARE(d.canvas.items().size(), 1); // the title
    QVERIFY(!d.canvas.initialTransition->getInitialState());

    // ...and redo them all.
    for (int i = 0; i < commands; ++i)
        d.canvas.redoAction()->trigger();
    QCOMPARE(d.canvas.stateItems, QVector<StateItem*>({closed, opening, open}));
    QCOMPARE(d.canvas.transitionItems, QVector<TransitionItem*>({toOpening, toOpen, stay}));
    QCOMPARE(d.canvas.items().size(), drawn);
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

QTEST_MAIN(TestSmView)
#include "tst_smview.moc"
