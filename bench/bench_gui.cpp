// Opens projects as the window shows them, offscreen: times the open (check
// and load), the first paint of the largest canvas at 1:1, a full repaint
// with that canvas fitted to an 1100x700 view, and a save.
//
//   bench_gui [--shots DIR] FILE.vorn ...
//
// --shots writes every canvas at 1:1 as DIR/<file>_<n>.png instead, to
// compare what the canvases look like before and after a change.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

#include "canvas.h"
#include "windowlesscanvases.h"
#include "projectcanvases.h"

namespace {

double msSince(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// The processor time of this process, user and system: on a machine shared
// with other work it tells more than the clock does.
double cpuMs()
{
    return std::clock() * 1000.0 / CLOCKS_PER_SEC;
}

// Paints the view's whole viewport as the window would on an expose.
void paintView(QGraphicsView& view)
{
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    view.render(&painter, QRectF(), view.viewport()->rect());
}

void shots(const QString& path, const QString& folder)
{
    WindowlessCanvases project;
    if (project.load(path) != WindowlessCanvases::Loaded) {
        std::fprintf(stderr, "bench_gui: cannot open %s\n", qPrintable(path));
        return;
    }
    int n = 0;
    for (Canvas* canvas : project.canvases().all()) {
        const QRectF area = canvas->contentRect().adjusted(-20, -20, 20, 20);
        if (area.isEmpty())
            continue;
        QImage image(area.size().toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        canvas->render(&painter, QRectF(image.rect()), area);
        painter.end();
        image.save(QStringLiteral("%1/%2_%3.png").arg(folder, QFileInfo(path).baseName()).arg(++n));
    }
}

void measure(const QString& path)
{
    QElapsedTimer timer;
    const double cpuBefore = cpuMs();
    timer.start();
    WindowlessCanvases project;
    if (project.load(path) != WindowlessCanvases::Loaded) {
        std::fprintf(stderr, "bench_gui: cannot open %s\n", qPrintable(path));
        return;
    }
    const double open = msSince(timer);
    const double openCpu = cpuMs() - cpuBefore;

    Canvas* largest = nullptr;
    for (Canvas* canvas : project.canvases().all()) {
        if (!largest || canvas->items().size() > largest->items().size())
            largest = canvas;
    }
    QGraphicsView view(largest);
    view.resize(1100, 700);
    view.show();
    QCoreApplication::processEvents();

    timer.restart();
    paintView(view);
    const double first = msSince(timer);

    view.fitInView(largest->contentRect(), Qt::KeepAspectRatio);
    paintView(view);
    timer.restart();
    paintView(view);
    const double fitted = msSince(timer);

    QTemporaryDir folder;
    timer.restart();
    const bool saved = project.saveAs(folder.filePath(QStringLiteral("saved.vorn")));
    const double save = msSince(timer);

    std::printf("%-28s %7d items  open %8.1f ms (cpu %7.1f ms)  first paint %7.1f ms  fitted repaint %7.1f ms  "
                "save %8.1f ms%s\n",
                qPrintable(QFileInfo(path).fileName()), int(largest->items().size()), open, openCpu, first,
                fitted, save, saved ? "" : " (failed)");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settingsFolder;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());

    QStringList args = app.arguments().mid(1);
    QString shotFolder;
    if (args.size() >= 2 && args.first() == QLatin1String("--shots")) {
        shotFolder = args.at(1);
        args = args.mid(2);
        QDir().mkpath(shotFolder);
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: bench_gui [--shots DIR] FILE.vorn ...\n");
        return 2;
    }
    for (const QString& path : qAsConst(args)) {
        if (shotFolder.isEmpty())
            measure(path);
        else
            shots(path, shotFolder);
    }
    return 0;
}
