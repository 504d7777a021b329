// Drawing without widgets: the shadow blur gives the pixels of the blur Qt's
// drop-shadow effect uses, and the pictures drawn from a project's documents
// are, byte for byte, the pictures of the canvases the window shows.

#include <QtTest>

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "addtransitioncommand.h"
#include "connectorfigure.h"
#include "canvas.h"
#include "canvasrenderer.h"
#include "dataflowitem.h"
#include "editpropertiescommand.h"
#include "windowlesscanvases.h"
#include "linkitem.h"
#include "memoryitem.h"
#include "picturefile.h"
#include "processitem.h"
#include "projectpictures.h"
#include "shadowblur.h"
#include "stateitem.h"
#include "testenvironment.h"

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Lays items over each other where the pictures hide or mark what overlaps:
// a transition between overlapping states, a marker lying on its state, a
// link between overlapping processes, a dataflow box over its memory item;
// and adds what the examples lack: a self transition, a second initial state
// (the marker goes to the last), a link without a name.
void overlap(Canvas* canvas)
{
    if (!canvas->stateItems.isEmpty()) {
        StateItem* last = canvas->stateItems.last();
        canvas->undoStack()->push(new AddTransitionCommand(canvas, last, last));
        StateItem::Values values = last->values();
        values.initial = true;
        applyValues(canvas, last, values);
    }
    if (!canvas->linkItems.isEmpty()) {
        LinkItem* link = canvas->linkItems.first();
        LinkItem::Values values = link->values();
        values.label.clear();
        applyValues(canvas, link, values);
    }
    if (canvas->stateItems.size() >= 2)
        canvas->stateItems.at(1)->setPos(canvas->stateItems.at(0)->pos() + QPointF(30, 30));
    for (StateItem* state : qAsConst(canvas->stateItems)) {
        if (!state->initialStatus())
            continue;
        StateItem::Values values = state->values();
        values.height = 30;
        applyValues(canvas, state, values);
    }
    if (canvas->processItems.size() >= 2)
        canvas->processItems.at(1)->setPos(canvas->processItems.at(0)->pos() + QPointF(40, 40));
    if (!canvas->dataflowItems.isEmpty()) {
        DataflowItem* dataflow = canvas->dataflowItems.first();
        dataflow->getMemory()->setPos(dataflow->pos() + QPointF(10, 0));
    }
}

} // namespace

// The effect's blur, exported by Qt Widgets without a public declaration.
Q_DECL_IMPORT void qt_blurImage(QPainter* painter, QImage& image, qreal radius, bool quality, bool alphaOnly,
                                int transposed = 0);

class TestPainting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::useThrowAwaySettings(); }
    void shadowBlurGivesTheEffectsPixels_data();
    void shadowBlurGivesTheEffectsPixels();
    void documentPicturesAreTheCanvasPictures_data();
    void documentPicturesAreTheCanvasPictures();
    void longLinesDrawOnlyWhatShows_data();
    void longLinesDrawOnlyWhatShows();
};

void TestPainting::shadowBlurGivesTheEffectsPixels_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qreal>("radius");
    // Odd sizes lose a line when halved; below radius 4 nothing is halved.
    QTest::newRow("one pixel") << QSize(1, 1) << qreal(50);
    QTest::newRow("a column") << QSize(1, 64) << qreal(50);
    QTest::newRow("small radius") << QSize(37, 64) << qreal(2);
    QTest::newRow("radius 4") << QSize(116, 5) << qreal(4);
    QTest::newRow("a state's shadow") << QSize(397, 251) << qreal(50);
    QTest::newRow("odd sides") << QSize(117, 83) << qreal(12.5);
}

void TestPainting::shadowBlurGivesTheEffectsPixels()
{
    QFETCH(QSize, size);
    QFETCH(qreal, radius);
    QImage silhouette(size, QImage::Format_ARGB32_Premultiplied);
    silhouette.fill(0);
    {
        QPainter painter(&silhouette);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath outline;
        outline.addRoundedRect(QRectF(size.width() * 0.2, size.height() * 0.2, size.width() * 0.55,
                                      size.height() * 0.5), 7, 7);
        painter.fillPath(outline, Qt::black);
    }
    QImage expected(size, QImage::Format_ARGB32_Premultiplied);
    expected.fill(0);
    QImage drawn = expected;
    {
        QImage copy = silhouette;
        QPainter painter(&expected);
        qt_blurImage(&painter, copy, radius, false, true);
    }
    {
        QPainter painter(&drawn);
        ShadowBlur::paint(&painter, silhouette, radius);
    }
    QCOMPARE(drawn, expected);
}

void TestPainting::documentPicturesAreTheCanvasPictures_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("overlapped");
    for (const char* name : {"Example_1.vorn", "Example_2.vorn"}) {
        const QString file = QStringLiteral(KORVEL_SOURCE_DIR "/Examples/") + QLatin1String(name);
        QTest::newRow(name) << file << false;
        QTest::newRow(qPrintable(QStringLiteral("%1 overlapped").arg(QLatin1String(name)))) << file << true;
    }
}

