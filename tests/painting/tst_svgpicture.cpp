// SvgPicture against Qt's SVG generator: the same painting must give the
// same bytes, for painting of every kind Korvel does and for every canvas of
// the examples as the renderer draws it.

#include <QtTest>

#include <QBuffer>
#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <QTemporaryDir>
#include <QTextLayout>

#include <functional>

#include "canvas.h"
#include "canvasrenderer.h"
#include "windowlesscanvases.h"
#include "svgpicture.h"
#include "testenvironment.h"

using Painting = std::function<void(QPainter*)>;
Q_DECLARE_METATYPE(Painting)

namespace {

// Left unset where invalid, null or zero: the devices' defaults are compared too.
struct Setup
{
    QSize size;
    QRectF viewBox;
    int resolution = 0;
    QString title;
    QString description;
};

template <typename Device>
QByteArray paintOn(const Setup& setup, const Painting& painting)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    Device device;
    device.setOutputDevice(&buffer);
    if (setup.size.isValid())
        device.setSize(setup.size);
    if (setup.viewBox.isValid())
        device.setViewBox(setup.viewBox);
    if (setup.resolution > 0)
        device.setResolution(setup.resolution);
    if (!setup.title.isNull())
        device.setTitle(setup.title);
    if (!setup.description.isNull())
        device.setDescription(setup.description);
    QPainter painter;
    if (painter.begin(&device)) {
        painting(&painter);
        painter.end();
    }
    return bytes;
}

// Where two documents part, so that a failure is readable.
QString difference(const QByteArray& actual, const QByteArray& expected)
{
    const QList<QByteArray> a = actual.split('\n'), e = expected.split('\n');
    for (int i = 0; i < qMax(a.size(), e.size()); ++i) {
        if (a.value(i) != e.value(i)) {
            return QStringLiteral("line %1:\n  ours: %2\n  Qt's: %3")
                .arg(i + 1)
                .arg(QString::fromUtf8(a.value(i).left(300)), QString::fromUtf8(e.value(i).left(300)));
        }
    }
    return QString();
}

void pathsAndPolygons(QPainter* p)
{
    QPainterPath path(QPointF(1, 2));
    path.cubicTo(3, 4, 5.5, 6, 7, 8);
    path.lineTo(9, 10);
    path.quadTo(20, 20, 30, 1.0 / 3);
    p->drawPath(path);
    path.closeSubpath();
    path.addRoundedRect(QRectF(10, 10, 50, 30), 5, 5);
    path.arcTo(QRectF(0, 0, 40, 40), 30, 200);
    path.setFillRule(Qt::WindingFill);
    p->drawPath(path);
    p->drawPath(QPainterPath());
    const QPolygonF triangle(QVector<QPointF>({{0, 0}, {10, 0}, {5, 7.25}}));
    p->drawPolygon(triangle, Qt::OddEvenFill);
    p->drawPolygon(triangle, Qt::WindingFill);
    p->drawPolygon(QPolygonF(QVector<QPointF>({{0, 0}, {10, 0}, {5, 7}, {0, 0}})));
    p->drawPolygon(QPolygon(QVector<QPoint>({QPoint(1, 1), QPoint(4, 1), QPoint(4, 4)})));
    p->drawPolyline(triangle);
    p->drawConvexPolygon(triangle);
}

void shapes(QPainter* p)
{
    p->drawRect(QRectF(1.5, 2.25, 100.125, -20));
    p->drawRects(QVector<QRect>({QRect(1, 2, 3, 4), QRect(5, 6, 7, 8)}));
    p->drawRoundedRect(QRectF(0, 0, 40, 30), 5, 5);
    p->drawEllipse(QRectF(0, 0, 10, 10));
    p->drawEllipse(QPointF(4, 4), 3, 2.5);
    p->drawArc(QRectF(0, 0, 50, 50), 30 * 16, 120 * 16);
    p->drawPie(QRectF(0, 0, 50, 50), 30 * 16, 120 * 16);
    p->drawLine(QLineF(0, 0, 1e9, 1e-7));
    p->drawLines(QVector<QLineF>({QLineF(1, 1, 2, 2), QLineF(3, 3, 4, 5)}));
    p->drawPoint(QPointF(5, 5));
    p->fillRect(QRectF(0, 0, 9, 9), Qt::white);
}

