#ifndef PROBLEMSDOCK_H
#define PROBLEMSDOCK_H

#include <QDockWidget>
#include <QVector>

#include "problemcheck.h"

class QLabel;
class QTreeWidget;

// View > Problems: the design errors and warnings of the whole project, one
// row each (severity, element, message, rule), as the last check found
// them. Enter or a double-click on a row asks the window to show it.
class ProblemsDock : public QDockWidget
{
    Q_OBJECT

public:
    explicit ProblemsDock(QWidget* parent = nullptr);

    // The design checks' findings; the last test run's failures stay below them.
    void setProblems(const QVector<ProblemCheck::Problem>& problems);
    // The failures of the last run of Run > Run Tests, rule "test".
    void setTestFailures(const QVector<ProblemCheck::Problem>& failures);
    const QVector<ProblemCheck::Problem>& problems() const { return shown; }
    int errorCount() const;
    void clear();

signals:
    void problemChosen(const ProblemCheck::Problem& problem);

private:
    void refill();

    QVector<ProblemCheck::Problem> design;
    QVector<ProblemCheck::Problem> tests;
    QLabel* summary = nullptr;
    QTreeWidget* list = nullptr;
    QVector<ProblemCheck::Problem> shown;
};

#endif // PROBLEMSDOCK_H
