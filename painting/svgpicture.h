#ifndef SVGPICTURE_H
#define SVGPICTURE_H

#include <QPaintDevice>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <memory>

class QIODevice;
class SvgPaintEngine;

// A paint device that writes what is painted on it as an SVG document, the
// same bytes Qt's SVG generator writes for the same painting, without the
// Qt SVG library and the widgets it brings along. The document is written to
// the output device when the painter ends; the size, view box and device are
// set before painting begins.
class SvgPicture : public QPaintDevice
{
public:
    SvgPicture();
    ~SvgPicture() override;
    SvgPicture(const SvgPicture&) = delete;
    SvgPicture& operator=(const SvgPicture&) = delete;

    QIODevice* outputDevice() const;
    // Opened for writing when the painter begins, unless it is open already.
    void setOutputDevice(QIODevice* device);
    // In pixels; written in millimetres at the resolution. None when invalid.
    QSize size() const;
    void setSize(const QSize& size);
    // None when invalid.
    QRectF viewBoxF() const;
    QRect viewBox() const;
    void setViewBox(const QRectF& viewBox);
    void setViewBox(const QRect& viewBox);
    // Dots per inch, for the size in millimetres and the font sizes.
    int resolution() const;
    void setResolution(int dpi);
    // Written as they are, so markup in them stays markup.
    QString title() const;
    void setTitle(const QString& title);
    QString description() const;
    void setDescription(const QString& description);

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    std::unique_ptr<SvgPaintEngine> engine;
};

#endif // SVGPICTURE_H
