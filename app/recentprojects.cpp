#include "recentprojects.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const char key[] = "recentProjects";

} // namespace

RecentProjects::RecentProjects(QSettings* settings)
    : settings(settings)
{
}

QString RecentProjects::normalised(const QString& path)
{
    if (path.isEmpty())
        return QString();
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QStringList RecentProjects::paths() const
{
    // A hand-edited store may hold anything; what is read is tidied the same way.
    QStringList result;
    const QStringList stored = settings->value(QLatin1String(key)).toStringList();
    for (const QString& path : stored) {
        const QString clean = normalised(path);
        if (!clean.isEmpty() && !result.contains(clean) && result.size() < maximum)
            result << clean;
    }
    return result;
}

void RecentProjects::add(const QString& path)
{
    const QString clean = normalised(path);
    if (clean.isEmpty())
        return;
    QStringList list = paths();
    list.removeAll(clean);
    list.prepend(clean);
    store(list.mid(0, maximum));
}

void RecentProjects::remove(const QString& path)
{
    QStringList list = paths();
    if (list.removeAll(normalised(path)) > 0)
        store(list);
}

void RecentProjects::clear()
{
    store(QStringList());
}

void RecentProjects::store(const QStringList& list)
{
    if (list.isEmpty())
        settings->remove(QLatin1String(key));
    else
        settings->setValue(QLatin1String(key), list);
    settings->sync();
}
