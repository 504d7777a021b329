#ifndef SVGPAINTENGINE_H
#define SVGPAINTENGINE_H

#include <QPaintEngine>
#include <QPen>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

class QGradient;
class QIODevice;

// Writes an SVG document for SvgPicture, in the very format of Qt's SVG
// generator, so that pictures keep their bytes whichever of the two drew
// them. Each change of the painter's state opens a group holding the whole
// state, as the generator does; brushes that need definitions (gradients,
// patterns) add them to the document's <defs>. Clipping and composition
// modes are not written, as the generator writes neither.
class SvgPaintEngine : public QPaintEngine
{
public:
    SvgPaintEngine();

    QIODevice* outputDevice() const { return device; }
    void setOutputDevice(QIODevice* device) { this->device = device; }
    QSize size() const { return pixels; }
    void setSize(const QSize& size) { pixels = size; }
    QRectF viewBox() const { return box; }
    void setViewBox(const QRectF& viewBox) { box = viewBox; }
    int resolution() const { return dpi; }
    void setResolution(int dpi) { this->dpi = dpi; }
    QString title() const { return documentTitle; }
    void setTitle(const QString& title) { documentTitle = title; }
    QString description() const { return documentDescription; }
    void setDescription(const QString& description) { documentDescription = description; }

    bool begin(QPaintDevice* paintDevice) override;
    bool end() override;
    void updateState(const QPaintEngineState& state) override;

    using QPaintEngine::drawEllipse;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;
    void drawEllipse(const QRectF& rect) override;
    void drawPath(const QPainterPath& path) override;
    void drawPolygon(const QPointF* points, int pointCount, PolygonDrawMode mode) override;
    void drawRects(const QRectF* rects, int rectCount) override;
    void drawTextItem(const QPointF& point, const QTextItem& textItem) override;
    void drawPixmap(const QRectF& target, const QPixmap& pixmap, const QRectF& source) override;
    void drawImage(const QRectF& target, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags = Qt::AutoColor) override;
    Type type() const override;

private:
    QString headerText() const;
    QString brushAttributes(const QBrush& brush);
    QString penAttributes(const QPen& pen);
    QString fontAttributes(const QFont& font) const;
    QString nonScalingStroke() const;
    QString gradientDefinition(const QGradient& gradient);
    QString patternDefinition(Qt::BrushStyle style, const QString& color);
    QString maskDefinition(Qt::BrushStyle style);

    QIODevice* device = nullptr;
    // The generator's defaults, so that either device writes the same file.
    QSize pixels;
    QRectF box;
    int dpi = 72;
    QString documentTitle = QStringLiteral("Qt SVG Document");
    QString documentDescription = QStringLiteral("Generated with Qt");

    // The document is written out at the end, once the definitions are known.
    QString header;
    QString defs;
    QString body;
    bool stateGroupOpen = false;
    // Of the last state written: text is filled with the pen's colour.
    QPen pen;
    QString textFill;
    QString textFillOpacity;
    int gradientCount = 0;
    QString lastGradient;
    QStringList definedIds;
};

#endif // SVGPAINTENGINE_H
