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
#include <QTreeView>

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
    Canvas* open(const QString& label)
    {
        auto* tree = window.findChild<QTreeView*>("treeView");
        window.on_treeView_doubleClicked(ProjectFixture::nodeNamed(tree->model(), label));
        return window.getCurrentCanvas();
    }
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
    void settingsAreReadWithDefaults_data();
    void settingsAreReadWithDefaults();
    void settingsWrittenAtCloseAreReadBack();
    void toolActionsSetModeAndEscapeEndsThem();
    void canvasSizeAppliesToShownCanvasOnly();
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

void TestMainWindow::settingsAreReadWithDefaults_data()
{
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<double>("scaleX");
    QTest::addColumn<double>("scaleY");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("author");
    QTest::addColumn<double>("version");

    QTest::newRow("nothing stored") << QVariantMap() << 1.0 << 1.0 << 2000 << 1050 << "" << 1.0;
    QTest::newRow("only scale_x") << QVariantMap {{"scale_x", 2.5}} << 1.0 << 1.0 << 2000 << 1050 << "" << 1.0;
    QTest::newRow("both scales") << QVariantMap {{"scale_x", 2.5}, {"scale_y", 0.5}}
                                 << 2.5 << 0.5 << 2000 << 1050 << "" << 1.0;
    QTest::newRow("only canvas_width") << QVariantMap {{"canvas_width", 3000}}
                                       << 1.0 << 1.0 << 2000 << 1050 << "" << 1.0;
    QTest::newRow("both sizes") << QVariantMap {{"canvas_width", 3000}, {"canvas_height", 900}}
                                << 1.0 << 1.0 << 3000 << 900 << "" << 1.0;
    QTest::newRow("author and version") << QVariantMap {{"author", "Ada"}, {"version", 2.25}}
                                        << 1.0 << 1.0 << 2000 << 1050 << "Ada" << 2.25;
    QTest::newRow("unconvertible width") << QVariantMap {{"canvas_width", "wide"}, {"canvas_height", 700}}
                                         << 1.0 << 1.0 << 0 << 700 << "" << 1.0;
}

void TestMainWindow::settingsAreReadWithDefaults()
{
    QFETCH(QVariantMap, stored);
    QFETCH(double, scaleX);
    QFETCH(double, scaleY);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, author);
    QFETCH(double, version);

    writeSettings(stored);
    MainWindow w;
    QCOMPARE(w.getCanvasWidth(), width);
    QCOMPARE(w.getCanvasHeight(), height);
    QCOMPARE(w.codeGenerator().getAuthor(), author);
    QCOMPARE(w.codeGenerator().getVersionNo(), version);
    // The blank window shows the home screen at scale 1, whatever is stored.
    QCOMPARE(w.actionsState(), STATE_BLANK);
    QCOMPARE(w.graphicsView()->scene(), static_cast<QGraphicsScene*>(HomeScreen::getInstance()));
    QCOMPARE(w.graphicsView()->transform().m11(), 1.0);
    w.readSettings();
    QCOMPARE(w.graphicsView()->transform().m11(), scaleX);
    QCOMPARE(w.graphicsView()->transform().m22(), scaleY);
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

void TestMainWindow::toolActionsSetModeAndEscapeEndsThem()
{
    Session s;
    s.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&s.window));
    const QList<QPair<QString, Canvas::Mode>> tools {
        {"actionState", Canvas::InsertState}, {"actiontransition", Canvas::InsertTransition},
        {"actionText", Canvas::InsertText},   {"actionProcessRect", Canvas::InsertProcess},
        {"actionLink", Canvas::InsertLink},   {"actionMemory", Canvas::InsertMemory},
        {"actionDataflow", Canvas::InsertDataflow}};
    for (const auto& tool : tools) {
        s.open(tool.second == Canvas::InsertState || tool.second == Canvas::InsertTransition
                       || tool.second == Canvas::InsertText
                   ? "Light_Sequencer"
                   : "Microcontroller");
        s.action(tool.first)->trigger();
        QCOMPARE(s.window.getCurrentCanvas()->getMode(), tool.second);
        QCOMPARE(s.window.cursor().shape(), Qt::BitmapCursor);
        // Pixmap cursors keep the default hot spot, the centre of the image.
        const QPixmap pixmap = s.window.cursor().pixmap();
        QCOMPARE(s.window.cursor().hotSpot(), QPoint(pixmap.width() / 2, pixmap.height() / 2));
        QTest::keyClick(&s.window, Qt::Key_Escape);
        QCOMPARE(s.window.getCurrentCanvas()->getMode(), Canvas::SelectItem);
        QCOMPARE(s.window.cursor().shape(), Qt::ArrowCursor);
    }
}

void TestMainWindow::canvasSizeAppliesToShownCanvasOnly()
{
    Session s;
    s.open("Microcontroller");
    ModalAnswerer answer;
    answer.reject([](QWidget* dialog) { dialog->findChild<QSpinBox*>("widthBox")->setValue(10); });
    answer.accept([](QWidget* dialog) {
        auto* width = dialog->findChild<QSpinBox*>("widthBox");
        QCOMPARE(width->value(), 2000);
        QCOMPARE(dialog->findChild<QSpinBox*>("heightBox")->value(), 1050);
        width->setValue(4000);
        dialog->findChild<QSpinBox*>("heightBox")->setValue(3000);
        // OK reads the boxes back; press it the way a user does.
        dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
    s.action("actionSet_Canvas_Size")->trigger(); // cancelled
    QCOMPARE(s.window.getCanvasWidth(), 2000);
    s.action("actionSet_Canvas_Size")->trigger();
    QCOMPARE(answer.answeredCount(), 2);
    for (Canvas* canvas : s.window.getCanvases()) {
        QCOMPARE(canvas->sceneRect(), canvas->getLabel() == "Microcontroller" ? QRectF(0, 0, 4000, 3000)
                                                                               : QRectF(0, 0, 2000, 1050));
    }
    // Diagrams made from now on take the new size.
    s.action("actionProcessRect")->trigger();
    SceneMouse::click(s.window.getCurrentCanvas(), QPointF(700, 900));
    QCOMPARE(s.window.getCanvases().last()->sceneRect(), QRectF(0, 0, 4000, 3000));
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
