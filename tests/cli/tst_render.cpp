// Pictures of canvases: what korvel-cli render writes, and the renderer that
// it shares with File > Export Canvas as Image.

#include <QtTest>

#include <QGraphicsItem>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QXmlStreamReader>

#include "canvas.h"
#include "canvasrenderer.h"
#include "headlessproject.h"
#include "processitem.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "testfiles.h"

namespace {

const QString cli = QStringLiteral(KORVEL_BINARY_DIR "/korvel-cli");

QString example(const QString& name)
{
    return QStringLiteral(KORVEL_SOURCE_DIR "/Examples/") + name;
}

// The text of every <text> element, and the viewBox, of an SVG file; false
// when the file is not well-formed XML.
bool readSvg(const QString& path, QSet<QString>* texts, QString* viewBox)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader reader(&file);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("svg"))
            *viewBox = reader.attributes().value(QStringLiteral("viewBox")).toString();
        else if (reader.name() == QLatin1String("text"))
            texts->insert(reader.readElementText());
    }
    return !reader.hasError();
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void picturesFollowTheItems_data();
    void picturesFollowTheItems();
    void selectionIsLeftOutAndKept();
    void fileStemsAreSafeAndDistinct();
    void cliWritesOneFilePerCanvasTheSameEachTime();
    void cliCanvasOptionAndBadInput();
};

void TestRender::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestRender::picturesFollowTheItems_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("Example_1") << example(QStringLiteral("Example_1.vorn"));
    QTest::newRow("Example_2") << example(QStringLiteral("Example_2.vorn"));
}

// Every canvas of both examples: the picture holds every item with the
// margin and no more, its size follows the scale, the SVG names every state
// and process, and the PNG shows each process where it stands.
void TestRender::picturesFollowTheItems()
{
    QFETCH(QString, file);
    HeadlessProject project;
    QCOMPARE(project.load(file), HeadlessProject::Loaded);
    QTemporaryDir dir;
    int states = 0;
    for (Canvas* canvas : project.canvases().all()) {
        project.canvases().refillMirrors(canvas);
        CanvasRenderer renderer(canvas);
        const QString svg = dir.filePath(QStringLiteral("c.svg"));
        const QString png = dir.filePath(QStringLiteral("c.png"));
        const QString small = dir.filePath(QStringLiteral("small.png"));
        QVERIFY2(renderer.write(svg, CanvasRenderer::Svg), qPrintable(renderer.errorString()));
        QVERIFY2(renderer.write(png, CanvasRenderer::Png), qPrintable(renderer.errorString()));
        QVERIFY2(renderer.write(small, CanvasRenderer::Png, 0.45), qPrintable(renderer.errorString()));

        QRectF items;
        for (QGraphicsItem* item : canvas->items()) {
            if (item->isVisible())
                items |= item->sceneBoundingRect();
        }
        const QRect source = renderer.sourceRect();
        const int m = CanvasRenderer::margin;
        QCOMPARE(source, items.toAlignedRect().adjusted(-m, -m, m, m));

        const QImage image(png);
        QCOMPARE(image.size(), source.size());
        const QImage scaled(small);
        QCOMPARE(scaled.width(), int(std::ceil(source.width() * 0.45 - 1e-6)));
        QCOMPARE(scaled.height(), int(std::ceil(source.height() * 0.45 - 1e-6)));
        for (ProcessItem* process : canvas->processItems) {
            const QRectF box = process->sceneBoundingRect();
            const QPoint inside = (QPointF(box.center().x(), box.bottom() - 20) - source.topLeft()).toPoint();
            QCOMPARE(image.pixelColor(inside), process->getBackgroundColor());
        }

        QSet<QString> texts;
        QString viewBox;
        QVERIFY2(readSvg(svg, &texts, &viewBox), qPrintable(svg));
        QCOMPARE(viewBox, QStringLiteral("0 0 %1 %2").arg(source.width()).arg(source.height()));
        QVERIFY(texts.contains(canvas->getLabel()));
        for (StateItem* state : canvas->stateItems) {
            QVERIFY2(texts.contains(state->getLabel()), qPrintable(state->getLabel()));
            ++states;
        }
        for (ProcessItem* process : canvas->processItems)
            QVERIFY2(texts.contains(process->getLabel()), qPrintable(process->getLabel()));
    }
    QVERIFY(states > 0);
}

