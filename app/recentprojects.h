#ifndef RECENTPROJECTS_H
#define RECENTPROJECTS_H

#include <QString>
#include <QStringList>

class QSettings;

// The projects opened or saved last, newest first, kept in the settings
// under "recentProjects" so that every window and every start shares them.
class RecentProjects
{
public:
    static constexpr int maximum = 8;

    explicit RecentProjects(QSettings* settings);

    QStringList paths() const;
    // Puts the file first; an entry for the same file moves up instead of
    // repeating, and the oldest beyond the maximum is dropped.
    void add(const QString& path);
    void remove(const QString& path);
    void clear();

    // The form in which a path is kept and compared: absolute and clean.
    static QString normalised(const QString& path);

private:
    void store(const QStringList& paths);

    QSettings* settings;
};

#endif // RECENTPROJECTS_H
