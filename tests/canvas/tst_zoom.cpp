// Wheel zoom around the pointer, and the canvas-size dialog of the main window.

#include <QtTest>

#include <QAction>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QtMath>

#include "canvas.h"
#include "graphicsviewzoom.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "testenvironment.h"

namespace {

void moveTo(QGraphicsView& view, QPoint at)
{
    QMouseEvent event(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &event);
}

void turnWheel(QGraphicsView& view, QPoint at, QPoint angleDelta)
{
    QWheelEvent event(at, view.viewport()->mapToGlobal(at), QPoint(), angleDelta, Qt::NoButton,
                      QApplication::keyboardModifiers(), Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &event);
}

bool near(QPointF a, QPointF b, double tolerance)
{
    return qAbs(a.x() - b.x()) <= tolerance && qAbs(a.y() - b.y()) <= tolerance;
}

} // namespace

class TestZoom : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void wheelZoomsAroundPointer_data();
    void wheelZoomsAroundPointer();
    void wheelPassesOn_data();
    void wheelPassesOn();
    void smallPointerMovesKeepAnchor_data();
    void smallPointerMovesKeepAnchor();
    void windowWheelZoomFollowsActionState();

    void canvasSizeDialog_data();
    void canvasSizeDialog();

private:
    QGraphicsScene* scene = nullptr;
    QGraphicsView* view = nullptr;
    GraphicsViewZoom* zoom = nullptr;
};

void TestZoom::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestZoom::init()
{
    scene = new QGraphicsScene(0, 0, 4000, 3000);
    view = new QGraphicsView(scene);
    view->resize(400, 300);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    view->centerOn(2000, 1500);
    zoom = new GraphicsViewZoom(view);
    zoom->setModifiers(Qt::NoModifier);
    zoom->setEnable(true);
}

void TestZoom::cleanup()
{
    delete view;
    delete scene;
}

void TestZoom::wheelZoomsAroundPointer_data()
{
    QTest::addColumn<QPoint>("angleDelta");
    QTest::newRow("one notch in") << QPoint(0, 120);
    QTest::newRow("one notch out") << QPoint(0, -120);
    QTest::newRow("two notches in") << QPoint(0, 240);
    QTest::newRow("fine step") << QPoint(0, 15);
    QTest::newRow("mostly vertical") << QPoint(40, 120);
}

void TestZoom::wheelZoomsAroundPointer()
{
    QFETCH(QPoint, angleDelta);
    const QPoint pointer(300, 80);
    moveTo(*view, pointer);
    const QPointF anchor = view->mapToScene(pointer);
    QSignalSpy zoomed(zoom, &GraphicsViewZoom::zoomed);

    turnWheel(*view, pointer, angleDelta);

    const double factor = qPow(1.0015, angleDelta.y());
    QVERIFY(qAbs(view->transform().m11() - factor) < 1e-9);
    QVERIFY(qAbs(view->transform().m22() - factor) < 1e-9);
    QCOMPARE(zoomed.size(), 1);
    QVERIFY2(near(view->mapFromScene(anchor), pointer, 1.0),
             qPrintable(QString("%1,%2").arg(view->mapFromScene(anchor).x()).arg(view->mapFromScene(anchor).y())));
}

void TestZoom::wheelPassesOn_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("controlHeld");
    QTest::addColumn<QPoint>("angleDelta");
    QTest::newRow("disabled") << false << false << QPoint(0, -120);
    QTest::newRow("control held") << true << true << QPoint(0, -120);
    QTest::newRow("horizontal wheel") << true << false << QPoint(-120, 0);
}

void TestZoom::wheelPassesOn()
{
    QFETCH(bool, enabled);
    QFETCH(bool, controlHeld);
    QFETCH(QPoint, angleDelta);
    zoom->setEnable(enabled);
    const QPoint pointer(200, 150);
    moveTo(*view, pointer);
    if (controlHeld)
        QTest::keyPress(view->viewport(), Qt::Key_Control, Qt::ControlModifier);
    QCOMPARE(QApplication::keyboardModifiers(), controlHeld ? Qt::ControlModifier : Qt::NoModifier);
    QScrollBar* bar = angleDelta.y() ? view->verticalScrollBar() : view->horizontalScrollBar();
    const int before = bar->value();
    QSignalSpy zoomed(zoom, &GraphicsViewZoom::zoomed);

    turnWheel(*view, pointer, angleDelta);
    if (controlHeld)
        QTest::keyRelease(view->viewport(), Qt::Key_Control, Qt::NoModifier);

    QCOMPARE(view->transform(), QTransform());
    QCOMPARE(zoomed.size(), 0);
    QVERIFY2(bar->value() != before, "the view did not get the wheel to scroll");
}