void TestRender::selectionIsLeftOutAndKept()
{
    HeadlessProject project;
    QCOMPARE(project.load(example(QStringLiteral("Example_1.vorn"))), HeadlessProject::Loaded);
    Canvas* machine = project.canvases().stateMachines().value(0).canvas;
    QVERIFY(machine && !machine->stateItems.isEmpty());
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.svg"));
    const QString chosen = dir.filePath(QStringLiteral("chosen.svg"));
    QVERIFY(CanvasRenderer(machine).write(plain, CanvasRenderer::Svg));

    StateItem* state = machine->stateItems.first();
    state->setSelected(true);
    machine->highlight(state);
    QVERIFY(CanvasRenderer(machine).write(chosen, CanvasRenderer::Svg));
    QCOMPARE(readAll(chosen), readAll(plain));
    QVERIFY(state->isSelected());
    QCOMPARE(machine->undoStack()->count(), 0);
}

void TestRender::fileStemsAreSafeAndDistinct()
{
    QCOMPARE(CanvasRenderer::fileStems({QStringLiteral("P/Hardware Module/Micro:controller"),
                                        QStringLiteral(".hidden"), QStringLiteral("a b"), QStringLiteral("A_B"),
                                        QStringLiteral("a_b"), QString()}),
             QStringList({QStringLiteral("P-Hardware_Module-Micro_controller"), QStringLiteral("_hidden"),
                          QStringLiteral("a_b"), QStringLiteral("A_B_2"), QStringLiteral("a_b_3"),
                          QStringLiteral("canvas")}));
    const QString longest = CanvasRenderer::fileStems({QString(300, QChar(0x00e9))}).first();
    QVERIFY(longest.toUtf8().size() <= 200 && !longest.isEmpty());
}

void TestRender::cliWritesOneFilePerCanvasTheSameEachTime()
{
    QTemporaryDir first, second;
    for (const QString& format : {QStringLiteral("svg"), QStringLiteral("png")}) {
        for (QTemporaryDir* dir : {&first, &second}) {
            QProcess run;
            run.start(cli, {QStringLiteral("render"), example(QStringLiteral("Example_1.vorn")), QStringLiteral("-o"),
                            dir->path(), QStringLiteral("--format"), format});
            QVERIFY(run.waitForFinished(60000));
            QCOMPARE(run.exitCode(), 0);
            QCOMPARE(run.readAllStandardOutput().count('\n'), 7);
        }
    }
    const QStringList names = filesIn(first.path());
    QCOMPARE(names.size(), 14);
    QVERIFY(names.contains(QStringLiteral(
        "Pedestrian_Crossing-Hardware_Module-Microcontroller-Signal_Control-Light_Sequencer.svg")));
    QVERIFY(names.contains(QStringLiteral("Pedestrian_Crossing.png")));
    QCOMPARE(filesIn(second.path()), names);
    for (const QString& name : names)
        QVERIFY2(readAll(first.filePath(name)) == readAll(second.filePath(name)), qPrintable(name));
}

void TestRender::cliCanvasOptionAndBadInput()
{
    QTemporaryDir dir;
    const QString machine = QStringLiteral("Pedestrian_Crossing/Hardware Module/Microcontroller/Push_Button/"
                                           "Button_Debounce");
    struct Case {
        QStringList extra;
        int code;
        QString written;
        QString message;
    };
    const QList<Case> cases {
        {{QStringLiteral("--canvas"), machine, QStringLiteral("--format"), QStringLiteral("png")}, 0,
         QStringLiteral("Pedestrian_Crossing-Hardware_Module-Microcontroller-Push_Button-Button_Debounce.png"),
         QString()},
        {{QStringLiteral("--canvas"), QStringLiteral("Pedestrian_Crossing/Nowhere")}, 2, QString(),
         QStringLiteral("has no canvas \"Pedestrian_Crossing/Nowhere\" (it has: Pedestrian_Crossing, ")},
        {{QStringLiteral("--format"), QStringLiteral("jpg")}, 2, QString(),
         QStringLiteral("--format is svg or png, not \"jpg\"")},
        {{QStringLiteral("--scale"), QStringLiteral("0")}, 2, QString(),
         QStringLiteral("the scale must be a number from 0.05 to 20, not \"0\"")},
    };
    for (const Case& each : cases) {
        QProcess run;
        run.start(cli, QStringList({QStringLiteral("render"), example(QStringLiteral("Example_1.vorn")),
                                    QStringLiteral("-o"), dir.path()})
                           + each.extra);
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), each.code);
        QVERIFY2(QString::fromLocal8Bit(run.readAllStandardError()).contains(each.message), qPrintable(each.message));
        QCOMPARE(filesIn(dir.path()), each.written.isEmpty() ? QStringList() : QStringList(each.written));
        for (const QString& name : filesIn(dir.path()))
            QFile::remove(dir.filePath(name));
    }
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
