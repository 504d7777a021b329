#ifndef PROBLEMCHECK_H
#define PROBLEMCHECK_H

#include <QObject>
#include <QPointer>
#include <QVector>

#include <functional>
#include <memory>

#include "designlinter.h"

class Canvas;
class ProjectCanvases;
class QThread;

// The design errors and warnings of a whole project, as Generate and
// korvel-cli lint find them. The project is taken on the window's thread;
// the checks run on a thread of their own, so that the window stays
// responsive on a large project. A new check drops the outcome of the one
// running, which ends on its own.
class ProblemCheck : public QObject
{
    Q_OBJECT

public:
    struct Problem
    {
        DesignLinter::Finding finding;
        // Where to show it: the canvas, and the item found there when the
        // check was taken (compared, never followed: it may be gone since).
        QPointer<Canvas> canvas;
        const QObject* element = nullptr;
        // A failed test with no state to show opens its file instead.
        QString file;
    };
    using Done = std::function<void(const QVector<Problem>&)>;

    explicit ProblemCheck(QObject* parent = nullptr);
    ~ProblemCheck() override;

    // Canvas by canvas, in the project's order.
    void start(const ProjectCanvases& project, Done done);
    bool isRunning() const { return thread != nullptr; }
    // Waits for the running check, if any, and hands its outcome over.
    void finish();
    // Drops the running check's outcome without waiting for it.
    void cancel();

private:
    struct Taken;

    // Waits for every thread, the dropped ones too.
    void waitForAll();

    std::unique_ptr<QThread> thread;
    // Threads whose outcome was dropped, released once they end.
    QVector<QThread*> retired;
    std::shared_ptr<Taken> taken;
    Done done;
};

#endif // PROBLEMCHECK_H
