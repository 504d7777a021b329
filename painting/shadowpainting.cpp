#include "shadowpainting.h"

#include <QCache>
#include <QImage>
#include <QPainter>

#include <cmath>

#include "itemlook.h"
#include "shadowblur.h"

namespace {

const QColor shadowColour(63, 63, 63, 180);

// Blurred images by outline, size and zoom; bounded in bytes.
QCache<QString, QImage>& cache()
{
    static QCache<QString, QImage> images(64 * 1024 * 1024);
    return images;
}

QImage* blurredShadow(const QPainterPath& path, const QTransform& world, const QRect& area, const QPointF& inArea)
{
    QImage silhouette(area.size(), QImage::Format_ARGB32_Premultiplied);
    silhouette.fill(0);
    {
        QPainter p(&silhouette);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.translate(inArea + ShadowPainting::offset);
        p.scale(world.m11(), world.m22());
        p.fillPath(path, Qt::black);
    }
    auto* blurred = new QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
    blurred->fill(0);
    {
        QPainter p(blurred);
        ShadowBlur::paint(&p, silhouette, ShadowPainting::blurRadius);
    }
    {
        QPainter p(blurred);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(blurred->rect(), shadowColour);
    }
    return blurred;
}

} // namespace

QRectF ShadowPainting::around(const QRectF& outline)
{
    return outline.united(outline.translated(offset).adjusted(-blurRadius, -blurRadius, blurRadius, blurRadius));
}

void ShadowPainting::paint(QPainter* painter, const QRectF& itemRect, const std::function<QPainterPath()>& outline)
{
    const QTransform world = painter->worldTransform();
    if (ItemLook::levelOfDetail(world) < ItemLook::farOut || world.type() > QTransform::TxScale)
        return;
    const QPainterPath path = outline();
    // As the effect did: the shadow is blurred in device pixels within the
    // element's padded rectangle on the device.
    const QRect area = world.mapRect(around(itemRect)).toAlignedRect();
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
        shadow = blurredShadow(path, world, area, inArea);
        cache().insert(key, shadow, int(qMin<qint64>(shadow->sizeInBytes(), 64 * 1024 * 1024)));
    }
    painter->save();
    painter->setWorldTransform(QTransform());
    painter->drawImage(area.topLeft(), *shadow);
    painter->restore();
}
