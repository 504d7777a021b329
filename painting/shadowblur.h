#ifndef SHADOWBLUR_H
#define SHADOWBLUR_H

#include <QtGlobal>

class QImage;
class QPainter;

// The soft blur of item shadows, worked on the alpha of an image alone: the
// image is halved, blurred with a two-sided exponential response (the
// fixed-point arithmetic of Qt's drop-shadow effect, so that a shadow's
// pixels are the ones the window has always shown) and drawn back at twice
// its size. It needs only Qt GUI, so pictures are drawn without widgets.
class ShadowBlur
{
public:
    // Draws the blurred alpha of silhouette at the painter's origin.
    static void paint(QPainter* painter, const QImage& silhouette, qreal radius);

private:
    static QImage halved(const QImage& source);
    static void blurAlpha(QImage& image, qreal radius);
};

#endif // SHADOWBLUR_H
