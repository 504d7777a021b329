#include "svgpaintengine.h"

#include <QBuffer>
#include <QGradient>
#include <QIODevice>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRegion>
#include <QtMath>

#include <algorithm>

namespace {

// Numbers as the generator writes them: six significant digits, C locale.
QString number(qreal value)
{
    return QString::number(value);
}

QString attribute(const char* name, const QString& value)
{
    return QString::fromLatin1(name) + QLatin1String("=\"") + value + QLatin1String("\" ");
}

QString hexColor(const QColor& color)
{
    const int rgb = (color.red() << 16) | (color.green() << 8) | color.blue();
    return QLatin1Char('#') + QString::number(rgb, 16).rightJustified(6, QLatin1Char('0'));
}

QString opacity(const QColor& color)
{
    return number(color.alphaF());
}

// SVG viewers interpolate gradient colours without premultiplying; where
// the alpha changes along a gradient, stops every fiftieth of the way, mixed
// premultiplied, keep the colours from going dark.
QGradientStops svgStops(const QGradient& gradient)
{
    const QGradientStops stops = gradient.stops();
    if (gradient.interpolationMode() != QGradient::ColorInterpolation)
        return stops;
    const bool constantAlpha = std::all_of(stops.cbegin(), stops.cend(), [&stops](const QGradientStop& stop) {
        return stop.second.alpha() == stops.first().second.alpha();
    });
    if (constantAlpha)
        return stops;
    QGradientStops mixed;
    for (int i = 0; i + 1 < stops.size(); ++i) {
        const QGradientStop& from = stops.at(i);
        const QGradientStop& to = stops.at(i + 1);
        mixed.append(from);
        const int parts = qCeil((to.first - from.first) / qreal(0.02));
        const QRgb a = qPremultiply(from.second.rgba());
        const QRgb b = qPremultiply(to.second.rgba());
        for (int j = 1; j < parts; ++j) {
            const uint weight = uint(256 * j / parts);
            const auto channel = [&](int shift) {
                return ((((a >> shift) & 0xff) * (256 - weight) + ((b >> shift) & 0xff) * weight) >> 8) << shift;
            };
            const QRgb premultiplied = channel(24) | channel(16) | channel(8) | channel(0);
            mixed.append(QGradientStop(from.first + j * ((to.first - from.first) / parts),
                                       QColor::fromRgba(qUnpremultiply(premultiplied))));
        }
    }
    mixed.append(stops.last());
    return mixed;
}

// The pixels an eight by eight fill pattern paints, as the raster engine
// paints it from the origin.
QRegion patternRegion(Qt::BrushStyle style)
{
    QImage tile(8, 8, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    {
        QPainter painter(&tile);
        painter.fillRect(tile.rect(), QBrush(Qt::black, style));
    }
    QRegion region;
    for (int y = 0; y < tile.height(); ++y) {
        for (int x = 0; x < tile.width(); ++x) {
            if (qAlpha(tile.pixel(x, y)) != 0)
                region += QRect(x, y, 1, 1);
        }
    }
    return region;
}

} // namespace

SvgPaintEngine::SvgPaintEngine()
    // What the generator's engine says it can do, so that the painter leaves
    // the same things to it and draws the same others as images.
    : QPaintEngine(PaintEngineFeatures(AllFeatures)
                   & ~(PaintEngineFeatures(PerspectiveTransform) | ConicalGradientFill | PorterDuff))
{
}

QPaintEngine::Type SvgPaintEngine::type() const
{
    // Painters and styles that ask are told what they would be told of the
    // generator, so that they paint the same on either.
    return SVG;
}

bool SvgPaintEngine::begin(QPaintDevice*)
{
    if (!device) {
        qWarning("SvgPaintEngine::begin: no output device");
        return false;
    }
    if (!device->isOpen()) {
        if (!device->open(QIODevice::WriteOnly | QIODevice::Text)) {
            qWarning("SvgPaintEngine::begin: the output device cannot be opened: %s",
                     qPrintable(device->errorString()));
            return false;
        }
    } else if (!device->isWritable()) {
        qWarning("SvgPaintEngine::begin: the output device is read-only");
        return false;
    }
    // Each painting makes a whole document of its own (the generator would
    // append a second one to the first); the header holds the size and title
    // as they are now.
    header = headerText();
    defs = QStringLiteral("<defs>\n");
    body = QStringLiteral("<g fill=\"none\" stroke=\"black\" stroke-width=\"1\" fill-rule=\"evenodd\" "
                          "stroke-linecap=\"square\" stroke-linejoin=\"bevel\" >\n\n");
    stateGroupOpen = false;
    pen = QPen();
    textFill.clear();
    textFillOpacity.clear();
    gradientCount = 0;
    lastGradient.clear();
    definedIds.clear();
    return true;
}

bool SvgPaintEngine::end()
{
    QString document = header + defs + QLatin1String("</defs>\n") + body;
    if (stateGroupOpen)
        document += QLatin1String("</g>\n");
    document += QLatin1String("</g>\n</svg>\n");
    const QByteArray bytes = document.toUtf8();
    header.clear();
    defs.clear();
    body.clear();
    return device->write(bytes) == bytes.size();
}

QString SvgPaintEngine::headerText() const
{
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<svg");
    if (pixels.isValid()) {
        text += QLatin1String(" width=\"") + number(pixels.width() * 25.4 / dpi) + QLatin1String("mm\" height=\"")
            + number(pixels.height() * 25.4 / dpi) + QLatin1String("mm\"\n");
    }
    if (box.isValid()) {
        text += QLatin1String(" viewBox=\"") + number(box.left()) + QLatin1Char(' ') + number(box.top())
            + QLatin1Char(' ') + number(box.width()) + QLatin1Char(' ') + number(box.height())
            + QLatin1String("\"\n");
    }
    text += QLatin1String(" xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\"  "
                          "version=\"1.2\" baseProfile=\"tiny\">\n");
    if (!documentTitle.isEmpty())
        text += QLatin1String("<title>") + documentTitle + QLatin1String("</title>\n");
    if (!documentDescription.isEmpty())
        text += QLatin1String("<desc>") + documentDescription + QLatin1String("</desc>\n");
    return text;
}

void SvgPaintEngine::updateState(const QPaintEngineState& state)
{
    // Whatever changed, the whole state is written again in a new group.
    if (stateGroupOpen)
        body += QLatin1String("</g>\n\n");
    stateGroupOpen = true;
    body += QLatin1String("<g ") + brushAttributes(state.brush());
    body += penAttributes(state.pen());
    const QTransform m = state.transform();
    body += QLatin1String("transform=\"matrix(") + number(m.m11()) + QLatin1Char(',') + number(m.m12())
        + QLatin1Char(',') + number(m.m21()) + QLatin1Char(',') + number(m.m22()) + QLatin1Char(',')
        + number(m.dx()) + QLatin1Char(',') + number(m.dy()) + QLatin1String(")\"\n");
    body += fontAttributes(state.font());
    if (!qFuzzyIsNull(state.opacity() - 1))
        body += attribute("opacity", number(state.opacity()));
    body += QLatin1String(">\n");
}

QString SvgPaintEngine::brushAttributes(const QBrush& brush)
{
    const Qt::BrushStyle style = brush.style();
    switch (style) {
    case Qt::NoBrush:
        return QStringLiteral("fill=\"none\" ");
    case Qt::SolidPattern:
        return attribute("fill", hexColor(brush.color())) + attribute("fill-opacity", opacity(brush.color()));
    case Qt::LinearGradientPattern:
    case Qt::RadialGradientPattern:
        defs += gradientDefinition(*brush.gradient());
        return attribute("fill", QLatin1String("url(#") + lastGradient + QLatin1Char(')'));
    case Qt::ConicalGradientPattern:
        // The painter draws these as images; the fill names the last gradient, as the generator's does.
        qWarning("SvgPaintEngine: SVG has no conical gradients");
        return attribute("fill", QLatin1String("url(#") + lastGradient + QLatin1Char(')'));
    case Qt::TexturePattern:
        return QString();
    default:
        break;
    }
    // The eight by eight patterns: a masked rectangle in the brush's colour.
    const QString color = hexColor(brush.color());
    return attribute("fill", QLatin1String("url(#") + patternDefinition(style, color) + QLatin1Char(')'))
        + attribute("fill-opacity", opacity(brush.color()));
}

QString SvgPaintEngine::penAttributes(const QPen& newPen)
{
    pen = newPen;
    QString text;
    switch (pen.style()) {
    case Qt::NoPen:
        textFill = QStringLiteral("none");
        textFillOpacity.clear();
        return QStringLiteral("stroke=\"none\" ");
    case Qt::SolidLine:
        textFill = hexColor(pen.color());
        textFillOpacity = opacity(pen.color());
        text = attribute("stroke", textFill) + attribute("stroke-opacity", textFillOpacity);
        break;
    case Qt::DashLine:
    case Qt::DotLine:
    case Qt::DashDotLine:
    case Qt::DashDotDotLine:
    case Qt::CustomDashLine: {
        // Qt's dashes are in pen widths, SVG's in units; a pen narrower than
        // half a unit dashes as one a unit wide.
        const qreal unit = pen.width() == 0 ? qreal(1) : pen.widthF();
        QStringList dashes;
        for (const qreal dash : pen.dashPattern())
            dashes << number(dash * unit);
        textFill = hexColor(pen.color());
        textFillOpacity = opacity(pen.color());
        text = attribute("stroke", textFill) + attribute("stroke-opacity", textFillOpacity)
            + attribute("stroke-dasharray", dashes.join(QLatin1Char(',')))
            + attribute("stroke-dashoffset", number(pen.dashOffset() * unit));
        break;
    }
    default:
        qWarning("SvgPaintEngine: unknown pen style %d", int(pen.style()));
        break;
    }
    text += attribute("stroke-width", pen.widthF() == 0 ? QStringLiteral("1") : number(pen.widthF()));
    switch (pen.capStyle()) {
    case Qt::FlatCap:
        text += attribute("stroke-linecap", QStringLiteral("butt"));
        break;
    case Qt::SquareCap:
        text += attribute("stroke-linecap", QStringLiteral("square"));
        break;
    case Qt::RoundCap:
        text += attribute("stroke-linecap", QStringLiteral("round"));
        break;
    default:
        break;
    }
    switch (pen.joinStyle()) {
    case Qt::MiterJoin:
    case Qt::SvgMiterJoin:
        text += attribute("stroke-linejoin", QStringLiteral("miter"))
            + attribute("stroke-miterlimit", number(pen.miterLimit()));
        break;
    case Qt::BevelJoin:
        text += attribute("stroke-linejoin", QStringLiteral("bevel"));
        break;
    case Qt::RoundJoin:
        text += attribute("stroke-linejoin", QStringLiteral("round"));
        break;
    default:
        break;
    }
    return text;
}

QString SvgPaintEngine::fontAttributes(const QFont& font) const
{
    // Fonts set in points are sized in pixels at the picture's resolution.
    const QString size = font.pixelSize() == -1 ? number(font.pointSizeF() * dpi / 72)
                                                : QString::number(font.pixelSize());
    int weight = font.weight();
    switch (weight) {
    case QFont::Light:
        weight = 100;
        break;
    case QFont::Normal:
        weight = 400;
        break;
    case QFont::Bold:
        weight = 700;
        break;
    default:
        weight *= 10;
        break;
    }
    return attribute("font-family", font.family()) + attribute("font-size", size)
        + attribute("font-weight", QString::number(weight))
        + attribute("font-style", font.italic() ? QStringLiteral("italic") : QStringLiteral("normal"))
        + QLatin1Char('\n');
}

QString SvgPaintEngine::gradientDefinition(const QGradient& gradient)
{
    const bool boundingBox = gradient.coordinateMode() == QGradient::ObjectBoundingMode
        || gradient.coordinateMode() == QGradient::ObjectMode;
    QString geometry;
    QLatin1String element("radialGradient");
    if (gradient.type() == QGradient::LinearGradient) {
        element = QLatin1String("linearGradient");
        const auto& linear = static_cast<const QLinearGradient&>(gradient);
        geometry = attribute("x1", number(linear.start().x())) + attribute("y1", number(linear.start().y()))
            + attribute("x2", number(linear.finalStop().x())) + attribute("y2", number(linear.finalStop().y()));
    } else {
        const auto& radial = static_cast<const QRadialGradient&>(gradient);
        geometry = attribute("cx", number(radial.center().x())) + attribute("cy", number(radial.center().y()))
            + attribute("r", number(radial.radius())) + attribute("fx", number(radial.focalPoint().x()))
            + attribute("fy", number(radial.focalPoint().y()));
    }
    // Each state names its own gradient, even when it is the one before.
    lastGradient = QStringLiteral("gradient%1").arg(++gradientCount);
    QString text = QStringLiteral("<") + element + QLatin1Char(' ')
        + attribute("gradientUnits", boundingBox ? QStringLiteral("objectBoundingBox")
                                                 : QStringLiteral("userSpaceOnUse"))
        + geometry + QLatin1String("id=\"") + lastGradient + QLatin1String("\">\n");
    for (const QGradientStop& stop : svgStops(gradient)) {
        text += QLatin1String("    <stop ") + attribute("offset", number(stop.first))
            + attribute("stop-color", stop.second.name(QColor::HexRgb))
            + attribute("stop-opacity", opacity(stop.second)) + QLatin1String("/>\n");
    }
    return text + QLatin1String("</") + element + QLatin1String(">\n");
}

QString SvgPaintEngine::patternDefinition(Qt::BrushStyle style, const QString& color)
{
    const QString id = QStringLiteral("fillpattern%1_").arg(int(style)) + color.mid(1);
    if (definedIds.contains(id))
        return id;
    const QString mask = maskDefinition(style);
    const QString square = QStringLiteral("x=\"0\" y=\"0\" width=\"8\" height=\"8\"");
    defs += QLatin1String("<pattern id=\"") + id + QLatin1String("\" ") + square
        + QLatin1String(" patternUnits=\"userSpaceOnUse\" >\n<rect ") + square
        + QLatin1String(" stroke=\"none\" fill=\"") + color + QLatin1String("\" mask=\"url(#") + mask
        + QLatin1String(")\" />\n</pattern>\n\n");
    definedIds << id;
    return id;
}

QString SvgPaintEngine::maskDefinition(Qt::BrushStyle style)
{
    const QString id = QStringLiteral("patternmask%1").arg(int(style));
    if (definedIds.contains(id))
        return id;
    defs += QLatin1String("<mask id=\"") + id
        + QLatin1String("\" x=\"0\" y=\"0\" width=\"8\" height=\"8\" stroke=\"none\" fill=\"#ffffff\" "
                        "patternUnits=\"userSpaceOnUse\" >\n");
    for (const QRect& r : patternRegion(style)) {
        defs += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" />\n")
                    .arg(r.x())
                    .arg(r.y())
                    .arg(r.width())
                    .arg(r.height());
    }
    defs += QLatin1String("</mask>\n\n");
    definedIds << id;
    return id;
}

