#include "itemshadow.h"

#include <QCache>
#include <QGraphicsItem>
#include <QImage>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <cmath>

#include "itemtype.h"
#include "shadowblur.h"

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

bool castsShadow(const QGraphicsItem* item)
{
    switch (item->type()) {
    case StateType:
    case TransitionType:
    case ProcessType:
    case InitialMarkerType:
        return true;
    default:
        return false;
    }
}

} // namespace

QRectF ItemShadow::around(const QRectF& outline)
{
    return outline.united(outline.translated(shadowOffset).adjusted(-blurRadius, -blurRadius, blurRadius, blurRadius));
}

QRectF ItemShadow::ownRect(const QGraphicsItem* item)
{
    const QRectF bounds = item->boundingRect();
    if (!castsShadow(item))
        return bounds;
    // The reverse of around().
    const qreal before = blurRadius - shadowOffset.x();
    const qreal after = blurRadius + shadowOffset.x();
    return bounds.adjusted(before, before, -after, -after);
}

QRectF ItemShadow::sceneRectOf(const QGraphicsItem* item)
{
    return item->mapRectToScene(ownRect(item));
}

void ItemShadow::paint(QPainter* painter, const QRectF& itemRect, const std::function<QPainterPath()>& outline)
{
    const QTransform world = painter->worldTransform();
    if (QStyleOptionGraphicsItem::levelOfDetailFromTransform(world) < farOut || world.type() > QTransform::TxScale)
        return;
    const QPainterPath path = outline();
    // As the effect did: the shadow is blurred in device pixels within the
    // item's padded rectangle on the device.
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
            ShadowBlur::paint(&p, silhouette, blurRadius);
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
}
