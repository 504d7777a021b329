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
    shown = problems;
    list->clear();
    const QIcon errorIcon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warningIcon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    QList<QTreeWidgetItem*> rows;
    for (const ProblemCheck::Problem& problem : problems) {
        const DesignLinter::Finding& finding = problem.finding;
        const bool error = finding.severity == DesignLinter::Error;
        auto* row = new QTreeWidgetItem({error ? tr("Error") : tr("Warning"), finding.path, finding.message,
                                         finding.rule});
        row->setIcon(0, error ? errorIcon : warningIcon);
        rows << row;
    }
    list->addTopLevelItems(rows);
    const int errors = errorCount();
    const int warnings = problems.size() - errors;
    if (problems.isEmpty())
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
    shown.clear();
    list->clear();
    summary->setText(tr("No project is open."));
}
