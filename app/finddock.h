#ifndef FINDDOCK_H
#define FINDDOCK_H

#include <QDockWidget>
#include <QVector>

#include "projectsearch.h"

class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

// Edit > Find: a field for the text and the list of the elements that hold
// it, across the whole project. Enter in the field searches and shows the
// first result; Enter or a double-click on a result shows that one; Find
// Next and Find Previous step through them. What "showing" means is the
// window's: the dock only says which result.
class FindDock : public QDockWidget
{
    Q_OBJECT

public:
    explicit FindDock(QWidget* parent = nullptr);

    // Brings the field forward with its text selected, for typing.
    void focusField();
    QString text() const;
    void setResults(const QVector<ProjectSearch::Hit>& hits);
    const QVector<ProjectSearch::Hit>& results() const { return hits; }
    // The result shown last, -1 before any.
    int currentResult() const { return current; }
    // Marks the result in the list and tells the window to show it; steps
    // wrap around the ends. False when there is nothing to show.
    bool showResult(int index);
    bool step(int by);
    // Says something about the search under the field ("3 results").
    void setStatus(const QString& message);
    // A closed project leaves nothing to show.
    void clear();

signals:
    void searchRequested(const QString& text);
    void resultChosen(const ProjectSearch::Hit& hit);

private:
    QLineEdit* field = nullptr;
    QLabel* status = nullptr;
    QTreeWidget* list = nullptr;
    QVector<ProjectSearch::Hit> hits;
    int current = -1;
};

#endif // FINDDOCK_H
