// Wheel zoom around the pointer, and the wheel events it leaves to the view.

#include <QtTest>

#include <QGraphicsView>
#include <QScrollBar>
#include <QtMath>

#include "graphicsviewzoom.h"
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

} // namespace

class TestZoom : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void wheel_data();
    void wheel();

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

void TestZoom::wheel_data()
{
    QTest::addColumn<QPoint>("first");  // where the pointer was
    QTest::addColumn<QPoint>("second"); // where the wheel turns
    QTest::addColumn<QPoint>("angleDelta");
    QTest::addColumn<QPoint>("anchor"); // what stays under the pointer; none: the view scrolls
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("controlHeld");
    const QPoint p(300, 80);
    QTest::newRow("one notch in") << p << p << QPoint(0, 120) << p << true << false;
    QTest::newRow("one notch out") << p << p << QPoint(0, -120) << p << true << false;
    QTest::newRow("mostly vertical") << p << p << QPoint(40, 120) << p << true << false;
    // Small moves of the pointer keep the first anchor.
    const QPoint q(100, 100);
    QTest::newRow("5 px right") << q << QPoint(105, 100) << QPoint(0, 720) << q << true << false;
    QTest::newRow("6 px down") << q << QPoint(100, 106) << QPoint(0, 720) << QPoint(100, 106) << true << false;
    QTest::newRow("disabled") << p << p << QPoint(0, -120) << QPoint() << false << false;
    QTest::newRow("control held") << p << p << QPoint(0, -120) << QPoint() << true << true;
    QTest::newRow("horizontal wheel") << p << p << QPoint(-120, 0) << QPoint() << true << false;
}

void TestZoom::wheel()
{
    QFETCH(QPoint, first);
    QFETCH(QPoint, second);
    QFETCH(QPoint, angleDelta);
    QFETCH(QPoint, anchor);
    QFETCH(bool, enabled);
    QFETCH(bool, controlHeld);
    zoom->setEnable(enabled);
    moveTo(*view, first);
    moveTo(*view, second);
    const QPointF anchored = view->mapToScene(anchor);
    QScrollBar* bar = angleDelta.y() ? view->verticalScrollBar() : view->horizontalScrollBar();
    const int scrolled = bar->value();
    QSignalSpy zoomed(zoom, &GraphicsViewZoom::zoomed);
    if (controlHeld)
        QTest::keyPress(view->viewport(), Qt::Key_Control, Qt::ControlModifier);
    turnWheel(*view, second, angleDelta);
    if (controlHeld)
        QTest::keyRelease(view->viewport(), Qt::Key_Control, Qt::NoModifier);

    if (anchor.isNull()) {
        QCOMPARE(view->transform(), QTransform());
        QCOMPARE(zoomed.size(), 0);
        QVERIFY2(bar->value() != scrolled, "the view did not get the wheel to scroll");
        return;
    }
    const double factor = qPow(1.0015, angleDelta.y());
    QVERIFY(qAbs(view->transform().m11() - factor) < 1e-9);
    QVERIFY(qAbs(view->transform().m22() - factor) < 1e-9);
    QCOMPARE(zoomed.size(), 1);
    const QPointF now = view->mapFromScene(anchored);
    QVERIFY2(qAbs(now.x() - anchor.x()) <= 1 && qAbs(now.y() - anchor.y()) <= 1,
             qPrintable(QString("%1,%2").arg(now.x()).arg(now.y())));
}

QTEST_MAIN(TestZoom)
#include "tst_zoom.moc"
