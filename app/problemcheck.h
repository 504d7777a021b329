#ifndef PROBLEMCHECK_H
#define PROBLEMCHECK_H

#include <QObject>
#include <QPointer>
#include <QVector>

#include <functional>
#include <memory>

#include "designlinter.h"

class BackgroundJob;
class Canvas;
class ProjectCanvases;

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
        // Where to show it: the canvas, and the item there that the element
        // was taken of, if it is still there.
        QPointer<Canvas> canvas;
        ElementId element = 0;
        // A failed test with no state to show opens its file at the line
        // that failed instead.
        QString file;
        int line = 0;
    };
    using Done = std::function<void(const QVector<Problem>&)>;

    explicit ProblemCheck(QObject* parent = nullptr);

    // Canvas by canvas, in the project's order.
    void start(const ProjectCanvases& project, Done done);
    // Waits for the running check, if any, and hands its outcome over.
    void finish();
    // Drops the running check's outcome without waiting for it.
    void cancel();

private:
    struct Taken;

    BackgroundJob* job;
};

#endif // PROBLEMCHECK_H
