#include "itemshadow.h"

#include <QCache>
#include <QImage>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <cmath>

// The blur the drop-shadow effect itself uses (exported by Qt Widgets, not
// declared in its public headers), so that the shadows look as before.
Q_DECL_IMPORT void qt_blurImage(QPainter* painter, QImage& image, qreal radius, bool quality,
                                bool alphaOnly, int transposed = 0);

namespace {

constexpr qreal blurRadius = 50;
const QPointF shadowOffset(8, 8);
const QColor shadowColour(63, 63, 63, 180);

// Blurred images by outline, size and zoom; bounded in bytes.
QCache<QString, QImage>& cache()
{
    static QCache<QString, QImage> images(64 * 1024 * 1024);
    return images;
}

} // namespace

ItemShadow::ItemShadow(std::function<QPainterPath()> outline, std::function<bool()> shown)
    : outline(std::move(outline))
    , shown(std::move(shown))
{
}

QRectF ItemShadow::boundingRectFor(const QRectF& rect) const
{
    return rect.united(rect.translated(shadowOffset)
                           .adjusted(-blurRadius, -blurRadius, blurRadius, blurRadius));
}

void ItemShadow::draw(QPainter* painter)
{
    const QTransform world = painter->worldTransform();
    if ((shown && !shown())
        || QStyleOptionGraphicsItem::levelOfDetailFromTransform(world) < farOut
        || world.type() > QTransform::TxScale) {
        drawSource(painter);
        return;
    }
    const QRectF itemRect = sourceBoundingRect(Qt::LogicalCoordinates);
    // Like the effect: the shadow is blurred in device pixels within the
    // item's padded rectangle on the device.
    const QRect area = world.mapRect(boundingRectFor(itemRect)).toAlignedRect();
    const QPainterPath path = outline();
    const QPointF inArea = world.map(QPointF(0, 0)) - area.topLeft();
    const QPointF fraction(inArea.x() - std::floor(inArea.x()), inArea.y() - std::floor(inArea.y()));
    const QRectF bounds = path.boundingRect();
    const QString key = QStringLiteral("%1,%2,%3,%4,%5,%6,%7,%8,%9")
                            .arg(bounds.width()).arg(bounds.height())
                            .arg(path.elementCount()).arg(world.m11(), 0, 'g', 6)
                            .arg(world.m22(), 0, 'g', 6).arg(area.width()).arg(area.height())
                            .arg(qRound(fraction.x() * 4)).arg(qRound(fraction.y() * 4));
    QImage* shadow = cache().object(key);
    if (!shadow) {
        QImage silhouette(area.size(), QImage::Format_ARGB32_Premultiplied);
        silhouette.fill(0);
        {
            QPainter p(&silhouette);
            p.setRenderHint(QPainter::Antialiasing, true);
            p.translate(inArea + shadowOffset);
            p.scale(world.m11(), world.m22());
            p.fillPath(path, Qt::black);
        }
        auto* blurred = new QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
        blurred->fill(0);
        {
            QPainter p(blurred);
            qt_blurImage(&p, silhouette, blurRadius, false, true);
        }
        {
            QPainter p(blurred);
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            p.fillRect(blurred->rect(), shadowColour);
        }
        shadow = blurred;
        cache().insert(key, blurred, int(qMin<qint64>(blurred->sizeInBytes(), 64 * 1024 * 1024)));
    }
    painter->save();
    painter->setWorldTransform(QTransform());
    painter->drawImage(area.topLeft(), *shadow);
    painter->restore();
    drawSource(painter);
}
