// What the state-machine items draw: a scene holding every item kind is
// rendered to an image and its pixels are checked.

#include <QtTest>

#include <QFontMetrics>
#include <QStyleOptionGraphicsItem>

#include "initialtransition.h"
#include "initialtransitionline.h"
#include "smcanvas.h"
#include "testenvironment.h"
#include "transitionline.h"

namespace {

const QColor StateFill(0xe5, 0xe7, 0xe9);
const QColor Grey(128, 128, 128);

struct Fixture : SmCanvas
{
    int cw = QFontMetrics(QApplication::font()).averageCharWidth();
    int lineH = QFontMetrics(QApplication::font()).height();
};

bool isBlue(const QColor& c)
{
    return c.blue() > 150 && c.red() < 120 && c.green() < 120;
}

bool isDark(const QColor& c)
{
    return c.red() < 110 && c.green() < 110 && c.blue() < 110;
}

int count(const QImage& image, const QRect& area, bool (*test)(const QColor&))
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixelColor(x, y)) ? 1 : 0;
    return n;
}

// Paints one item on its own, into a transparent image.
bool paintsAnything(QGraphicsItem* item)
{
    QImage image(2000, 1050, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(item->pos());
    QStyleOptionGraphicsItem option;
    item->paint(&painter, &option, nullptr);
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 0)
                return true;
    }
    return false;
}

} // namespace

class TestSmPainting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void everyKindOnOneScene();
    void overlappingStatesHideTheirTransition();
    void selfTransitionIsAlwaysDrawn();
    void dotOnItsStateHidesTheArrow();
    void highlightedStateHasADottedOutline();
    void selectedLineShowsDashedCompanions();
    void longActionLinesAreClippedNotWrapped();
};

void TestSmPainting::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestSmPainting::everyKindOnOneScene()
{
    Fixture f;
    StateItem* a = f.state("A", QPointF(100, 100), true);
    StateItem* b = f.state("B", QPointF(700, 100));
    TransitionItem* ab = f.transition("A", "B", QPointF(465, 138), "go", "WWWWWWWWWWWW");
    TransitionItem* bb = f.transition("B", "B", QPointF(1195, 138), "again", "x");
    TextItem* text = f.text(QPointF(1200, 600), 1, "#include <x.h>");
    const QImage image = f.render(Grey);

    // The state's fill, away from its text.
    QCOMPARE(image.pixelColor(360, 240), StateFill);
    QCOMPARE(image.pixelColor(960, 240), StateFill);
    QCOMPARE(a->getBackgroundColour(), StateFill);
    QCOMPARE(b->getBackgroundColour(), StateFill);

    // The box between the states: label black, condition blue.
    QCOMPARE(ab->pos(), QPointF(465, 138));
    const int top = 138;
    const int half = f.lineH / 2;
    const QRect label(465 + 3 * f.cw, top + half, 150 - 6 * f.cw, f.lineH);
    const QRect condition(465 + 3 * f.cw, top + f.lineH + 2 * half, 150 - 6 * f.cw, f.lineH);
    QVERIFY(count(image, condition, isBlue) > 10);
    QCOMPARE(count(image, label, isBlue), 0);
    QVERIFY(count(image, label, isDark) > 3);
    QCOMPARE(image.pixelColor(465 + 140, top + 70), StateFill);

    // The arrow enters B at its left edge, head at the outline.
    QVERIFY(isDark(image.pixelColor(695, 175)));
    QVERIFY(isDark(image.pixelColor(650, 175)));
    QVERIFY(!isDark(image.pixelColor(695, 190)));

    // The self transition's box sits to the right of B.
    QCOMPARE(bb->getMidPos(), QPointF(1270, 175));
    QCOMPARE(image.pixelColor(1195 + 140, 138 + 70), StateFill);

    // The initial dot above A and its arrow down into A.
    QVERIFY(isDark(image.pixelColor(240, 35)));
    QVERIFY(isDark(image.pixelColor(240, 70)));
    QVERIFY(isDark(image.pixelColor(240, 96)));

    // The text item: white box, blue heading, black text.
    QCOMPARE(text->getBackgroundColor(), QColor(Qt::white));
    QCOMPARE(image.pixelColor(1200 + 140, 600 + 70), QColor(Qt::white));
    const QRect heading(1200 + 3 * f.cw, 600 + half, 150 - 6 * f.cw, f.lineH);
    QVERIFY(count(image, heading, isBlue) > 10);
    const QRect body(1200 + 3 * f.cw, 600 + 2 * half + f.lineH, 150 - 6 * f.cw, f.lineH);
    QVERIFY(count(image, body, isDark) > 10);
    QCOMPARE(count(image, body, isBlue), 0);
}

