#include "picturefile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSet>

#include <cmath>

#include "svgpicture.h"

namespace {

QString safeSegment(const QString& segment)
{
    QString safe;
    safe.reserve(segment.size());
    for (const QChar c : segment) {
        const bool kept = c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-')
            || c == QLatin1Char('.');
        safe.append(kept && !c.isSurrogate() ? c : QLatin1Char('_'));
    }
    return safe;
}

} // namespace

PictureFile::PictureFile(const QRectF& content)
    : source(content.toAlignedRect().adjusted(-margin, -margin, margin, margin))
{
}

QSize PictureFile::imageSize(double scale) const
{
    // A hair below whole numbers, so that 100.0000001 stays 100.
    return QSize(int(std::ceil(source.width() * scale - 1e-6)), int(std::ceil(source.height() * scale - 1e-6)));
}

QString PictureFile::sizeProblem(double scale) const
{
    const QSize size = imageSize(scale);
    if (qint64(size.width()) * size.height() > largestPixelCount) {
        return QCoreApplication::translate("CanvasRenderer",
                                           "the picture would be %1 by %2 pixels, more than %3 megapixels")
            .arg(size.width())
            .arg(size.height())
            .arg(largestPixelCount / 1000000);
    }
    if (size.width() > largestSide || size.height() > largestSide) {
        return QCoreApplication::translate("CanvasRenderer",
                                           "the picture would be %1 by %2 pixels, more than %3 on a side; "
                                           "choose a smaller scale")
            .arg(size.width())
            .arg(size.height())
            .arg(largestSide);
    }
    return QString();
}

void PictureFile::paint(QPainter* painter, const QRect& source, double scale, const Painting& painting)
{
    const QRectF target(0, 0, source.width() * scale, source.height() * scale);
    // The view's white behind the scene, in every viewer.
    painter->fillRect(QRectF(QPointF(0, 0), QSizeF(painter->device()->width(), painter->device()->height()))
                          .united(target),
                      Qt::white);
    painting(painter, target, QRectF(source));
}

bool PictureFile::write(const QString& path, Format format, double scale, const QString& title,
                        const Painting& painting)
{
    error = scaleProblem(scale);
    if (!error.isEmpty())
        return false;
    const QSize size = imageSize(scale);
    error = sizeProblem(scale);
    if (!error.isEmpty())
        return false;
    return format == Svg ? writeSvg(path, size, scale, title, painting) : writePng(path, size, scale, painting);
}

bool PictureFile::writeSvg(const QString& path, const QSize& size, double scale, const QString& title,
                           const Painting& painting)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    SvgPicture picture;
    picture.setOutputDevice(&file);
    picture.setSize(size);
    picture.setViewBox(QRect(QPoint(0, 0), size));
    // Items size themselves from the font metrics of the device they are
    // painted on: the SVG must measure text as the screen and PNG do.
    picture.setResolution(QImage(1, 1, QImage::Format_RGB32).logicalDpiY());
    // The picture writes the title as it is; a label is text, not markup.
    picture.setTitle(title.toHtmlEscaped());
    picture.setDescription(QStringLiteral("Drawn by Korvel"));
    QPainter painter;
    if (!painter.begin(&picture)) {
        error = QCoreApplication::translate("CanvasRenderer", "the SVG file cannot be started");
        return false;
    }
    paint(&painter, source, scale, painting);
    painter.end();
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

bool PictureFile::writePng(const QString& path, const QSize& size, double scale, const Painting& painting)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) {
        error = QCoreApplication::translate("CanvasRenderer",
                                            "there is not enough memory for a picture of %1 by %2 pixels")
                    .arg(size.width())
                    .arg(size.height());
        return false;
    }
    {
        QPainter painter(&image);
        paint(&painter, source, scale, painting);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    if (!image.save(&file, "PNG")) {
        error = file.error() != QFileDevice::NoError
            ? file.errorString()
            : QCoreApplication::translate("CanvasRenderer", "the PNG file cannot be written");
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

bool PictureFile::formatForFileName(const QString& path, Format* format)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("svg")) {
        *format = Svg;
        return true;
    }
    if (suffix == QLatin1String("png")) {
        *format = Png;
        return true;
    }
    return false;
}

QString PictureFile::suffix(Format format)
{
    return format == Svg ? QStringLiteral("svg") : QStringLiteral("png");
}

QString PictureFile::scaleProblem(double scale)
{
    if (std::isfinite(scale) && scale >= smallestScale && scale <= largestScale)
        return QString();
    return QCoreApplication::translate("CanvasRenderer", "the scale must be a number from %1 to %2")
        .arg(smallestScale)
        .arg(largestScale);
}

QStringList PictureFile::fileStems(const QStringList& browserPaths)
{
    QStringList stems;
    QSet<QString> taken;
    for (const QString& path : browserPaths) {
        QStringList parts;
        for (const QString& segment : path.split(QLatin1Char('/')))
            parts << safeSegment(segment);
        QString stem = parts.join(QLatin1Char('-'));
        // No hidden files, and room for a suffix within any file system's limit.
        if (stem.startsWith(QLatin1Char('.')))
            stem[0] = QLatin1Char('_');
        while (stem.toUtf8().size() > 200)
            stem.chop(1);
        if (stem.isEmpty())
            stem = QStringLiteral("canvas");
        QString candidate = stem;
        for (int n = 2; taken.contains(candidate.toLower()); ++n)
            candidate = stem + QLatin1Char('_') + QString::number(n);
        taken.insert(candidate.toLower());
        stems << candidate;
    }
    return stems;
}
