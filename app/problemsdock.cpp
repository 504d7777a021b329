#include "problemsdock.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString counted(int count, const QString& one, const QString& many)
{
    return count == 1 ? one : many.arg(count);
}

} // namespace

ProblemsDock::ProblemsDock(QWidget* parent)
    : QDockWidget(tr("Problems"), parent)
{
    setObjectName(QStringLiteral("problemsDock"));
    auto* body = new QWidget(this);
    summary = new QLabel(body);
    summary->setObjectName(QStringLiteral("LB_ProblemsSummary"));
    list = new QTreeWidget(body);
    list->setObjectName(QStringLiteral("TW_Problems"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels({tr("Severity"), tr("Element"), tr("Message"), tr("Rule")});
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(summary);
    layout->addWidget(list);
    setWidget(body);
    connect(list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* row) {
        const int index = list->indexOfTopLevelItem(row);
        if (index >= 0 && index < shown.size())
            emit problemChosen(shown.at(index));
    });
    clear();
}

void ProblemsDock::setProblems(const QVector<ProblemCheck::Problem>& problems)
{
    design = problems;
    refill();
}

void ProblemsDock::setTestFailures(const QVector<ProblemCheck::Problem>& failures)
{
    tests = failures;
    refill();
}

void ProblemsDock::refill()
{
    const QVector<ProblemCheck::Problem> problems = design + tests;
    shown = problems;
    list->clear();
    QStyle* style = QApplication::style();
    const QIcon icons[] = {style->standardIcon(QStyle::SP_MessageBoxCritical),
                           style->standardIcon(QStyle::SP_MessageBoxWarning),
                           style->standardIcon(QStyle::SP_MessageBoxInformation)};
    const QString names[] = {tr("Error"), tr("Warning"), tr("Information")};
    QList<QTreeWidgetItem*> rows;
    int warnings = 0;
    for (const ProblemCheck::Problem& problem : problems) {
        const DesignLinter::Finding& finding = problem.finding;
        auto* row = new QTreeWidgetItem({names[finding.severity], finding.path, finding.message, finding.rule});
        row->setIcon(0, icons[finding.severity]);
        rows << row;
        warnings += finding.severity == DesignLinter::Warning ? 1 : 0;
    }
    list->addTopLevelItems(rows);
    const int errors = errorCount();
    if (errors == 0 && warnings == 0)
        summary->setText(tr("No problems found."));
    else
        summary->setText(counted(errors, tr("1 error"), tr("%1 errors")) + QStringLiteral(", ")
                         + counted(warnings, tr("1 warning"), tr("%1 warnings")));
}

int ProblemsDock::errorCount() const
{
    int errors = 0;
    for (const ProblemCheck::Problem& problem : shown)
        errors += problem.finding.severity == DesignLinter::Error ? 1 : 0;
    return errors;
}

void ProblemsDock::clear()
{
    design.clear();
    tests.clear();
    shown.clear();
    list->clear();
    summary->setText(tr("No project is open."));
}
