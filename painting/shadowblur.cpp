#include "shadowblur.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace {

// Fixed-point precisions: of the response's factor (0.12) and of the running
// value (8.10).
constexpr int factorBits = 12;
constexpr int valueBits = 10;

// One pass along count alpha bytes step bytes apart, there and back.
void blurLine(uchar* alpha, int count, int step, int factor)
{
    int value = 0;
    const auto blend = [&value, factor](uchar* pixel) {
        value += factor * ((int(*pixel) << valueBits) - (value >> factorBits));
        *pixel = uchar(value >> (valueBits + factorBits));
    };
    uchar* at = alpha;
    for (int i = 0; i < count; ++i, at += step)
        blend(at);
    at -= step;
    for (int i = count - 2; i >= 0; --i) {
        at -= step;
        blend(at);
    }
}

// The mean of two pixels, byte by byte, rounded down.
inline quint32 mean(quint32 a, quint32 b)
{
    return (((a ^ b) & 0xfefefefeu) >> 1) + (a & b);
}

} // namespace

void ShadowBlur::paint(QPainter* painter, const QImage& silhouette, qreal radius)
{
    QImage image = silhouette.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    qreal scale = 1;
    if (radius >= 4 && image.width() >= 2 && image.height() >= 2) {
        image = halved(image);
        scale = 2;
        radius *= 0.5;
    }
    blurAlpha(image, radius);
    painter->scale(scale, scale);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(QRect(QPoint(0, 0), image.size()), image);
}

QImage ShadowBlur::halved(const QImage& source)
{
    QImage half(source.width() / 2, source.height() / 2, source.format());
    for (int y = 0; y < half.height(); ++y) {
        const auto* above = reinterpret_cast<const quint32*>(source.constScanLine(2 * y));
        const auto* below = reinterpret_cast<const quint32*>(source.constScanLine(2 * y + 1));
        auto* out = reinterpret_cast<quint32*>(half.scanLine(y));
        for (int x = 0; x < half.width(); ++x)
            out[x] = mean(mean(above[2 * x], above[2 * x + 1]), mean(below[2 * x], below[2 * x + 1]));
    }
    return half;
}

void ShadowBlur::blurAlpha(QImage& image, qreal radius)
{
    // A pixel at radius from a full one keeps at most 2/255 of it.
    const int factor = radius <= 1e-5 ? (1 << factorBits) - 1
                                      : qRound((1 << factorBits) * (1 - std::pow(2 * (1 / 255.0), 1 / radius)));
    const int alphaByte = QSysInfo::ByteOrder == QSysInfo::BigEndian ? 0 : 3;
    const int width = image.width();
    const int height = image.height();
    const int line = image.bytesPerLine();
    uchar* bits = image.bits();
    for (int y = 0; y < height; ++y)
        blurLine(bits + y * line + alphaByte, width, 4, factor);
    // Columns from the bottom up: the passes are not symmetric, and the
    // effect's blur runs its columns that way.
    uchar* lastLine = bits + (height - 1) * line;
    for (int x = 0; x < width; ++x)
        blurLine(lastLine + 4 * x + alphaByte, height, -line, factor);
}