void TestZoom::smallPointerMovesKeepAnchor_data()
{
    QTest::addColumn<QPoint>("second");
    QTest::addColumn<bool>("anchorMoves");
    QTest::newRow("5 px right") << QPoint(105, 100) << false;
    QTest::newRow("5 px up and left") << QPoint(95, 95) << false;
    QTest::newRow("6 px right") << QPoint(106, 100) << true;
    QTest::newRow("6 px down") << QPoint(100, 106) << true;
}

void TestZoom::smallPointerMovesKeepAnchor()
{
    QFETCH(QPoint, second);
    QFETCH(bool, anchorMoves);
    const QPoint first(100, 100);
    moveTo(*view, first);
    moveTo(*view, second);
    const QPoint anchorPos = anchorMoves ? second : first;
    const QPointF anchor = view->mapToScene(anchorPos);

    // A large step, so that a wrong anchor shows by many pixels.
    turnWheel(*view, second, QPoint(0, 720));

    QVERIFY2(near(view->mapFromScene(anchor), anchorPos, 1.0),
             qPrintable(QString("%1,%2").arg(view->mapFromScene(anchor).x()).arg(view->mapFromScene(anchor).y())));
}

void TestZoom::windowWheelZoomFollowsActionState()
{
    MainWindow window;
    QVERIFY(!window.zoomController()->isEnabled());
    t_strReadProcessItem node;
    node.level = node.id = node.parentId = node.grandParentId = node.Nos = 1;
    node.label = QStringLiteral("P");
    window.createCanvasElement(&node);
    window.setActiveScene(0);
    window.activateActionsFromKorvelState(STATE_LEVEL1);
    QVERIFY(window.zoomController()->isEnabled());
    window.activateActionsFromKorvelState(STATE_TOUR);
    QVERIFY(!window.zoomController()->isEnabled());
}

void TestZoom::canvasSizeDialog_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QSize>("entered");
    QTest::addColumn<QSize>("result");
    QTest::newRow("OK without changes") << true << QSize() << QSize(1234, 567);
    QTest::newRow("Cancel after edits") << false << QSize(10, 20) << QSize(1234, 567);
    QTest::newRow("OK with a new size") << true << QSize(3000, 2500) << QSize(3000, 2500);
}

void TestZoom::canvasSizeDialog()
{
    QFETCH(bool, accept);
    QFETCH(QSize, entered);
    QFETCH(QSize, result);
    {
        QSettings store(QStringLiteral("Pelmora"), QStringLiteral("Korvel"));
        store.setValue(QStringLiteral("canvas_width"), 1234);
        store.setValue(QStringLiteral("canvas_height"), 567);
    }
    MainWindow window;
    t_strReadProcessItem node;
    node.level = node.id = node.parentId = node.grandParentId = node.Nos = 1;
    node.label = QStringLiteral("P");
    window.createCanvasElement(&node);
    window.setActiveScene(0);
    window.activateActionsFromKorvelState(STATE_LEVEL1);

    QSize shown;
    auto fill = [&](QWidget* dialog) {
        auto* width = dialog->findChild<QSpinBox*>(QStringLiteral("widthBox"));
        auto* height = dialog->findChild<QSpinBox*>(QStringLiteral("heightBox"));
        shown = QSize(width->value(), height->value());
        if (entered.isValid()) {
            width->setValue(entered.width());
            height->setValue(entered.height());
        }
        const auto button = accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel;
        dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(button)->click();
    };
    ModalAnswerer answer;
    answer.accept(fill);
    window.findChild<QAction*>(QStringLiteral("actionSet_Canvas_Size"))->trigger();

    QCOMPARE(answer.answeredCount(), 1);
    QCOMPARE(shown, QSize(1234, 567));
    QCOMPARE(window.getCurrentCanvas()->sceneRect(), QRectF(QPointF(0, 0), QSizeF(result)));
    QCOMPARE(QSize(window.getCanvasWidth(), window.getCanvasHeight()), result);
}

QTEST_MAIN(TestZoom)
#include "tst_zoom.moc"
