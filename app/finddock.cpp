#include "finddock.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

FindDock::FindDock(QWidget* parent)
    : QDockWidget(tr("Find"), parent)
{
    setObjectName(QStringLiteral("findDock"));
    auto* body = new QWidget(this);
    field = new QLineEdit(body);
    field->setObjectName(QStringLiteral("LE_Find"));
    field->setPlaceholderText(tr("Text to find in the whole project"));
    field->setClearButtonEnabled(true);
    status = new QLabel(body);
    status->setObjectName(QStringLiteral("LB_FindStatus"));
    list = new QTreeWidget(body);
    list->setObjectName(QStringLiteral("TW_FindResults"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels({tr("Element"), tr("Where"), tr("Found in"), tr("Text")});
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(field);
    layout->addWidget(status);
    layout->addWidget(list);
    setWidget(body);

    connect(field, &QLineEdit::returnPressed, this, [this] { emit searchRequested(field->text()); });
    // Enter and a double-click activate a row.
    connect(list, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* row) { showResult(list->indexOfTopLevelItem(row)); });
}

void FindDock::focusField()
{
    show();
    raise();
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
}

QString FindDock::text() const
{
    return field->text();
}

void FindDock::setResults(const QVector<ProjectSearch::Hit>& found)
{
    hits = found;
    current = -1;
    list->clear();
    QList<QTreeWidgetItem*> rows;
    for (const ProjectSearch::Hit& hit : hits)
        rows << new QTreeWidgetItem({hit.name, hit.where, hit.fields.join(QStringLiteral(", ")), hit.text});
    list->addTopLevelItems(rows);
    const QString text = field->text();
    if (hits.isEmpty())
        setStatus(tr("No element holds \"%1\".").arg(text));
    else if (hits.size() == 1)
        setStatus(tr("1 element holds \"%1\".").arg(text));
    else
        setStatus(tr("%1 elements hold \"%2\".").arg(hits.size()).arg(text));
}

bool FindDock::showResult(int index)
{
    if (index < 0 || index >= hits.size())
        return false;
    current = index;
    list->setCurrentItem(list->topLevelItem(index));
    emit resultChosen(hits.at(index));
    return true;
}

bool FindDock::step(int by)
{
    if (hits.isEmpty())
        return false;
    const int count = hits.size();
    const int from = current < 0 ? (by > 0 ? -1 : 0) : current;
    return showResult(((from + by) % count + count) % count);
}

void FindDock::setStatus(const QString& message)
{
    status->setText(message);
}

void FindDock::clear()
{
    hits.clear();
    current = -1;
    list->clear();
    status->clear();
}