void TestSmPainting::overlappingStatesHideTheirTransition()
{
    Fixture f;
    f.state("A", QPointF(300, 300));
    f.state("B", QPointF(450, 350));
    const QImage without = f.render();
    TransitionItem* t = f.transition("A", "B", QPointF(400, 340), "hidden", "WWWW", Qt::red);
    const QImage with = f.render();

    QVERIFY(!paintsAnything(t));
    QVERIFY(!paintsAnything(t->getStartLine()));
    QVERIFY(!paintsAnything(t->getEndLine()));
    QCOMPARE(with, without);

    // Pulled apart, the transition shows again.
    f.canvas.stateItems.last()->setPos(1200, 600);
    QVERIFY(paintsAnything(t));
    QVERIFY(paintsAnything(t->getEndLine()));
    const QImage apart = f.render();
    QCOMPARE(apart.pixelColor(int(t->pos().x()) + 140, int(t->pos().y()) + 70), QColor(Qt::red));
}

void TestSmPainting::selfTransitionIsAlwaysDrawn()
{
    Fixture f;
    f.state("A", QPointF(300, 300));
    TransitionItem* self = f.transition("A", "A", QPointF(350, 330), "loop", "c", Qt::red);
    QVERIFY(paintsAnything(self));
    const QImage image = f.render();
    QCOMPARE(image.pixelColor(350 + 140, 330 + 70), QColor(Qt::red));
}

void TestSmPainting::dotOnItsStateHidesTheArrow()
{
    Fixture f;
    StateItem* a = f.state("A", QPointF(100, 300), true);
    InitialTransition* dot = f.canvas.initialTransition;
    InitialTransitionLine* arrow = f.canvas.initialTransitionLine;
    QVERIFY(paintsAnything(dot));
    QVERIFY(paintsAnything(arrow));

    a->setPos(100, 230);
    QVERIFY(dot->collidesWithItem(a));
    QVERIFY(!paintsAnything(arrow));
    QVERIFY(paintsAnything(dot));
    const QImage image = f.render();
    QVERIFY(isDark(image.pixelColor(240, 228)));

    // Without a state the dot draws nothing.
    dot->clearInitialState();
    QVERIFY(!paintsAnything(dot));
}

void TestSmPainting::highlightedStateHasADottedOutline()
{
    Fixture f;
    StateItem* a = f.state("A", QPointF(300, 300));
    auto lightOnEdge = [](const QImage& image) {
        int light = 0;
        for (int y = 330; y < 420; ++y)
            light += qGray(image.pixel(300, y)) > 200 ? 1 : 0;
        return light;
    };
    QCOMPARE(lightOnEdge(f.render()), 0);
    a->setHighlighted();
    QVERIFY(lightOnEdge(f.render()) > 20);
    a->resetHighlighted();
    QCOMPARE(lightOnEdge(f.render()), 0);
}

void TestSmPainting::selectedLineShowsDashedCompanions()
{
    Fixture f;
    f.state("A", QPointF(100, 100));
    f.state("B", QPointF(700, 100));
    TransitionItem* t = f.transition("A", "B", QPointF(465, 138), "go", "c");
    const QImage plain = f.render();
    t->getEndLine()->setSelected(true);
    const QImage selected = f.render();

    auto darkened = [&](int y) {
        int n = 0;
        for (int x = 625; x < 690; ++x)
            n += qGray(plain.pixel(x, y)) - qGray(selected.pixel(x, y)) > 60 ? 1 : 0;
        return n;
    };
    QVERIFY(darkened(179) > 10);
    QVERIFY(darkened(171) > 10);
    QCOMPARE(darkened(175), 0);
    QCOMPARE(darkened(185), 0);
    QCOMPARE(darkened(165), 0);
}

void TestSmPainting::longActionLinesAreClippedNotWrapped()
{
    Fixture f;
    const QString longLine = QString("value_").repeated(30);
    f.state("C", QPointF(100, 500), false, longLine);
    const QImage image = f.render();
    const int half = f.lineH / 2;
    const int firstLine = 500 + f.lineH + 3 * half;

    const QRect textRow(100 + 3 * f.cw, firstLine, 280 - 6 * f.cw, f.lineH);
    QVERIFY(count(image, textRow, isDark) > 20);
    // Nothing past the right end of the text box...
    const QRect pastEnd(100 + 280 - 3 * f.cw + 1, firstLine, 3 * f.cw - 3, f.lineH);
    QCOMPARE(count(image, pastEnd, isDark), 0);
    // ...and no second line.
    const QRect below(100 + 3 * f.cw, firstLine + f.lineH + 2, 280 - 6 * f.cw, 150 - (f.lineH + 3 * half) - f.lineH - 6);
    QCOMPARE(count(image, below, isDark), 0);
}

QTEST_MAIN(TestSmPainting)
#include "tst_smpainting.moc"
