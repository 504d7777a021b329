// The main window's tools per diagram level, its settings and its view
// commands, on the example project.

#include <QtTest>

#include <QAction>
#include <QDialogButtonBox>
#include <QDirIterator>
#include <QGraphicsView>
#include <QImageReader>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>

#include "canvas.h"
#include "graphicsviewzoom.h"
#include "homescreen.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "scenemouse.h"
#include "testenvironment.h"

namespace {

void writeSettings(const QVariantMap& values)
{
    QSettings store(QStringLiteral("Pelmora"), QStringLiteral("Korvel"));
    store.clear();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        store.setValue(it.key(), it.value());
    store.sync();
}

struct Session
{
    ProjectFixture fixture;
    MainWindow window;

    Session() { window.openFile(fixture.copyExample("Example_1.vorn")); }
    Canvas* open(const QString& label) { return ProjectFixture::showCanvas(window, label); }
    QAction* action(const QString& name) { return window.findChild<QAction*>(name); }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { writeSettings({}); }
    void toolsFollowTheDiagramShown_data();
    void toolsFollowTheDiagramShown();
    void settingsWrittenAtCloseAreReadBack();
    void imagesAreConvertedOnTheCallingThread();
};

void TestMainWindow::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestMainWindow::toolsFollowTheDiagramShown_data()
{
    QTest::addColumn<QString>("canvas"); // empty: no project open
    QTest::addColumn<QStringList>("enabled");
    QTest::newRow("no project") << QString() << QStringList {"actionNew"};
    QTest::newRow("project") << "Pedestrian_Crossing"
                             << QStringList {"actionNew", "actionDelete", "actionDataflow"};
    QTest::newRow("hardware module") << "Hardware Module"
                                     << QStringList {"actionNew", "actionDelete", "actionMemory", "actionDataflow"};
    QTest::newRow("microcontroller")
        << "Microcontroller"
        << QStringList {"actionNew", "actionDelete", "actionProcessRect", "actionLink", "actionMemory", "actionDataflow"};
    QTest::newRow("software module")
        << "Signal_Control"
        << QStringList {"actionNew", "actionDelete", "actionProcessRect", "actionLink", "actionMemory", "actionDataflow"};
    QTest::newRow("state machine") << "Light_Sequencer"
                                   << QStringList {"actionNew", "actionDelete", "actionState", "actiontransition",
                                                   "actionText", "actionMemory", "actionSelf_transition",
                                                   "actionUndo", "actionRedo"};
}

void TestMainWindow::toolsFollowTheDiagramShown()
{
    QFETCH(QString, canvas);
    QFETCH(QStringList, enabled);
    Session s;
    if (canvas.isEmpty()) {
        ModalAnswerer none;
        s.action("actionClose_Project")->trigger();
    } else {
        QCOMPARE(s.open(canvas)->getLabel(), canvas);
    }
    QStringList shown;
    for (const char* name : {"actionNew", "actionDelete", "actionProcessRect", "actionLink", "actionState",
                             "actiontransition", "actionText", "actionMemory", "actionDataflow",
                             "actionSelf_transition", "actionUndo", "actionRedo"}) {
        if (s.action(name)->isEnabled())
            shown << name;
    }
    std::sort(shown.begin(), shown.end());
    std::sort(enabled.begin(), enabled.end());
    QCOMPARE(shown, enabled);
    QCOMPARE(s.window.zoomController()->isEnabled(), !canvas.isEmpty());
}

void TestMainWindow::settingsWrittenAtCloseAreReadBack()
{
    {
        MainWindow w;
        w.codeGenerator().setAuthor("Grace");
        w.codeGenerator().setOrganization("Firmware Team");
        w.codeGenerator().setVersionNumber(3.5);
        w.setSceneScale(1.5, 1.25);
        w.writeSettings();
    }
    QVERIFY(QFile::exists(TestEnvironment::settingsFile()));
    MainWindow again;
    QCOMPARE(again.codeGenerator().getAuthor(), QString("Grace"));
    QCOMPARE(again.codeGenerator().getOrganization(), QString("Firmware Team"));
    QCOMPARE(again.codeGenerator().getVersionNo(), 3.5);
    QCOMPARE(again.getCanvasWidth(), 2000);
    again.readSettings();
    QCOMPARE(again.graphicsView()->transform().m11(), 1.5);
    QCOMPARE(again.graphicsView()->transform().m22(), 1.25);
}

void TestMainWindow::imagesAreConvertedOnTheCallingThread()
{
    // Qt 5.15 converts an image of 128 KiB or more on pool threads, and a race
    // in its QSemaphore then writes into the caller's finished stack frame
    // (tests/repro/qimageconversionrace.cpp); windows load these images.
    int frames = 0;
    QDirIterator it(QStringLiteral(":/Images"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        QImageReader reader(file);
        do {
            const QImage frame = reader.read();
            QVERIFY2(!frame.isNull(), qPrintable(file));
            QVERIFY2(frame.sizeInBytes() < 128 * 1024, qPrintable(file));
            ++frames;
        } while (reader.jumpToNextImage());
    }
    QVERIFY(frames > 0);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
