// Drives the real main window on a large state machine with synthetic mouse
// and key events, and prints how long each gesture keeps the window busy,
// one line each:
//
//   gesture<TAB>NAME<TAB>MILLISECONDS<TAB>TARGET_MILLISECONDS
//
// A continuous gesture (hover, drag step) must fit in one frame at 60 Hz, a
// single action in a few. Each time includes the repaint that follows. The
// continuous gestures and the clicks give the median of several; the rest
// are timed once, as a user meets them once.
//
//   bench_gestures FILE.vorn [GESTURE ...]   (FILE made by bench_makeproject;
//                                             GESTURE: hover, click, ... alone)

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "autosave.h"
#include "canvas.h"
#include "mainwindow.h"
#include "stateitem.h"

namespace {

// Lets the window handle what the gesture posted, repaints included.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

double timed(const std::function<void()>& gesture)
{
    QElapsedTimer timer;
    timer.start();
    gesture();
    settle();
    return timer.nsecsElapsed() / 1e6;
}

double median(QVector<double> times)
{
    std::sort(times.begin(), times.end());
    return times.isEmpty() ? 0 : times.at(times.size() / 2);
}

void report(const char* name, double ms, double target)
{
    std::printf("gesture\t%s\t%.1f\t%.0f\n", name, ms, target);
    std::fflush(stdout);
}

void mouse(QWidget* viewport, QEvent::Type type, const QPoint& at, Qt::MouseButton button,
           Qt::MouseButtons held)
{
    QMouseEvent event(type, at, viewport->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}

QModelIndex nodeNamed(const QAbstractItemModel* model, const QString& label, const QModelIndex& parent = {})
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        if (index.data().toString() == label)
            return index;
        const QModelIndex inside = nodeNamed(model, label, index);
        if (inside.isValid())
            return inside;
    }
    return {};
}

class Gestures
{
public:
    Gestures(MainWindow& window, const QString& machine, const QString& other)
        : window(window)
        , tree(window.findChild<QTreeView*>(QStringLiteral("treeView")))
        , machineNode(nodeNamed(tree->model(), machine))
        , otherNode(nodeNamed(tree->model(), other))
    {
        window.on_treeView_doubleClicked(machineNode);
        settle();
        canvas = window.getCurrentCanvas();
        view = window.graphicsView();
        for (QGraphicsItem* item : canvas->items())
            if (auto* state = dynamic_cast<StateItem*>(item))
                states.append(state);
        std::sort(states.begin(), states.end(),
                  [](const StateItem* a, const StateItem* b) { return a->pos().y() < b->pos().y()
                                                                   || (a->pos().y() == b->pos().y()
                                                                       && a->pos().x() < b->pos().x()); });
    }

    QAction* action(const char* name) const { return window.findChild<QAction*>(QString::fromLatin1(name)); }
    QPoint onScreen(const StateItem* state) const
    {
        return view->mapFromScene(state->sceneBoundingRect().center());
    }
    void select(int count)
    {
        canvas->clearSelection();
        for (int i = 0; i < count && i < states.size(); ++i)
            states.at(i)->setSelected(true);
        settle();
    }

    void hover()
    {
        QVector<double> times;
        view->centerOn(states.first());
        settle();
        QWidget* viewport = view->viewport();
        for (int step = 0; step < 40; ++step) {
            const QPoint at(20 + step * 17 % (viewport->width() - 40), 20 + step * 11 % (viewport->height() - 40));
            times << timed([&] { mouse(viewport, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); });
        }
        report("hover", median(times), 4);
    }

