#include "canvasrenderer.h"

#include <QCoreApplication>
#include <QGraphicsItem>
#include <QList>
#include <QPainter>
#include <QPicture>

#include "canvas.h"
#include "itemshadow.h"

namespace {

// While it lives, the canvas shows no selection and no highlight; after, the
// selection comes back with the outline a click would give it.
class PlainLook
{
public:
    explicit PlainLook(Canvas* canvas)
        : canvas(canvas)
        , selected(canvas->selectedItems())
    {
        canvas->clearSelection();
        canvas->removeAllSelection();
    }
    ~PlainLook()
    {
        for (QGraphicsItem* item : qAsConst(selected)) {
            item->setSelected(true);
            canvas->highlight(item);
        }
    }
    PlainLook(const PlainLook&) = delete;
    PlainLook& operator=(const PlainLook&) = delete;

private:
    Canvas* canvas;
    const QList<QGraphicsItem*> selected;
};

PictureFile::Painting renderingOf(Canvas* canvas)
{
    return [canvas](QPainter* painter, const QRectF& target, const QRectF& source) {
        canvas->render(painter, target, source, Qt::IgnoreAspectRatio);
    };
}

} // namespace

CanvasRenderer::CanvasRenderer(Canvas* canvas)
    : canvas(canvas)
{
}

PictureFile CanvasRenderer::settled()
{
    if (!settledOnce) {
        settledOnce = true;
        // Lines a drag left behind out of view are drawn where they belong.
        canvas->followDeferred();
        const QRectF everything = canvas->contentRect();
        QPicture scratch;
        {
            QPainter painter(&scratch);
            canvas->render(&painter, everything, everything);
        }
        // The mirrors arrange themselves in a queued call after being painted.
        QCoreApplication::sendPostedEvents(canvas, QEvent::MetaCall);
    }
    QRectF bounds;
    const QList<QGraphicsItem*> items = canvas->items();
    for (const QGraphicsItem* item : items) {
        if (item->isVisible())
            bounds |= ItemShadow::sceneRectOf(item);
    }
    return PictureFile(bounds);
}

QRect CanvasRenderer::sourceRect()
{
    return settled().sourceRect();
}

QSize CanvasRenderer::imageSize(double scale)
{
    return settled().imageSize(scale);
}

QString CanvasRenderer::sizeProblem(double scale)
{
    return settled().sizeProblem(scale);
}

bool CanvasRenderer::write(const QString& path, PictureFile::Format format, double scale)
{
    error = PictureFile::scaleProblem(scale);
    if (!error.isEmpty())
        return false;
    const PlainLook plain(canvas);
    PictureFile picture = settled();
    const bool written = picture.write(path, format, scale, canvas->getLabel(), renderingOf(canvas));
    error = picture.errorString();
    return written;
}

void CanvasRenderer::paint(Canvas* canvas, QPainter* painter, const QRect& source, double scale)
{
    PictureFile::paint(painter, source, scale, renderingOf(canvas));
}
