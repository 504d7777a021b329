// drawicons: paints every Korvel tool bar icon, message box icon, tool cursor and the
// application icon with QPainter, so the artwork is plain source code that
// anyone can read, tweak and regenerate.
//
// Usage: drawicons [OUTPUT_DIR] [--hicolor DIR] [--sheet FILE]
//   OUTPUT_DIR defaults to resources/Images of the source tree.
//   --hicolor is where the desktop icons go in the hicolor theme layout;
//   by default packaging/icons/hicolor of the source tree, or
//   OUTPUT_DIR/hicolor when OUTPUT_DIR is given.
//   --sheet also writes a contact sheet of everything for visual review.

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <utility>
#include <initializer_list>
#include <vector>

#ifndef KORVEL_ICON_DIR
#define KORVEL_ICON_DIR "Images"
#endif
#ifndef KORVEL_HICOLOR_DIR
#define KORVEL_HICOLOR_DIR ""
#endif

namespace {

// One small palette keeps the icons looking like a family.
namespace pal {
const QColor ink(0x2B, 0x3A, 0x4A);          // outlines, glyphs, arrows
const QColor paper(0xFF, 0xFF, 0xFF);
const QColor grey(0x8A, 0x96, 0xA3);
const QColor greyLight(0xE3, 0xE8, 0xED);
const QColor blue(0x2F, 0x74, 0xC0);
const QColor blueDark(0x1E, 0x4F, 0x8A);
const QColor blueMid(0xA6, 0xCA, 0xEE);
const QColor blueLight(0xDD, 0xEB, 0xFA);
const QColor process(254, 195, 9);            // the block colour on the canvas
const QColor processEdge(0xA8, 0x7C, 0x00);
const QColor storeFill(0xDF, 0xF2, 0xEA);
const QColor green(0x2E, 0xA0, 0x55);
const QColor red(0xE5, 0x48, 0x48);
const QColor redDark(0x9E, 0x22, 0x22);
const QColor folderBack(0xE2, 0xA2, 0x2E);
const QColor folderFront(0xF8, 0xC9, 0x5A);
const QColor folderEdge(0x9A, 0x64, 0x0C);
const QColor teal(0x1A, 0x9A, 0x90);
const QColor tealLight(0xCF, 0xF1, 0xEC);
} // namespace pal

using DrawFn = std::function<void(QPainter &)>;

// Qt 5's QPolygonF lacks an initializer-list constructor.
QPolygonF poly(std::initializer_list<QPointF> pts)
{
    return QPolygonF(QVector<QPointF>(pts));
}

QPen pen(const QColor &c, qreal width, Qt::PenStyle style = Qt::SolidLine)
{
    return QPen(c, width, style, Qt::RoundCap, Qt::RoundJoin);
}

QPen flatPen(const QColor &c, qreal width)
{
    return QPen(c, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
}

// Filled triangular arrow head whose tip sits exactly on `tip`, pointing
// away from `from`. Shafts should end inside the head so caps never poke out.
void arrowHead(QPainter &p, QPointF tip, QPointF from, qreal length, qreal halfWidth,
               const QColor &c)
{
    QLineF l(tip, from);
    l.setLength(length);
    const QPointF base = l.p2();
    const QPointF dir = (tip - base) / length;
    const QPointF n(-dir.y(), dir.x());
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(poly({tip, base + n * halfWidth, base - n * halfWidth}));
    p.restore();
}

// A state of a state machine: rounded box with a title band and divider.
void stateBox(QPainter &p, const QRectF &r, qreal radius, qreal band, qreal edge)
{
    QPainterPath outline;
    outline.addRoundedRect(r, radius, radius);
    p.save();
    p.setPen(Qt::NoPen);
    p.setClipPath(outline);
    p.fillRect(r, pal::blueLight);
    p.fillRect(QRectF(r.left(), r.top(), r.width(), band), pal::blueMid);
    p.setClipping(false);
    p.setPen(flatPen(pal::blue, edge * 0.75));
    p.drawLine(QPointF(r.left(), r.top() + band), QPointF(r.right(), r.top() + band));
    p.setPen(pen(pal::blue, edge));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    p.restore();
}

// A process block: the orange-yellow rounded rectangle of the canvas.
void processBox(QPainter &p, const QRectF &r, qreal radius, qreal edge)
{
    p.save();
    p.setPen(pen(pal::processEdge, edge));
    p.setBrush(pal::process);
    p.drawRoundedRect(r, radius, radius);
    p.restore();
}

// A data store: two parallel lines, open at both ends, with a label bar.
void dataStore(QPainter &p, qreal x1, qreal x2, qreal y1, qreal y2, qreal edge, bool label)
{
    p.save();
    p.fillRect(QRectF(x1, y1, x2 - x1, y2 - y1), pal::storeFill);
    p.setPen(flatPen(pal::ink, edge));
    p.drawLine(QPointF(x1, y1), QPointF(x2, y1));
    p.drawLine(QPointF(x1, y2), QPointF(x2, y2));
    if (label) {
        const qreal h = (y2 - y1) * 0.22;
        const qreal w = (x2 - x1) * 0.55;
        const QRectF bar((x1 + x2 - w) / 2, (y1 + y2 - h) / 2, w, h);
        p.setPen(Qt::NoPen);
        p.setBrush(pal::grey);
        p.drawRoundedRect(bar, h / 2, h / 2);
    }
    p.restore();
}

// Gear outline with a hole, built from a polygon so it stays crisp when small.
QPainterPath gearPath(QPointF c, qreal rOut, qreal rIn, qreal rHole, int teeth)
{
    QPolygonF poly;
    const qreal step = 2 * M_PI / teeth;
    for (int k = 0; k < teeth; ++k) {
        const qreal t = k * step;
        const qreal offs[4] = {-0.30, -0.16, 0.16, 0.30};
        const qreal radii[4] = {rIn, rOut, rOut, rIn};
        for (int i = 0; i < 4; ++i) {
            const qreal a = t + offs[i] * step;
            poly << c + QPointF(std::cos(a) * radii[i], std::sin(a) * radii[i]);
        }
    }
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    path.addEllipse(c, rHole, rHole);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

// ---------------------------------------------------------------------------
// Tool bar and menu icons, drawn on a 32 x 32 grid.

void drawNew(QPainter &p)
{
    QPainterPath page;
    page.moveTo(5, 3);
    page.lineTo(17, 3);
    page.lineTo(23, 9);
    page.lineTo(23, 29);
    page.lineTo(5, 29);
    page.closeSubpath();
    p.setPen(pen(pal::ink, 2));
    p.setBrush(pal::paper);
    p.drawPath(page);

    QPainterPath fold;
    fold.moveTo(17, 3);
    fold.lineTo(17, 9);
    fold.lineTo(23, 9);
    p.setBrush(pal::greyLight);
    p.drawPath(fold);

    // Text lines hint that it is a document, not just a rectangle.
    p.setPen(pen(pal::grey, 1.5));
    p.drawLine(QPointF(9, 13), QPointF(19, 13));
    p.drawLine(QPointF(9, 17), QPointF(16, 17));

    // Green "add" badge; the white ring separates it from the page.
    p.setPen(pen(pal::paper, 1.5));
    p.setBrush(pal::green);
    p.drawEllipse(QPointF(23.5, 23.5), 7.25, 7.25);
    p.setPen(pen(pal::paper, 2.5));
    p.drawLine(QPointF(23.5, 19.5), QPointF(23.5, 27.5));
    p.drawLine(QPointF(19.5, 23.5), QPointF(27.5, 23.5));
}

void drawOpen(QPainter &p)
{
    QPainterPath back;
    back.moveTo(3, 7);
    back.lineTo(11, 7);
    back.lineTo(14, 10);
    back.lineTo(26, 10);
    back.lineTo(26, 26);
    back.lineTo(3, 26);
    back.closeSubpath();
    p.setPen(pen(pal::folderEdge, 2));
    p.setBrush(pal::folderBack);
    p.drawPath(back);

    // A sheet peeking out shows the folder is open and holds something.
    p.setPen(pen(pal::grey, 1.5));
    p.setBrush(pal::paper);
    p.drawRect(QRectF(7, 12, 16, 10));

    const QPolygonF front = poly({QPointF(8, 15), QPointF(30, 15), QPointF(26, 26), QPointF(3, 26)});
    p.setPen(pen(pal::folderEdge, 2));
    p.setBrush(pal::folderFront);
    p.drawPolygon(front);
}

void drawSave(QPainter &p)
{
    const QPolygonF body = poly({QPointF(4, 4), QPointF(24, 4), QPointF(28, 8), QPointF(28, 28),
                   QPointF(4, 28)});
    p.setPen(pen(pal::blueDark, 2));
    p.setBrush(pal::blue);
    p.drawPolygon(body);

    // Metal shutter with its slot.
    p.setPen(pen(pal::blueDark, 1.5));
    p.setBrush(pal::greyLight);
    p.drawRect(QRectF(9, 4, 13, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(pal::blueDark);
    p.drawRect(QRectF(17, 6, 3, 4));

    // Paper label.
    p.setPen(pen(pal::blueDark, 1.5));
    p.setBrush(pal::paper);
    p.drawRect(QRectF(8, 16, 16, 12));
    p.setPen(pen(pal::grey, 1.5));
    p.drawLine(QPointF(11, 20.5), QPointF(21, 20.5));
    p.drawLine(QPointF(11, 24), QPointF(21, 24));
}

// Two overlapping squares; the highlighted (blue) one is the selection,
// shown in front of or behind the other.
void drawStack(QPainter &p, bool selectionInFront)
{
    const QRectF back(4, 4, 15, 15);
    const QRectF front(13, 13, 15, 15);
    auto plain = [&](const QRectF &r) {
        p.setPen(pen(pal::grey, 2));
        p.setBrush(pal::greyLight);
        p.drawRoundedRect(r, 2, 2);
    };
    auto selected = [&](const QRectF &r) {
        p.setPen(pen(pal::blueDark, 2));
        p.setBrush(pal::blue);
        p.drawRoundedRect(r, 2, 2);
    };
    if (selectionInFront) {
        plain(back);
        selected(front);
    } else {
        selected(back);
        plain(front);
    }
}

void drawDelete(QPainter &p)
{
    // Dark underlay gives the red cross an outline on any background.
    for (auto [c, w] : {std::pair<QColor, qreal>{pal::redDark, 7.5}, {pal::red, 5}}) {
        p.setPen(pen(c, w));
        p.drawLine(QPointF(8, 8), QPointF(24, 24));
        p.drawLine(QPointF(24, 8), QPointF(8, 24));
    }
}

void drawState(QPainter &p)
{
    stateBox(p, QRectF(3, 6, 26, 20), 5, 7, 2);
    p.setPen(pen(pal::blue, 1.5));
    p.drawLine(QPointF(8, 19.5), QPointF(20, 19.5));
}

void drawTransition(QPainter &p)
{
    stateBox(p, QRectF(2, 3, 12, 10), 3, 3.5, 1.5);
    stateBox(p, QRectF(18, 19, 12, 10), 3, 3.5, 1.5);
    QPainterPath path;
    path.moveTo(14, 8);
    path.cubicTo(20, 8, 24, 10, 24, 14.5);
    p.setPen(pen(pal::ink, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    arrowHead(p, QPointF(24, 19), QPointF(24, 12), 5.5, 3.5, pal::ink);
}

void drawProcessRect(QPainter &p)
{
    processBox(p, QRectF(3, 7, 26, 18), 5, 2);
}

void drawText(QPainter &p)
{
    // Drawn as geometry rather than with a font so it looks the same everywhere.
    QPainterPath t;
    t.addRect(QRectF(6, 4, 20, 5));
    t.addRect(QRectF(13, 4, 6, 24));
    t.addRect(QRectF(10, 25, 12, 3));
    t.setFillRule(Qt::WindingFill);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::ink);
    p.drawPath(t.simplified());
}

void drawMemory(QPainter &p)
{
    dataStore(p, 2, 30, 9, 23, 2, true);
}

void drawLink(QPainter &p)
{
    QPainterPath wire;
    wire.moveTo(13, 8.5);
    wire.lineTo(24, 8.5);
    wire.lineTo(24, 19);
    p.setPen(pen(pal::ink, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wire);
    processBox(p, QRectF(2, 3, 11, 11), 2.5, 1.5);
    processBox(p, QRectF(18.5, 19, 11, 10), 2.5, 1.5);
    // Dots mark the ports where the link attaches.
    p.setPen(Qt::NoPen);
    p.setBrush(pal::ink);
    p.drawEllipse(QPointF(13, 8.5), 2, 2);
    p.drawEllipse(QPointF(24, 19), 2, 2);
}

void drawDataflow(QPainter &p)
{
    processBox(p, QRectF(2, 2, 12, 10), 2.5, 1.5);
    dataStore(p, 9, 30, 21, 29, 2, false);
    QPen dash = pen(pal::ink, 2, Qt::CustomDashLine);
    dash.setCapStyle(Qt::FlatCap);
    dash.setDashPattern({1, 1});
    QPainterPath flow;
    flow.moveTo(15, 7);
    flow.lineTo(24, 7);
    flow.lineTo(24, 16);
    p.setPen(dash);
    p.setBrush(Qt::NoBrush);
    p.drawPath(flow);
    arrowHead(p, QPointF(24, 21), QPointF(24, 14), 6, 4, pal::ink);
}

void drawSelfTransition(QPainter &p)
{
    const QRectF box(3, 12, 17, 17);
    stateBox(p, box, 4, 5, 2);
    // Loop around the top-right corner of the state back into its right side.
    const QPointF corner = box.topRight();
    const qreal r = 8;
    QPainterPath loop;
    loop.arcMoveTo(QRectF(corner.x() - r, corner.y() - r, 2 * r, 2 * r), 180);
    loop.arcTo(QRectF(corner.x() - r, corner.y() - r, 2 * r, 2 * r), 180, -230);
    p.setPen(pen(pal::ink, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(loop);
    arrowHead(p, QPointF(box.right() + 1, corner.y() + r - 0.5), loop.currentPosition(), 5.5,
              3.5, pal::ink);
}

void drawCursorArrow(QPainter &p)
{
    const QPolygonF arrow = poly({QPointF(9, 3),     QPointF(9, 25),    QPointF(14, 20.5),
                    QPointF(17.5, 28), QPointF(21, 26.5), QPointF(17.5, 19),
                    QPointF(24, 19)});
    p.setPen(QPen(pal::ink, 1.75, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
    p.setBrush(pal::paper);
    p.drawPolygon(arrow);
}

void drawUndo(QPainter &p)
{
    QPainterPath u;
    u.moveTo(9, 11);
    u.lineTo(19, 11);
    u.cubicTo(24.5, 11, 28, 14.5, 28, 19);
    u.cubicTo(28, 23.5, 24.5, 27, 19, 27);
    u.lineTo(14, 27);
    p.setPen(pen(pal::blue, 3.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(u);
    arrowHead(p, QPointF(2.5, 11), QPointF(12, 11), 8.5, 6.5, pal::blue);
}

void drawRedo(QPainter &p)
{
    // Redo is undo seen in a mirror.
    p.translate(32, 0);
    p.scale(-1, 1);
    drawUndo(p);
}

void drawZoom(QPainter &p, bool in)
{
    p.setPen(pen(pal::ink, 5));
    p.drawLine(QPointF(20, 20), QPointF(27, 27));
    p.setPen(pen(pal::ink, 2.5));
    p.setBrush(pal::blueLight);
    p.drawEllipse(QPointF(13, 13), 9, 9);
    p.setPen(pen(pal::blue, 2.5));
    p.drawLine(QPointF(9, 13), QPointF(17, 13));
    if (in)
        p.drawLine(QPointF(13, 9), QPointF(13, 17));
}

void drawFitToWindow(QPainter &p)
{
    p.setPen(QPen(pal::blue, 2.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::NoBrush);
    const qreal a = 4.25, b = 27.75, l = 7;
    p.drawPolyline(poly({QPointF(a, a + l), QPointF(a, a), QPointF(a + l, a)}));
    p.drawPolyline(poly({QPointF(b - l, a), QPointF(b, a), QPointF(b, a + l)}));
    p.drawPolyline(poly({QPointF(b, b - l), QPointF(b, b), QPointF(b - l, b)}));
    p.drawPolyline(poly({QPointF(a + l, b), QPointF(a, b), QPointF(a, b - l)}));
    // The content being fitted.
    p.setPen(pen(pal::ink, 2));
    p.setBrush(pal::blueLight);
    p.drawRoundedRect(QRectF(10, 11, 12, 10), 2, 2);
}

void drawProperties(QPainter &p)
{
    p.setPen(pen(pal::ink, 2));
    p.setBrush(pal::paper);
    p.drawRoundedRect(QRectF(3, 3, 20, 25), 2, 2);
    // Rows of name/value pairs.
    for (qreal y : {9.0, 14.5, 20.0}) {
        p.setPen(Qt::NoPen);
        p.setBrush(pal::blue);
        p.drawEllipse(QPointF(8, y), 1.6, 1.6);
        p.setPen(pen(pal::grey, 1.75));
        p.drawLine(QPointF(11.5, y), QPointF(18.5, y));
    }
    // The gear says "settings"; the paper ring keeps it apart from the sheet.
    const QPainterPath gear = gearPath(QPointF(23, 23), 8, 5.75, 2.4, 8);
    p.setPen(QPen(pal::paper, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(gear);
    p.setPen(QPen(pal::ink, 1.25, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(pal::grey);
    p.drawPath(gear);
}

// ---------------------------------------------------------------------------
// Tool cursors: 32 x 32 with the hot spot at the centre pixel (16, 16), which
// is where Qt puts it by default for a pixmap cursor. A crosshair marks it and
// a small glyph of the tool sits in the 12 x 12 box at the lower right.

// The icons of message boxes: a badge with a glyph drawn as shapes, never
// as text, so that they look the same whatever fonts are installed.
void drawBadge(QPainter &p, const QColor &fill, const QColor &edge)
{
    p.setPen(pen(edge, 1.2));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2, 2, 28, 28));
}

void drawQuestion(QPainter &p)
{
    drawBadge(p, pal::blue, pal::blueDark);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(pal::paper, 3.2));
    QPainterPath hook;
    hook.moveTo(11.5, 12.5);
    hook.cubicTo(11.5, 8.0, 20.5, 8.0, 20.5, 12.5);
    hook.cubicTo(20.5, 15.5, 16, 16, 16, 19.5);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::paper);
    p.drawEllipse(QPointF(16, 23.8), 2.0, 2.0);
}

void drawInformation(QPainter &p)
{
    drawBadge(p, pal::blue, pal::blueDark);
    p.setPen(Qt::NoPen);
    p.setBrush(pal::paper);
    p.drawEllipse(QPointF(16, 9.5), 2.1, 2.1);
    p.drawRoundedRect(QRectF(14.2, 13.5, 3.6, 11), 1.2, 1.2);
}

void drawWarning(QPainter &p)
{
    p.setPen(pen(pal::processEdge, 1.2));
    p.setBrush(pal::process);
    p.drawPolygon(poly({{16, 3}, {30, 28}, {2, 28}}));
    p.setPen(Qt::NoPen);
    p.setBrush(pal::ink);
    p.drawRoundedRect(QRectF(14.4, 10, 3.2, 10), 1.2, 1.2);
    p.drawEllipse(QPointF(16, 23.6), 1.9, 1.9);
}

void drawCritical(QPainter &p)
{
    drawBadge(p, pal::red, pal::redDark);
    p.setPen(pen(pal::paper, 3.4));
    p.drawLine(QPointF(11, 11), QPointF(21, 21));
    p.drawLine(QPointF(21, 11), QPointF(11, 21));
}

void drawCrosshair(QPainter &p)
{
    // Pixel 16 spans 16..17, so lines run along 16.5; the white halo keeps
    // the crosshair visible on dark shapes too.
    const qreal c = 16.5, lo = 8, hi = 25;
    for (auto [col, w] : {std::pair<QColor, qreal>{pal::paper, 3}, {Qt::black, 1}}) {
        p.setPen(flatPen(col, w));
        p.drawLine(QPointF(lo, c), QPointF(hi, c));
        p.drawLine(QPointF(c, lo), QPointF(c, hi));
    }
}

DrawFn cursor(DrawFn glyph)
{
    return [glyph](QPainter &p) {
        drawCrosshair(p);
        p.save();
        p.translate(19, 19);
        glyph(p);
        p.restore();
    };
}

void glyphState(QPainter &p)
{
    stateBox(p, QRectF(0.5, 1.5, 11, 9), 2.5, 3, 1);
}

void glyphTransition(QPainter &p)
{
    p.setPen(flatPen(pal::ink, 2));
    p.drawLine(QPointF(0, 6), QPointF(8, 6));
    arrowHead(p, QPointF(12, 6), QPointF(0, 6), 5, 4, pal::ink);
}

void glyphText(QPainter &p)
{
    p.fillRect(QRectF(1, 1, 10, 2.5), pal::ink);
    p.fillRect(QRectF(5, 1, 2, 11), pal::ink);
}

void glyphProcess(QPainter &p)
{
    processBox(p, QRectF(0.5, 2.5, 11, 7), 2, 1);
}

void glyphLink(QPainter &p)
{
    p.setPen(flatPen(pal::ink, 1));
    p.drawPolyline(poly({QPointF(4, 2.5), QPointF(9.5, 2.5), QPointF(9.5, 8)}));
    processBox(p, QRectF(0.5, 0.5, 4, 4), 1, 1);
    processBox(p, QRectF(7.5, 7.5, 4, 4), 1, 1);
}

void glyphMemory(QPainter &p)
{
    dataStore(p, 0, 12, 2.5, 9.5, 1, false);
}

void glyphDataflow(QPainter &p)
{
    QPen dash(pal::ink, 2, Qt::CustomDashLine, Qt::FlatCap);
    dash.setDashPattern({1, 1});
    p.setPen(dash);
    p.drawLine(QPointF(0, 6), QPointF(8, 6));
    arrowHead(p, QPointF(12, 6), QPointF(0, 6), 5, 4, pal::ink);
}

// ---------------------------------------------------------------------------
// Application icon, drawn on a 256 x 256 grid: two states joined by
// transitions on a teal-to-blue tile. Small sizes drop the fine detail that
// would only turn into blur.

void drawAppIcon(QPainter &p, int pixels)
{
    const bool small = pixels <= 32;
    const qreal inset = small ? 4 : 10;
    const QRectF tile(inset, inset, 256 - 2 * inset, 256 - 2 * inset);
    QLinearGradient g(tile.topLeft(), tile.bottomRight());
    g.setColorAt(0, QColor(0x23, 0xB8, 0xA8));
    g.setColorAt(1, QColor(0x1E, 0x5C, 0xAE));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(tile, 52, 52);

    const QRectF a(32, 46, 112, 74);
    const QRectF b(112, 136, 112, 74);
    const qreal radius = 20;
    for (const QRectF &r : {a, b}) {
        QPainterPath box;
        box.addRoundedRect(r, radius, radius);
        p.setPen(Qt::NoPen);
        p.setBrush(pal::paper);
        p.drawPath(box);
        if (!small) {
            p.save();
            p.setClipPath(box);
            p.fillRect(QRectF(r.left(), r.top(), r.width(), 26), pal::tealLight);
            p.setPen(flatPen(pal::teal, 5));
            p.drawLine(QPointF(r.left(), r.top() + 26), QPointF(r.right(), r.top() + 26));
            p.restore();
        }
    }

    const qreal w = small ? 18 : 11;
    const qreal headLen = small ? 36 : 26;
    const qreal headHalf = small ? 26 : 17;
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(pal::paper, w));

    QPainterPath forward;
    forward.moveTo(a.right() - 2, a.center().y());
    forward.cubicTo(176, a.center().y(), 188, 96, 188, b.top() - headLen + 4);
    p.drawPath(forward);
    arrowHead(p, QPointF(188, b.top() - 1), QPointF(188, 0), headLen, headHalf, pal::paper);

    if (!small) {
        QPainterPath back;
        back.moveTo(b.left() + 2, b.center().y());
        back.cubicTo(80, b.center().y(), 68, 160, 68, a.bottom() + headLen - 4);
        p.drawPath(back);
        arrowHead(p, QPointF(68, a.bottom() + 1), QPointF(68, 256), headLen, headHalf,
                  pal::paper);
    }
}

// Icon of a project file for the file manager, on the same 256 grid: a
// page with a folded corner carrying the application tile, so that a .vorn
// file and the program that opens it are recognisably related.
void drawProjectFileIcon(QPainter &p, int pixels)
{
    const bool small = pixels <= 32;
    // At least one device pixel wide, or the page edge vanishes at 16 px.
    const qreal edge = std::max(6.0, 256.0 / pixels);
    const qreal left = 36, right = 220, top = 12, bottom = 244, fold = 60;

    QPainterPath page;
    page.moveTo(left, top);
    page.lineTo(right - fold, top);
    page.lineTo(right, top + fold);
    page.lineTo(right, bottom);
    page.lineTo(left, bottom);
    page.closeSubpath();
    p.setPen(pen(pal::grey, edge));
    p.setBrush(pal::paper);
    p.drawPath(page);

    QPainterPath corner;
    corner.moveTo(right - fold, top);
    corner.lineTo(right - fold, top + fold);
    corner.lineTo(right, top + fold);
    p.setBrush(pal::greyLight);
    p.drawPath(corner);

    if (!small) {
        // Lines of text say "document" where there is room for them.
        p.setPen(pen(pal::greyLight, 12));
        p.drawLine(QPointF(68, 52), QPointF(140, 52));
        p.drawLine(QPointF(68, 84), QPointF(188, 84));
    }

    // The application tile, shrunk into the lower part of the page. Small
    // sizes take the simpler variant, and a larger share of the page.
    const qreal tile = small ? 168 : 148;
    p.save();
    p.translate((left + right - tile) / 2, bottom - tile - (small ? 12 : 18));
    p.scale(tile / 256, tile / 256);
    drawAppIcon(p, small ? 16 : 256);
    p.restore();
}

// ---------------------------------------------------------------------------

// "name.png" -> "name@2x.png", the name Qt looks for at device pixel ratio 2.
QString atTwoX(const QString &file)
{
    const int dot = file.lastIndexOf(QLatin1Char('.'));
    return file.left(dot) + QStringLiteral("@2x") + file.mid(dot);
}

QImage render(int pixels, qreal grid, const DrawFn &draw)
{
    QImage img(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(pixels / grid, pixels / grid);
    draw(p);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

// Classic 32-bit DIB entry (BITMAPINFOHEADER + bottom-up BGRA + AND mask),
// which every Windows version reads; large sizes go in as PNG instead.
QByteArray dibPayload(const QImage &src)
{
    const QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    const int maskStride = ((w + 31) / 32) * 4;
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint32(40) << qint32(w) << qint32(2 * h) << quint16(1) << quint16(32) << quint32(0)
      << quint32(w * h * 4 + maskStride * h) << qint32(0) << qint32(0) << quint32(0)
      << quint32(0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x)
            s << quint8(qBlue(line[x])) << quint8(qGreen(line[x])) << quint8(qRed(line[x]))
              << quint8(qAlpha(line[x]));
    }
    for (int y = h - 1; y >= 0; --y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(line[x]) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        s.writeRawData(row.constData(), row.size());
    }
    return out;
}

QByteArray pngPayload(const QImage &img)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return bytes;
}

// Writes the ICO container directly: Qt's ico plugin stores only one image
// per file, and Windows wants several sizes in the application icon.
bool writeIco(const QString &path, const std::vector<QImage> &images)
{
    std::vector<QByteArray> payloads;
    for (const QImage &img : images)
        payloads.push_back(img.width() >= 64 ? pngPayload(img) : dibPayload(img));

    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint16(0) << quint16(1) << quint16(images.size());
    quint32 offset = 6 + 16 * quint32(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const int w = images[i].width(), h = images[i].height();
        s << quint8(w >= 256 ? 0 : w) << quint8(h >= 256 ? 0 : h) << quint8(0) << quint8(0)
          << quint16(1) << quint16(32) << quint32(payloads[i].size()) << offset;
        offset += payloads[i].size();
    }
    for (const QByteArray &pl : payloads)
        s.writeRawData(pl.constData(), pl.size());

    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(out) == out.size();
}

struct Entry {
    QString file;
    DrawFn draw;
};

std::vector<Entry> icons()
{
    return {
        {"New.png", drawNew},
        {"Open.png", drawOpen},
        {"Save.png", drawSave},
        {"bringtofront.png", [](QPainter &p) { drawStack(p, true); }},
        {"sendtoback.png", [](QPainter &p) { drawStack(p, false); }},
        {"delete.png", drawDelete},
        {"state.png", drawState},
        {"transition.png", drawTransition},
        {"Process_Rect.png", drawProcessRect},
        {"Text.png", drawText},
        {"Memory.png", drawMemory},
        {"link.png", drawLink},
        {"Dataflow.png", drawDataflow},
        {"Self_transition.png", drawSelfTransition},
        {"Cursor.png", drawCursorArrow},
        {"undo.png", drawUndo},
        {"redo.png", drawRedo},
        {"zoom_in.png", [](QPainter &p) { drawZoom(p, true); }},
        {"zoom_out.png", [](QPainter &p) { drawZoom(p, false); }},
        {"fit_to_window.png", drawFitToWindow},
        {"Properties.png", drawProperties},
    };
}

// Message box icons: styles ask for 32 to 64 pixels, twice that on screens
// scaled to 200 %; each size is drawn, none is blown up.
std::vector<Entry> dialogIcons()
{
    return {
        {"dialog-question", drawQuestion},
        {"dialog-information", drawInformation},
        {"dialog-warning", drawWarning},
        {"dialog-error", drawCritical},
    };
}

std::vector<Entry> cursors()
{
    return {
        {"stateCursor.png", cursor(glyphState)},
        {"transitionCursor.png", cursor(glyphTransition)},
        {"TextCursor.png", cursor(glyphText)},
        {"Process_Rect_Cursor.png", cursor(glyphProcess)},
        {"link_cursor.png", cursor(glyphLink)},
        {"Memory_cursor.png", cursor(glyphMemory)},
        {"Dataflow_cursor.png", cursor(glyphDataflow)},
    };
}

// No frame above 128 px: Qt 5.15 converts a decoded image of 128 KiB or
// more (a 256 px frame is 256 KiB) on pool threads, and its QSemaphore
// race then clears bit 63 of a word in the caller's stack after the call has
// returned, which aborts at random with "stack smashing detected" (see
// tests/repro/qimageconversionrace.cpp). Every window loads this icon.
const std::vector<int> kAppIconSizes = {16, 24, 32, 48, 64, 128};
const std::vector<int> kDialogIconSizes = {32, 48, 64, 96, 128};

// The desktop icons are files the package installs, never resources that a
// window loads, so they may go up to 256 px. The names are those the
// desktop entry and the shared-mime-info type look up.
const std::vector<int> kHicolorSizes = {16, 22, 24, 32, 48, 64, 128, 256};
const char kAppIconName[] = "org.korvel.Korvel.png";
const char kProjectFileIconName[] = "application-x-korvel-project.png";

// A review sheet: every image at 2x (hard pixels), 1x and 16 px, on light
// and dark backgrounds, plus the frames read back from the .ico file and
// the desktop icons up to 64 px at 4x (hard pixels).
bool writeSheet(const QDir &dir, const QString &path, const QString &hicolorDir)
{
    std::vector<QString> names;
    for (const Entry &e : icons())
        names.push_back(e.file);
    for (const Entry &e : cursors())
        names.push_back(e.file);

    const int cellW = 150, cellH = 112, cols = 6;
    const int rows = int((names.size() + cols - 1) / cols);
    const int icoBand = 300, hicolorRow = 4 * 64 + 12, hicolorBand = 4 * hicolorRow;
    QImage sheet(std::max(cols * cellW, 900), rows * cellH + icoBand + hicolorBand,
                 QImage::Format_ARGB32_Premultiplied);
    sheet.fill(QColor(0xF4, 0xF4, 0xF4));
    QPainter p(&sheet);
    QFont font("DejaVu Sans");
    font.setPixelSize(10);
    p.setFont(font);

    for (size_t i = 0; i < names.size(); ++i) {
        const int x0 = int(i % cols) * cellW, y0 = int(i / cols) * cellH;
        const QImage img(dir.filePath(names[i]));
        p.fillRect(x0 + 4, y0 + 4, 68, 68, Qt::white);
        p.drawImage(QRect(x0 + 6, y0 + 6, 64, 64), img);  // nearest: honest pixels
        p.fillRect(x0 + 76, y0 + 4, 70, 34, Qt::white);
        p.drawImage(x0 + 77, y0 + 5, img);
        p.drawImage(x0 + 118, y0 + 13,
                    img.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        p.fillRect(x0 + 76, y0 + 40, 70, 34, QColor(0x3A, 0x3F, 0x47));
        p.drawImage(x0 + 77, y0 + 41, img);
        p.drawImage(x0 + 118, y0 + 49,
                    img.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        p.setPen(Qt::black);
        p.drawText(QRect(x0, y0 + 78, cellW, 20), Qt::AlignCenter, names[i]);
    }

    QImageReader reader(dir.filePath("app_icon.ico"));
    int x = 8;
    const int y = rows * cellH + 10;
    int frames = 0;
    do {
        const QImage frame = reader.read();
        if (frame.isNull())
            break;
        ++frames;
        p.fillRect(x, y, frame.width() + 4, frame.height() + 4, Qt::white);
        p.drawImage(x + 2, y + 2, frame);
        p.fillRect(x, y + frame.height() + 8, frame.width() + 4, frame.height() + 4,
                   QColor(0x3A, 0x3F, 0x47));
        if (frame.height() < 128)
            p.drawImage(x + 2, y + frame.height() + 10, frame);
        x += frame.width() + 10;
    } while (reader.jumpToNextImage());
    p.setPen(Qt::black);
    p.drawText(8, rows * cellH + icoBand - 8, QString("app_icon.ico: %1 frames").arg(frames));

    int hy = rows * cellH + icoBand;
    for (const char *name : {kAppIconName, kProjectFileIconName}) {
        const QString kind = name == kAppIconName ? QStringLiteral("apps") : QStringLiteral("mimetypes");
        for (const QColor &back : {QColor(Qt::white), QColor(0x3A, 0x3F, 0x47)}) {
            int hx = 8;
            for (int s : kHicolorSizes) {
                if (s > 64)
                    continue;
                const QImage img(QStringLiteral("%1/%2x%2/%3/%4").arg(hicolorDir).arg(s).arg(kind, name));
                p.fillRect(hx, hy, 4 * s + 4, 4 * s + 4, back);
                p.drawImage(QRect(hx + 2, hy + 2, 4 * s, 4 * s), img);
                hx += 4 * s + 10;
            }
            hy += hicolorRow;
        }
    }
    p.end();
    return sheet.save(path);
}

} // namespace

int main(int argc, char **argv)
{
    // Painting on QImage needs no display; offscreen keeps this runnable on
    // build machines without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QString outDir = QStringLiteral(KORVEL_ICON_DIR);
    QString hicolorDir = QStringLiteral(KORVEL_HICOLOR_DIR);
    QString sheetPath;
    bool outDirGiven = false, hicolorGiven = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--sheet" && i + 1 < args.size()) {
            sheetPath = args[++i];
        } else if (args[i] == "--hicolor" && i + 1 < args.size()) {
            hicolorDir = args[++i];
            hicolorGiven = true;
        } else {
            outDir = args[i];
            outDirGiven = true;
        }
    }
    // A trial run into another folder must not rewrite the source tree's icons.
    if ((outDirGiven && !hicolorGiven) || hicolorDir.isEmpty())
        hicolorDir = QDir(outDir).filePath(QStringLiteral("hicolor"));

    QDir dir(outDir);
    if (!dir.exists() && !QDir().mkpath(outDir)) {
        std::fprintf(stderr, "drawicons: cannot create %s\n", qPrintable(outDir));
        return 1;
    }

    int failures = 0;
    auto save = [&](const QImage &img, const QString &name) {
        if (!img.save(dir.filePath(name), "PNG")) {
            std::fprintf(stderr, "drawicons: cannot write %s\n", qPrintable(name));
            ++failures;
        }
    };
    // Each icon and cursor also gets an @2x file drawn from the same grid at
    // 64 px, which Qt picks for high-DPI screens instead of a blurry upscale.
    auto saveBoth = [&](const Entry &e) {
        save(render(32, 32, e.draw), e.file);
        save(render(64, 32, e.draw), atTwoX(e.file));
    };
    for (const Entry &e : icons())
        saveBoth(e);
    for (const Entry &e : cursors())
        saveBoth(e);
    for (const Entry &e : dialogIcons())
        for (int size : kDialogIconSizes)
            save(render(size, 32, e.draw), QStringLiteral("%1-%2.png").arg(e.file).arg(size));

    std::vector<QImage> frames;
    for (int s : kAppIconSizes)
        frames.push_back(render(s, 256, [s](QPainter &p) { drawAppIcon(p, s); }));
    save(frames.back(), "app_icon.png");
    if (!writeIco(dir.filePath("app_icon.ico"), frames)) {
        std::fprintf(stderr, "drawicons: cannot write app_icon.ico\n");
        ++failures;
    }

    // hicolor/SIZExSIZE/{apps,mimetypes}/NAME.png: where desktops look for
    // theme icons.
    for (int s : kHicolorSizes) {
        const QString sizeDir = QStringLiteral("%1/%2x%2/").arg(hicolorDir).arg(s);
        const std::pair<QString, QImage> files[] = {
            {sizeDir + QStringLiteral("apps/") + kAppIconName,
             render(s, 256, [s](QPainter &p) { drawAppIcon(p, s); })},
            {sizeDir + QStringLiteral("mimetypes/") + kProjectFileIconName,
             render(s, 256, [s](QPainter &p) { drawProjectFileIcon(p, s); })},
        };
        for (const auto &[path, img] : files) {
            if (!QDir().mkpath(QFileInfo(path).path()) || !img.save(path, "PNG")) {
                std::fprintf(stderr, "drawicons: cannot write %s\n", qPrintable(path));
                ++failures;
            }
        }
    }

    if (!sheetPath.isEmpty() && !writeSheet(dir, sheetPath, hicolorDir)) {
        std::fprintf(stderr, "drawicons: cannot write %s\n", qPrintable(sheetPath));
        ++failures;
    }

    std::printf("drawicons: wrote %zu icons, %zu cursors (each at 1x and 2x), %zu message box icons and the "
                "app icon to %s,\n"
                "           the desktop icons (%zu sizes) to %s\n",
                icons().size(), cursors().size(), dialogIcons().size(), qPrintable(dir.absolutePath()),
                kHicolorSizes.size(), qPrintable(QDir(hicolorDir).absolutePath()));
    return failures == 0 ? 0 : 1;
}
