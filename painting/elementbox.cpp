#include "elementbox.h"

#include "connectorfigure.h"
#include "shadowpainting.h"

namespace {

// A rectangle without width or height still meets what crosses it.
QRectF widened(QRectF rect)
{
    if (rect.width() == 0)
        rect.adjust(-0.00001, 0, 0.00001, 0);
    if (rect.height() == 0)
        rect.adjust(0, -0.00001, 0, 0.00001);
    return rect;
}

} // namespace

ElementBox ElementBox::rectangle(const QPointF& pos, int width, int height, bool shadowed)
{
    ElementBox box;
    box.pos = pos;
    box.width = width;
    box.height = height;
    const QRectF own(0, 0, width, height);
    box.bounding = shadowed ? ShadowPainting::around(own) : own;
    box.shape.addRect(own);
    return box;
}

QPolygonF ElementBox::sceneOutline() const
{
    return ConnectorFigure::fittedOutline(outline, ownRect()).translated(pos);
}

bool ElementBox::collidesWith(const ElementBox& other) const
{
    const QPainterPath path = other.shape.translated(other.pos - pos);
    if (path.isEmpty())
        return false;
    if (!widened(bounding).intersects(widened(path.controlPointRect())))
        return false;
    if (shape == QPainterPath())
        return false;
    return path.intersects(shape);
}