QString SvgPaintEngine::nonScalingStroke() const
{
    return state->pen().isCosmetic() ? QStringLiteral(" vector-effect=\"non-scaling-stroke\"") : QString();
}

void SvgPaintEngine::drawEllipse(const QRectF& rect)
{
    const bool circle = rect.width() == rect.height();
    const QPointF center = rect.center();
    body += QStringLiteral("<") + QLatin1String(circle ? "circle" : "ellipse") + nonScalingStroke()
        + QLatin1String(" cx=\"") + number(center.x()) + QLatin1String("\" cy=\"") + number(center.y());
    if (circle)
        body += QLatin1String("\" r=\"") + number(rect.width() / 2);
    else
        body += QLatin1String("\" rx=\"") + number(rect.width() / 2) + QLatin1String("\" ry=\"")
            + number(rect.height() / 2);
    body += QLatin1String("\"/>\n");
}

void SvgPaintEngine::drawPath(const QPainterPath& path)
{
    body += QLatin1String("<path vector-effect=\"")
        + QLatin1String(state->pen().isCosmetic() ? "non-scaling-stroke" : "none") + QLatin1String("\" fill-rule=\"")
        + QLatin1String(path.fillRule() == Qt::OddEvenFill ? "evenodd" : "nonzero") + QLatin1String("\" d=\"");
    const int count = path.elementCount();
    for (int i = 0; i < count; ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        const QString point = number(e.x) + QLatin1Char(',') + number(e.y);
        // A curve's points follow its letter, each after a space.
        if (e.type == QPainterPath::CurveToDataElement) {
            body += QLatin1Char(' ') + point;
            continue;
        }
        if (i > 0)
            body += QLatin1Char(' ');
        const char letter = e.type == QPainterPath::MoveToElement   ? 'M'
                            : e.type == QPainterPath::LineToElement ? 'L'
                                                                    : 'C';
        body += QLatin1Char(letter) + point;
    }
    // The generator leaves a space after a curve that ends the path.
    if (count > 0 && path.elementAt(count - 1).type == QPainterPath::CurveToDataElement)
        body += QLatin1Char(' ');
    body += QLatin1String("\"/>\n");
}

