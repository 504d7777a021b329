// The tool bar as a screen scaled to 200 % and a screen reader see it: every
// tool button drawn from a 2x image, every button and the browser dock named.

#include <QtTest>

#include <QAccessible>
#include <QApplication>
#include <QDockWidget>
#include <QToolBar>

#include "korvelresources.h"
#include "mainwindow.h"
#include "testenvironment.h"

class TestToolBarIcons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void toolBarIsSharpAndNamed();
};

void TestToolBarIcons::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
}

void TestToolBarIcons::toolBarIsSharpAndNamed()
{
    MainWindow w;
    auto* toolBar = w.findChild<QToolBar*>(QStringLiteral("mainToolBar"));
    QVERIFY(toolBar);
    QVERIFY(!toolBar->actions().isEmpty());
    const QSize logical = toolBar->iconSize();
    for (QAction* action : toolBar->actions()) {
        const QByteArray name = action->objectName().toLatin1();
        QVERIFY2(!action->icon().isNull(), name);
        // A 1x image alone would come back at its own size and ratio 1.
        const QPixmap pixmap = action->icon().pixmap(logical);
        QVERIFY2(pixmap.devicePixelRatio() == 2.0, name);
        QVERIFY2(pixmap.size() == logical * 2, name);

        QWidget* button = toolBar->widgetForAction(action);
        QVERIFY2(button, name);
        QVERIFY2(!action->text().isEmpty(), name);
        QCOMPARE(button->accessibleName(), action->text());
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
        QVERIFY2(accessible, name);
        QCOMPARE(accessible->text(QAccessible::Name), action->text());
    }

    auto* dock = w.findChild<QDockWidget*>(QStringLiteral("projectBrowserDock"));
    QVERIFY(dock);
    QCOMPARE(dock->accessibleName(), QStringLiteral("Project Browser"));

    // The tool cursors come from 2x images too.
    for (Canvas::Mode mode : {Canvas::InsertState, Canvas::InsertTransition, Canvas::InsertText,
                              Canvas::InsertProcess, Canvas::InsertLink, Canvas::InsertMemory,
                              Canvas::InsertDataflow}) {
        const QPixmap cursor = w.cursorFor(mode)->pixmap();
        QCOMPARE(cursor.devicePixelRatio(), 2.0);
        QCOMPARE(cursor.size(), QSize(64, 64));
    }
}

int main(int argc, char* argv[])
{
    // As on a screen scaled to 200 %, set up the way the application starts.
    qputenv("QT_SCALE_FACTOR", "2");
    enableHighDpiScaling();
    QApplication app(argc, argv);
    TestToolBarIcons test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_toolbaricons.moc"
