#ifndef CANVASRENDERER_H
#define CANVASRENDERER_H

#include <QRect>
#include <QSize>
#include <QString>

#include "picturefile.h"

class Canvas;
class QPainter;

// Draws one canvas of the window into an SVG or PNG file as its view paints
// it, cropped to the items with a margin (File > Export). Selection and
// highlights are left out of the picture and put back afterwards; nothing of
// the project changes.
class CanvasRenderer
{
public:
    explicit CanvasRenderer(Canvas* canvas);
    CanvasRenderer(const CanvasRenderer&) = delete;
    CanvasRenderer& operator=(const CanvasRenderer&) = delete;

    // The part of the canvas a picture shows, in whole scene units.
    QRect sourceRect();
    QSize imageSize(double scale);
    // Empty when a picture at this scale may be drawn, else why not.
    QString sizeProblem(double scale);
    // Writes the picture; an existing file is replaced only on success.
    // On failure errorString() says why.
    bool write(const QString& path, PictureFile::Format format, double scale = 1.0);
    QString errorString() const { return error; }

    // Paints the source part of a canvas on white at the scale, as write()
    // does on every kind of picture; unlike write(), it leaves the canvas as
    // it is, neither settled nor without its selection.
    static void paint(Canvas* canvas, QPainter* painter, const QRect& source, double scale);

private:
    // Paints once off screen, so that what sizes or arranges itself while
    // painted (mirrors, lines, default colours) stands as the view shows it,
    // and gives the file of what the canvas then shows.
    PictureFile settled();

    Canvas* canvas;
    bool settledOnce = false;
    QString error;
};

#endif // CANVASRENDERER_H