void SvgPaintEngine::drawPolygon(const QPointF* points, int pointCount, PolygonDrawMode mode)
{
    if (pointCount < 1)
        return;
    if (mode == PolylineMode) {
        body += QLatin1String("<polyline fill=\"none\" vector-effect=\"")
            + QLatin1String(state->pen().isCosmetic() ? "non-scaling-stroke" : "none") + QLatin1String("\" points=\"");
        for (int i = 0; i < pointCount; ++i)
            body += number(points[i].x()) + QLatin1Char(',') + number(points[i].y()) + QLatin1Char(' ');
        body += QLatin1String("\" />\n");
        return;
    }
    // A closed path with the path's own fill rule, even-odd, whatever the
    // mode asks: the generator draws polygons so.
    QPainterPath outline(points[0]);
    for (int i = 1; i < pointCount; ++i)
        outline.lineTo(points[i]);
    outline.closeSubpath();
    drawPath(outline);
}

void SvgPaintEngine::drawRects(const QRectF* rects, int rectCount)
{
    for (int i = 0; i < rectCount; ++i) {
        const QRectF rect = rects[i].normalized();
        body += QLatin1String("<rect") + nonScalingStroke() + QLatin1String(" x=\"") + number(rect.x())
            + QLatin1String("\" y=\"") + number(rect.y()) + QLatin1String("\" width=\"") + number(rect.width())
            + QLatin1String("\" height=\"") + number(rect.height()) + QLatin1String("\"/>\n");
    }
}

