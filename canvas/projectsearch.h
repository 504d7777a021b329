#ifndef PROJECTSEARCH_H
#define PROJECTSEARCH_H

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

class Canvas;
class ProjectCanvases;
class QGraphicsItem;

// Finds text in every canvas of a project: labels, guards, actions,
// descriptions, code, text items, and the names and types of memory items,
// links and dataflows. Case does not matter.
namespace ProjectSearch {

struct Hit
{
    // Guarded: a result outlives the element when it is deleted.
    QPointer<Canvas> canvas;
    QPointer<QObject> element;
    // "State Red", "Transition Go", "Text item".
    QString name;
    // The canvas's path in the project browser.
    QString where;
    // The fields that hold the text, in the order the dialog shows them.
    QStringList fields;
    // The first such field's text, on one line.
    QString text;

    QGraphicsItem* item() const;
};

// Every element that holds needle, canvas by canvas in project order, on a
// canvas in the order the items were added; nothing for an empty needle.
QVector<Hit> find(const ProjectCanvases& project, const QString& needle);

} // namespace ProjectSearch

#endif // PROJECTSEARCH_H
