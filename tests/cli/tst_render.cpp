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

QString example(const char* name)
{
    return QStringLiteral(KORVEL_SOURCE_DIR "/Examples/") + QLatin1String(name);
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
            *viewBox = reader.attributes().value("viewBox").toString();
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
    void fileStemsAreSafeAndDistinct();
    void cliWritesEachCanvasOrOneTheSameEachTime();
};

void TestRender::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestRender::picturesFollowTheItems_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("Example_1") << example("Example_1.vorn");
    QTest::newRow("Example_2") << example("Example_2.vorn");
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
        const QString svg = dir.filePath("c.svg"), png = dir.filePath("c.png"), small = dir.filePath("s.png");
        QVERIFY2(renderer.write(svg, CanvasRenderer::Svg), qPrintable(renderer.errorString()));
        QVERIFY2(renderer.write(png, CanvasRenderer::Png), qPrintable(renderer.errorString()));
        QVERIFY2(renderer.write(small, CanvasRenderer::Png, 0.5), qPrintable(renderer.errorString()));

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
        QCOMPARE(QImage(small).size(), QSize((source.width() + 1) / 2, (source.height() + 1) / 2));
        for (ProcessItem* process : canvas->processItems) {
            const QRectF box = process->sceneBoundingRect();
            const QPoint inside = (QPointF(box.center().x(), box.bottom() - 20) - source.topLeft()).toPoint();
            QCOMPARE(image.pixelColor(inside), process->getBackgroundColor());
        }

        QSet<QString> texts;
        QString viewBox;
        QVERIFY2(readSvg(svg, &texts, &viewBox), qPrintable(svg));
        QCOMPARE(viewBox, QString("0 0 %1 %2").arg(source.width()).arg(source.height()));
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

void TestRender::fileStemsAreSafeAndDistinct()
{
    QCOMPARE(CanvasRenderer::fileStems({"P/Hardware Module/Micro:controller", ".hidden", "a b", "A_B", "a_b", ""}),
             QStringList({"P-Hardware_Module-Micro_controller", "_hidden", "a_b", "A_B_2", "a_b_3", "canvas"}));
    QVERIFY(CanvasRenderer::fileStems({QString(300, QChar(0x00e9))}).first().toUtf8().size() <= 200);
}

// One file per canvas, the same bytes on every run; --canvas picks one.
void TestRender::cliWritesEachCanvasOrOneTheSameEachTime()
{
    QTemporaryDir first, second, one;
    const auto render = [](const QString& folder, const QStringList& options) {
        QProcess run;
        run.start(cli, QStringList({"render", example("Example_1.vorn"), "-o", folder}) + options);
        run.waitForFinished(60000);
        return qMakePair(run.exitCode(), QString::fromLocal8Bit(run.readAllStandardError()));
    };
    for (QTemporaryDir* dir : {&first, &second}) {
        QCOMPARE(render(dir->path(), {}).first, 0);
        QCOMPARE(render(dir->path(), {"--format", "png"}).first, 0);
    }
    const QStringList names = filesIn(first.path());
    QCOMPARE(names.size(), 14);
    QVERIFY(names.contains("Pedestrian_Crossing-Hardware_Module-Microcontroller-Signal_Control-Light_Sequencer.svg"));
    QCOMPARE(filesIn(second.path()), names);
    for (const QString& name : names)
        QVERIFY2(readAll(first.filePath(name)) == readAll(second.filePath(name)), qPrintable(name));

    QCOMPARE(render(one.path(), {"--canvas", "Pedestrian_Crossing/Hardware Module/Microcontroller/Push_Button"}).first,
             0);
    QCOMPARE(filesIn(one.path()), QStringList({"Pedestrian_Crossing-Hardware_Module-Microcontroller-Push_Button.svg"}));
    const auto unknown = render(one.path(), {"--canvas", "Pedestrian_Crossing/Nowhere"});
    QCOMPARE(unknown.first, 2);
    QVERIFY2(unknown.second.contains("has no canvas \"Pedestrian_Crossing/Nowhere\" (it has: Pedestrian_Crossing, "),
             qPrintable(unknown.second));
    QCOMPARE(filesIn(one.path()).size(), 1);
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