void SvgPaintEngine::drawTextItem(const QPointF& point, const QTextItem& textItem)
{
    if (pen.style() == Qt::NoPen)
        return;
    const QString text = textItem.text();
    // Glyphs without characters are drawn as their outlines; the (empty)
    // text element follows them, as the generator writes it.
    if (text.isEmpty())
        QPaintEngine::drawTextItem(point, textItem);
    body += QLatin1String("<text ") + attribute("fill", textFill) + attribute("fill-opacity", textFillOpacity)
        + QLatin1String("stroke=\"none\" xml:space=\"preserve\" ") + attribute("x", number(point.x()))
        + attribute("y", number(point.y())) + fontAttributes(textItem.font()) + QLatin1String(" >")
        + text.toHtmlEscaped() + QLatin1String("</text>\n");
}

void SvgPaintEngine::drawPixmap(const QRectF& target, const QPixmap& pixmap, const QRectF& source)
{
    drawImage(target, pixmap.toImage(), source);
}

void SvgPaintEngine::drawImage(const QRectF& target, const QImage& image, const QRectF&, Qt::ImageConversionFlags)
{
    // The whole image is embedded, whatever part of it was asked for, as the generator does.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    buffer.close();
    body += QLatin1String("<image ") + attribute("x", number(target.x())) + attribute("y", number(target.y()))
        + attribute("width", number(target.width())) + attribute("height", number(target.height()))
        + QLatin1String("preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64,")
        + QString::fromLatin1(png.toBase64()) + QLatin1String("\" />\n");
}