void text(QPainter* p)
{
    p->drawText(QPointF(10, 20), QString::fromUtf8("a < b & c > \"d\" 'e' \u00e9\u00df \u2713 \U0001F600"));
    p->setFont(QFont("Sans", 13, QFont::Bold, true));
    p->drawText(QRectF(0, 0, 120, 100), Qt::AlignCenter | Qt::TextWordWrap, "Some longer text\nwrapped");
    QFont font("Serif");
    font.setPixelSize(17);
    font.setWeight(QFont::DemiBold);
    p->setFont(font);
    p->drawText(QPointF(1, 40), "pixels");
    font.setPointSizeF(9.75);
    font.setWeight(QFont::Light);
    p->setFont(font);
    p->drawText(QPointF(1, 60), "points");
    QTextLayout layout("glyphs", font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns())
        p->drawGlyphRun(QPointF(10, 80), run);
    p->setPen(Qt::NoPen);
    p->drawText(QPointF(1, 90), "no pen");
}

void pens(QPainter* p)
{
    QPen custom(Qt::darkGreen, 3);
    custom.setDashPattern({1, 2, 3.5, 4});
    custom.setDashOffset(1.5);
    custom.setCosmetic(true);
    custom.setMiterLimit(4);
    custom.setJoinStyle(Qt::SvgMiterJoin);
    for (const QPen& pen : {QPen(QColor(10, 20, 30, 100), 2.5, Qt::DashDotLine, Qt::RoundCap, Qt::MiterJoin),
                            QPen(Qt::red, 0, Qt::DotLine, Qt::FlatCap, Qt::RoundJoin),
                            QPen(Qt::blue, 0.3, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin), custom,
                            QPen(QColor(1, 2, 3, 4), 2, Qt::DashDotDotLine)}) {
        p->setPen(pen);
        p->drawRect(1, 1, 5, 5);
        p->drawEllipse(QRectF(0, 0, 5, 8));
        p->drawPolyline(QPolygonF(QVector<QPointF>({{0, 0}, {3, 4}, {6, 1}})));
        p->drawText(QPointF(1, 1), "pen");
    }
}

void brushes(QPainter* p)
{
    QLinearGradient linear(0, 0, 100, 33.3);
    linear.setStops({{0, Qt::red}, {0.4, QColor(0, 255, 0, 10)}, {1, QColor(0, 0, 255, 200)}});
    QRadialGradient radial(50, 50, 30, 40, 40);
    radial.setStops({{0, Qt::white}, {1, Qt::black}});
    radial.setCoordinateMode(QGradient::ObjectBoundingMode);
    for (const QBrush& brush : {QBrush(QColor(200, 100, 50, 77)), QBrush(Qt::NoBrush),
                                QBrush(QColor(20, 5, 7, 200), Qt::Dense3Pattern),
                                QBrush(Qt::red, Qt::DiagCrossPattern), QBrush(linear), QBrush(radial)}) {
        p->setBrush(brush);
        p->drawRect(0, 0, 10, 10);
    }
}

void transformsAndState(QPainter* p)
{
    p->save();
    p->translate(3, 4);
    p->scale(1.5, 0.5);
    p->rotate(33);
    p->setOpacity(0.5);
    p->drawRect(0, 0, 10, 10);
    p->restore();
    p->drawRect(0, 0, 10, 10);
    p->setCompositionMode(QPainter::CompositionMode_Multiply);
    p->setClipRect(0, 0, 10, 10);
    p->setRenderHint(QPainter::Antialiasing);
    p->drawLine(0, 0, 1, 1);
}

void images(QPainter* p)
{
    QImage image(5, 4, QImage::Format_ARGB32);
    for (int i = 0; i < 20; ++i)
        image.setPixelColor(i % 5, i / 5, QColor(i * 12, 200 - i * 9, 90, 20 + i * 11));
    p->drawImage(QRectF(1, 2, 30, 40), image, QRectF(1, 1, 2, 2));
    p->drawImage(QPointF(3.5, 3), image);
    p->drawPixmap(QRectF(0, 0, 3, 3), QPixmap::fromImage(image), QRectF());
}

