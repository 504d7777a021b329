#ifndef ITEMSHADOW_H
#define ITEMSHADOW_H

#include <QGraphicsEffect>
#include <QPainterPath>

#include <functional>

// The soft drop shadow under states, transition boxes, processes and the
// initial marker. It looks exactly like a drop-shadow effect of blur radius
// 50 (offset 8, 8; the same blur), but the blurred image is made once per
// outline, size and zoom and shared by every item, instead of the item being
// painted off screen and blurred on every paint. Far out it is left off.
class ItemShadow : public QGraphicsEffect
{
public:
    // outline: what casts the shadow, in item coordinates; shown: false while
    // the item paints nothing.
    explicit ItemShadow(std::function<QPainterPath()> outline,
                        std::function<bool()> shown = std::function<bool()>());

    QRectF boundingRectFor(const QRectF& rect) const override;

    // Below this level of detail neither shadows nor item texts are drawn.
    static constexpr qreal farOut = 0.3;

protected:
    void draw(QPainter* painter) override;

private:
    std::function<QPainterPath()> outline;
    std::function<bool()> shown;
};

#endif // ITEMSHADOW_H
