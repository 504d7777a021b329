#include "svgpicture.h"

#include "svgpaintengine.h"

SvgPicture::SvgPicture()
    : engine(std::make_unique<SvgPaintEngine>())
{
}

SvgPicture::~SvgPicture() = default;

QIODevice* SvgPicture::outputDevice() const
{
    return engine->outputDevice();
}

void SvgPicture::setOutputDevice(QIODevice* device)
{
    if (engine->isActive()) {
        qWarning("SvgPicture::setOutputDevice: the device cannot change while painting");
        return;
    }
    engine->setOutputDevice(device);
}

QSize SvgPicture::size() const
{
    return engine->size();
}

void SvgPicture::setSize(const QSize& size)
{
    if (engine->isActive()) {
        qWarning("SvgPicture::setSize: the size cannot change while painting");
        return;
    }
    engine->setSize(size);
}

QRectF SvgPicture::viewBoxF() const
{
    return engine->viewBox();
}

QRect SvgPicture::viewBox() const
{
    return engine->viewBox().toRect();
}

void SvgPicture::setViewBox(const QRectF& viewBox)
{
    if (engine->isActive()) {
        qWarning("SvgPicture::setViewBox: the view box cannot change while painting");
        return;
    }
    engine->setViewBox(viewBox);
}

void SvgPicture::setViewBox(const QRect& viewBox)
{
    setViewBox(QRectF(viewBox));
}

int SvgPicture::resolution() const
{
    return engine->resolution();
}

void SvgPicture::setResolution(int dpi)
{
    // Unlike the size, taken even while painting, as the generator does:
    // the fonts set from then on are sized by it.
    engine->setResolution(dpi);
}

QString SvgPicture::title() const
{
    return engine->title();
}

void SvgPicture::setTitle(const QString& title)
{
    engine->setTitle(title);
}

QString SvgPicture::description() const
{
    return engine->description();
}

void SvgPicture::setDescription(const QString& description)
{
    engine->setDescription(description);
}

QPaintEngine* SvgPicture::paintEngine() const
{
    return engine.get();
}

int SvgPicture::metric(PaintDeviceMetric metric) const
{
    // Text is laid out from these, so they are the generator's exactly.
    const QSize pixels = engine->size();
    const int dpi = engine->resolution();
    switch (metric) {
    case PdmWidth:
        return pixels.width();
    case PdmHeight:
        return pixels.height();
    case PdmWidthMM:
        return qRound(pixels.width() * 25.4 / dpi);
    case PdmHeightMM:
        return qRound(pixels.height() * 25.4 / dpi);
    case PdmNumColors:
        return int(0xffffffff);
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return dpi;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    }
    qWarning("SvgPicture::metric: unknown metric %d", int(metric));
    return 0;
}