const QString examples = QStringLiteral(KORVEL_SOURCE_DIR "/Examples/");

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestSvgPicture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::useThrowAwaySettings(); }
    void writesTheGeneratorsBytes_data();
    void writesTheGeneratorsBytes();
    void examplesCanvasesAreTheGeneratorsBytes_data();
    void examplesCanvasesAreTheGeneratorsBytes();
};

void TestSvgPicture::writesTheGeneratorsBytes_data()
{
    QTest::addColumn<Painting>("painting");
    QTest::addColumn<Setup>("setup");
    const Setup page {QSize(300, 200), QRectF(0, 0, 300, 200), 96, "Korvel", "Test"};

    QTest::newRow("nothing, the defaults") << Painting([](QPainter*) {}) << Setup();
    QTest::newRow("header") << Painting([](QPainter* p) { p->drawLine(0, 0, 5, 5); })
                            << Setup {QSize(17, 3), QRectF(-1.5, 2.25, 7.125, 9), 150,
                                      "A <b>&amp;</b> \"title\" \u00e9", "desc"};
    QTest::newRow("empty title, no view box")
        << Painting([](QPainter*) {}) << Setup {QSize(640, 480), QRectF(), 72, "", ""};
    QTest::newRow("paths and polygons") << Painting(pathsAndPolygons) << page;
    QTest::newRow("rects, ellipses, lines, points") << Painting(shapes) << page;
    QTest::newRow("text") << Painting(text) << page;
    QTest::newRow("pens") << Painting(pens) << page;
    QTest::newRow("brushes") << Painting(brushes) << page;
    QTest::newRow("transforms, state") << Painting(transformsAndState) << page;
    QTest::newRow("images") << Painting(images) << page;
}

void TestSvgPicture::writesTheGeneratorsBytes()
{
    QFETCH(Painting, painting);
    QFETCH(Setup, setup);
    const QByteArray expected = paintOn<QSvgGenerator>(setup, painting);
    const QByteArray actual = paintOn<SvgPicture>(setup, painting);
    QVERIFY(expected.endsWith("</svg>\n"));
    QVERIFY2(actual == expected, qPrintable(difference(actual, expected)));
}

void TestSvgPicture::examplesCanvasesAreTheGeneratorsBytes_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("scale");
    QTest::newRow("Example_1") << examples + "Example_1.vorn" << 1.0;
    QTest::newRow("Example_2") << examples + "Example_2.vorn" << 1.0;
    QTest::newRow("Example_2 enlarged") << examples + "Example_2.vorn" << 1.5;
}

// The renderer's file, made with SvgPicture, against the generator set up
// as the renderer sets up its picture.
void TestSvgPicture::examplesCanvasesAreTheGeneratorsBytes()
{
    QFETCH(QString, file);
    QFETCH(double, scale);
    WindowlessCanvases project;
    QCOMPARE(project.load(file), WindowlessCanvases::Loaded);
    QTemporaryDir dir;
    const QString path = dir.filePath("canvas.svg");
    int canvases = 0;
    for (Canvas* canvas : project.canvases().all()) {
        project.canvases().refillMirrors(canvas);
        CanvasRenderer renderer(canvas);
        QVERIFY2(renderer.write(path, PictureFile::Svg, scale), qPrintable(renderer.errorString()));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray actual = written.readAll();
        const QRect source = renderer.sourceRect();
        const QSize size = renderer.imageSize(scale);
        const Setup setup {size, QRectF(QPointF(0, 0), QSizeF(size)),
                           QImage(1, 1, QImage::Format_RGB32).logicalDpiY(), canvas->getLabel().toHtmlEscaped(),
                           "Drawn by Korvel"};
        const QByteArray expected = paintOn<QSvgGenerator>(setup, [&](QPainter* painter) {
            CanvasRenderer::paint(canvas, painter, source, scale);
        });
        QVERIFY(expected.contains("<text "));
        QVERIFY2(actual == expected, qPrintable(canvas->getLabel() + ": " + difference(actual, expected)));
        ++canvases;
    }
    QCOMPARE(canvases, 7);
}

QTEST_MAIN(TestSvgPicture)
#include "tst_svgpicture.moc"