// Every canvas, as SVG and as PNG, near and so far out that shadows and
// texts are left off.
void TestPainting::documentPicturesAreTheCanvasPictures()
{
    QFETCH(QString, file);
    QFETCH(bool, overlapped);
    QTemporaryDir dir;
    if (overlapped) {
        WindowlessCanvases edited;
        QCOMPARE(edited.load(file), WindowlessCanvases::Loaded);
        for (Canvas* canvas : edited.canvases().all())
            overlap(canvas);
        file = dir.filePath(QStringLiteral("overlapped.vorn"));
        QVERIFY(edited.saveAs(file));
    }
    WindowlessCanvases scene;
    QCOMPARE(scene.load(file), WindowlessCanvases::Loaded);
    ProjectPictures pictures;
    QCOMPARE(pictures.load(file), ProjectPictures::Loaded);
    const QVector<Canvas*>& canvases = scene.canvases().all();
    QCOMPARE(pictures.count(), canvases.size());
    const QVector<QPair<PictureFile::Format, double>> kinds {
        {PictureFile::Svg, 1.0}, {PictureFile::Png, 1.0}, {PictureFile::Png, 0.25}};
    for (int i = 0; i < canvases.size(); ++i) {
        Canvas* canvas = canvases.at(i);
        QCOMPARE(pictures.browserPath(i), scene.canvases().browserPath(canvas));
        scene.canvases().refillMirrors(canvas);
        for (const auto& kind : kinds) {
            const QString drawn = dir.filePath(QStringLiteral("scene"));
            const QString painted = dir.filePath(QStringLiteral("document"));
            CanvasRenderer renderer(canvas);
            QVERIFY(renderer.write(drawn, kind.first, kind.second));
            const std::unique_ptr<DiagramLayout> layout = pictures.layout(i);
            PictureFile picture(layout->contentRect());
            QVERIFY(picture.write(painted, kind.first, kind.second, pictures.label(i),
                                  [&layout](QPainter* painter, const QRectF& to, const QRectF& from) {
                                      layout->render(painter, to, from);
                                  }));
            QVERIFY2(contentOf(drawn) == contentOf(painted),
                     qPrintable(QStringLiteral("%1 at %2").arg(pictures.browserPath(i)).arg(kind.second)));
        }
    }
}

// A line longer than the picture is cut to what shows of it: the pixels stay
// those of the whole line, within the rounding of the smoothing (4 of 255).
void TestPainting::longLinesDrawOnlyWhatShows_data()
{
    QTest::addColumn<QLineF>("line");
    QTest::addColumn<qreal>("scale");
    QTest::addColumn<QLineF>("cut"); // by the area (-50,-50) to (350,250); null when none of it shows
    QTest::newRow("inside") << QLineF(10.5, 20.25, 280, 190) << 1.0 << QLineF(10.5, 20.25, 280, 190);
    QTest::newRow("across") << QLineF(-10000, 100, 10000, 100) << 1.0 << QLineF(-50, 100, 350, 100);
    QTest::newRow("out one side") << QLineF(150, 100, 150, 40000) << 1.0 << QLineF(150, 100, 150, 250);
    QTest::newRow("diagonal") << QLineF(-20000, -20000, 30000, 30000) << 1.0 << QLineF(-50, -50, 250, 250);
    QTest::newRow("zoomed in") << QLineF(-3000, 100, 3000, 160) << 2.5
                               << QLineF(-50, 100 + 60 * 2950.0 / 6000, 350, 100 + 60 * 3350.0 / 6000);
    QTest::newRow("zoomed out") << QLineF(-90000, 60, 90000, 30) << 0.05
                                << QLineF(-50, 60 - 30 * 89950.0 / 180000, 350, 60 - 30 * 90350.0 / 180000);
    QTest::newRow("beside") << QLineF(-9000, 400, 9000, 400) << 1.0 << QLineF();
}

void TestPainting::longLinesDrawOnlyWhatShows()
{
    QFETCH(QLineF, line);
    QFETCH(qreal, scale);
    QFETCH(QLineF, cut);
    QLineF clipped = line;
    QCOMPARE(ConnectorFigure::clipTo(&clipped, QRectF(-50, -50, 400, 300)), !cut.isNull());
    if (!cut.isNull())
        QCOMPARE(clipped, cut);

    const QPen pen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const auto picture = [&](bool whole) {
        QImage image(300, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(scale, scale);
        painter.setRenderHint(QPainter::Antialiasing);
        if (whole) {
            painter.setPen(pen);
            painter.drawLine(line);
        } else {
            ConnectorFigure::paint(&painter, pen, line, nullptr, false);
        }
        return image;
    };
    const QImage whole = picture(true);
    const QImage shown = picture(false);
    int differs = 0;
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x)
            differs = qMax(differs, qAbs(qGray(whole.pixel(x, y)) - qGray(shown.pixel(x, y))));
    QVERIFY2(differs <= 4, qPrintable(QString::number(differs)));
}

QTEST_MAIN(TestPainting)
#include "tst_painting.moc"
