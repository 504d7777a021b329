#ifndef PROJECTPICTURES_H
#define PROJECTPICTURES_H

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>

#include "diagramlayout.h"
#include "xmlio.h"

class ProjectPlacement;

// The canvases of a project file for pictures, without a window: one per
// diagram the window shows after Open, in the window's order, each laid out
// from its document as the window shows it on a visit from the browser.
class ProjectPictures
{
public:
    enum LoadResult { Loaded, Corrupt, Unreadable };

    ProjectPictures();
    ~ProjectPictures();
    ProjectPictures(const ProjectPictures&) = delete;
    ProjectPictures& operator=(const ProjectPictures&) = delete;

    // The integrity check, then the read of Open: Corrupt when the check
    // refuses the file, Unreadable when its items cannot be read.
    LoadResult load(const QString& path);
    // One line per record of the file that is not in the project.
    const QStringList& lostItems() const { return lost; }

    int count() const { return canvases.size(); }
    QString label(int canvas) const { return canvases.at(canvas).label; }
    int level(int canvas) const { return canvases.at(canvas).level; }
    // The labels from the project node down, joined by "/", as the browser
    // shows the path; empty when a canvas above is missing.
    QString browserPath(int canvas) const;
    // The canvas laid out, with the mirrors of its owning process's links
    // and dataflows when asked for, as a visit from the browser shows them.
    std::unique_ptr<DiagramLayout> layout(int canvas, bool mirrored = true) const;

private:
    struct Entry
    {
        int diagram = 0;
        int level = 0;
        QString label;
    };
    void collectMirrors(int canvas, QVector<DiagramLayout::LinkMirror>* links,
                        QVector<DiagramLayout::MemoryMirror>* memories) const;

    XmlIO io;
    std::unique_ptr<ProjectPlacement> placement;
    QVector<Entry> canvases;
    QStringList lost;
};

#endif // PROJECTPICTURES_H
