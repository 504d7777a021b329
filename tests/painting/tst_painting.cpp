// Drawing without widgets: the shadow blur gives the pixels of the blur Qt's
// drop-shadow effect uses, which the window showed before.

#include <QtTest>

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "shadowblur.h"
#include "testenvironment.h"

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

QTEST_MAIN(TestPainting)
#include "tst_painting.moc"
