#ifndef CANVASRENDERER_H
#define CANVASRENDERER_H

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class Canvas;
class QPainter;

// Draws one canvas into an SVG or PNG file as the window's view paints it,
// cropped to the items with a margin. Selection and highlights are left out
// of the picture and put back afterwards; nothing of the project changes, so
// the command-line tool and File > Export share it.
class CanvasRenderer
{
public:
    enum Format { Svg, Png };

    // Scene units of empty border around the items.
    static constexpr int margin = 30;
    static constexpr double smallestScale = 0.05;
    static constexpr double largestScale = 20.0;
    // Pixels in a picture at most, so that its memory and time stay bounded,
    // and on either side (Qt's raster painter counts spans in 16 bits).
    static constexpr qint64 largestPixelCount = 100000000;
    static constexpr int largestSide = 30000;

    explicit CanvasRenderer(Canvas* canvas);
    CanvasRenderer(const CanvasRenderer&) = delete;
    CanvasRenderer& operator=(const CanvasRenderer&) = delete;

    // The part of the canvas a picture shows, in whole scene units.
    QRect sourceRect();
    QSize imageSize(double scale);
    // Empty when a picture at this scale may be drawn, else why not. Sizing
    // costs no drawing of the picture, so every canvas a command asks for is
    // checked before the first is drawn.
    QString sizeProblem(double scale);
    // Writes the picture; an existing file is replaced only on success.
    // On failure errorString() says why.
    bool write(const QString& path, Format format, double scale = 1.0);
    QString errorString() const { return error; }

    // The format a file name asks for by its suffix; false for any other.
    static bool formatForFileName(const QString& path, Format* format);
    static QString suffix(Format format);
    // Empty for a usable scale, else why not.
    static QString scaleProblem(double scale);
    // File names without suffix, one per browser path, safe on any file
    // system and distinct from each other even where only case differs.
    static QStringList fileStems(const QStringList& browserPaths);

private:
    // Paints once off screen, so that what sizes or arranges itself while
    // painted (mirrors, lines, default colours) stands as the view shows it.
    void settle();
    void paint(QPainter* painter, const QRect& source, double scale);
    bool writeSvg(const QString& path, const QRect& source, const QSize& size, double scale);
    bool writePng(const QString& path, const QRect& source, const QSize& size, double scale);

    Canvas* canvas;
    bool settled = false;
    QString error;
};

#endif // CANVASRENDERER_H