    void click()
    {
        QVector<double> times;
        QWidget* viewport = view->viewport();
        for (int i = 0; i < 7; ++i) {
            const QPoint at = onScreen(states.at(i));
            times << timed([&] {
                mouse(viewport, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
                mouse(viewport, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
            });
        }
        report("click", median(times), 16);
    }

    void dragStep()
    {
        select(1000);
        QWidget* viewport = view->viewport();
        QPoint at = onScreen(states.first());
        // Pressing on a selected state keeps the selection for the drag.
        mouse(viewport, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        settle();
        QVector<double> times;
        for (int step = 0; step < 12; ++step) {
            at += QPoint(3, 2);
            times << timed([&] { mouse(viewport, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); });
        }
        // The drop: the lines left behind follow, and the moves become one step.
        const double drop = timed([&] { mouse(viewport, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); });
        settle();
        report("drag-step", median(times), 16);
        report("drop-1000", drop, 100);
    }

    void selectAll()
    {
        canvas->clearSelection();
        settle();
        QAction* all = action("actionSelect_All");
        report("select-all", all ? timed([all] { all->trigger(); }) : -1, 50);
        canvas->clearSelection();
        settle();
    }

    void deleteAndUndo()
    {
        select(1000);
        report("delete-1000", timed([this] { action("actionDelete")->trigger(); }), 50);
        report("undo-delete", timed([this] { action("actionUndo")->trigger(); }), 100);
    }

    void zoom()
    {
        QVector<double> times;
        for (int i = 0; i < 3; ++i) {
            times << timed([this] { action("actionzoom_in")->trigger(); });
            times << timed([this] { action("actionzoom_out")->trigger(); });
        }
        report("zoom-step", median(times), 50);
        report("fit", timed([this] { action("actionFit_to_window")->trigger(); }), 100);
    }

    // From an empty corner of the fitted machine to the middle of the view:
    // the band ends up enclosing about a quarter of the states. The time is
    // the median step's, or letting go's when that is longer.
    void rubberBand()
    {
        action("actionFit_to_window")->trigger();
        canvas->clearSelection();
        settle();
        QWidget* viewport = view->viewport();
        QPoint at(2, 2);
        mouse(viewport, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        settle();
        QVector<double> times;
        for (int step = 0; step < 12; ++step) {
            at += QPoint(viewport->width() / 24, viewport->height() / 24);
            times << timed([&] { mouse(viewport, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton); });
        }
        // Letting go shows what the band took: it counts as much as a step.
        const double release = timed([&] {
            mouse(viewport, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        });
        report("rubber-band", canvas->selectedItems().isEmpty() ? -1 : qMax(median(times), release), 50);
        canvas->clearSelection();
        settle();
    }

    void switchCanvas()
    {
        const double away = timed([this] { window.on_treeView_doubleClicked(otherNode); });
        const double back = timed([this] { window.on_treeView_doubleClicked(machineNode); });
        report("switch-canvas", qMax(away, back), 50);
    }

    void saves()
    {
        // Both write on another thread: what counts is how long the window
        // is held, not how long the write takes.
        report("save-blocked", timed([this] { action("actionSave")->trigger(); }), 16);
        window.finishSaving();
        select(1);
        action("actionDelete")->trigger();
        settle();
        report("autosave-blocked", timed([this] { window.autosaver()->startWrite(); }), 16);
        window.autosaver()->finishWrite();
        action("actionUndo")->trigger();
        action("actionSave")->trigger();
        window.finishSaving();
        settle();
    }

    void close()
    {
        report("close", timed([this] { action("actionClose_Project")->trigger(); }), 300);
    }

private:
    MainWindow& window;
    QTreeView* tree;
    QModelIndex machineNode;
    QModelIndex otherNode;
    Canvas* canvas = nullptr;
    QGraphicsView* view = nullptr;
    QVector<StateItem*> states;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KORVEL_UPDATE_URL", "http://127.0.0.1:1/updates.json");
    QApplication app(argc, argv);
    QTemporaryDir settingsFolder;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    if (app.arguments().size() < 2) {
        std::fprintf(stderr, "usage: bench_gestures FILE.vorn [GESTURE ...]\n");
        return 2;
    }
    const QStringList only = app.arguments().mid(2);
    const auto wanted = [&only](const char* name) { return only.isEmpty() || only.contains(QLatin1String(name)); };
    // The window saves into the file: it works on a copy.
    const QString file = settingsFolder.filePath(QStringLiteral("gestures.vorn"));
    if (!QFile::copy(app.arguments().at(1), file)) {
        std::fprintf(stderr, "bench_gestures: cannot copy %s\n", qPrintable(app.arguments().at(1)));
        return 2;
    }
    MainWindow window;
    window.resize(1400, 900);
    window.show();
    window.openFile(file);
    settle();
    if (window.getCanvases().size() < 5) {
        std::fprintf(stderr, "bench_gestures: cannot open %s\n", qPrintable(file));
        return 2;
    }
    Gestures gestures(window, QStringLiteral("Big_Machine"), QStringLiteral("Controller"));
    if (wanted("hover"))
        gestures.hover();
    if (wanted("click"))
        gestures.click();
    if (wanted("drag-step") || wanted("drop-1000"))
        gestures.dragStep();
    if (wanted("select-all"))
        gestures.selectAll();
    if (wanted("delete-1000") || wanted("undo-delete"))
        gestures.deleteAndUndo();
    if (wanted("zoom-step") || wanted("fit"))
        gestures.zoom();
    if (wanted("rubber-band"))
        gestures.rubberBand();
    if (wanted("switch-canvas"))
        gestures.switchCanvas();
    if (wanted("save-blocked") || wanted("autosave-blocked"))
        gestures.saves();
    if (wanted("close"))
        gestures.close();
    return 0;
}
