#ifndef PICTUREFILE_H
#define PICTUREFILE_H

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class QPainter;
class QRectF;

// A picture of a canvas in an SVG or PNG file, cropped to what the canvas
// shows with a margin around it. The command-line tool and File > Export
// share it; what is drawn comes from the caller.
class PictureFile
{
public:
    enum Format { Svg, Png };
    // Paints the source part of the canvas into the target rectangle.
    using Painting = std::function<void(QPainter* painter, const QRectF& target, const QRectF& source)>;

    // Scene units of empty border around the items.
    static constexpr int margin = 30;
    static constexpr double smallestScale = 0.05;
    static constexpr double largestScale = 20.0;
    // Pixels in a picture at most, so that its memory and time stay bounded,
    // and on either side (Qt's raster painter counts spans in 16 bits).
    static constexpr qint64 largestPixelCount = 100000000;
    static constexpr int largestSide = 30000;

    // content: what the canvas shows, in canvas coordinates.
    explicit PictureFile(const QRectF& content);

    // The part of the canvas the picture shows, in whole canvas units.
    QRect sourceRect() const { return source; }
    QSize imageSize(double scale) const;
    // Empty when a picture at this scale may be drawn, else why not. Sizing
    // costs no drawing of the picture, so every canvas a command asks for is
    // checked before the first is drawn.
    QString sizeProblem(double scale) const;
    // Writes the picture; an existing file is replaced only on success. On
    // failure errorString() says why. The title names the SVG document.
    bool write(const QString& path, Format format, double scale, const QString& title, const Painting& painting);
    QString errorString() const { return error; }

    // The format a file name asks for by its suffix; false for any other.
    static bool formatForFileName(const QString& path, Format* format);
    static QString suffix(Format format);
    // Empty for a usable scale, else why not.
    static QString scaleProblem(double scale);
    // File names without suffix, one per browser path, safe on any file
    // system and distinct from each other even where only case differs.
    static QStringList fileStems(const QStringList& browserPaths);

    // Paints the source part of the canvas on white at the scale, as every
    // kind of picture is painted.
    static void paint(QPainter* painter, const QRect& source, double scale, const Painting& painting);

private:
    bool writeSvg(const QString& path, const QSize& size, double scale, const QString& title,
                  const Painting& painting);
    bool writePng(const QString& path, const QSize& size, double scale, const Painting& painting);

    QRect source;
    QString error;
};

#endif // PICTUREFILE_H
