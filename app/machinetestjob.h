#ifndef MACHINETESTJOB_H
#define MACHINETESTJOB_H

#include <QObject>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>

#include "machinetestreport.h"

class MachineSet;
class ProjectCanvases;
class BackgroundJob;

// Run > Run Tests: the project's machines are taken on the window's thread,
// the test files are read, built and run on a thread of their own, so that
// the window stays responsive while the compiler and the cases run. A new
// run drops the outcome of the one running, which ends on its own.
class MachineTestJob : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        // Why nothing ran (a bad test file, design errors, no compiler...).
        QString problem;
        QStringList notes;
        QVector<MachineTestReport::CaseOutcome> cases;
        QVector<MachineTestReport::MachineCoverage> coverage;
        // Kept for coverage: the machines the outcome speaks of.
        std::shared_ptr<MachineSet> machines;
    };
    using Done = std::function<void(const Outcome&)>;

    explicit MachineTestJob(QObject* parent = nullptr);

    void start(const ProjectCanvases& project, const QStringList& files, Done done);
    // Waits for the running job and hands its outcome over.
    void finish();
    // Drops the running one's outcome without waiting for it.
    void cancel();

private:
    BackgroundJob* job;
};

#endif // MACHINETESTJOB_H
