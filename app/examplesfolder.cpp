#include "examplesfolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {

// The install rule puts the examples here, relative to the bin folder.
const char installedExamples[] = "../share/korvel/examples";

} // namespace

QString ExamplesFolder::path()
{
    return path(QDir::currentPath(), QCoreApplication::applicationDirPath());
}

QString ExamplesFolder::path(const QString& workingDirectory, const QString& programDirectory)
{
    const QString local = QDir(workingDirectory).absoluteFilePath(QStringLiteral("Examples"));
    if (usable(local) || programDirectory.isEmpty())
        return local;
    const QString installed = QDir::cleanPath(QDir(programDirectory).absoluteFilePath(QLatin1String(installedExamples)));
    return usable(installed) ? installed : local;
}

bool ExamplesFolder::usable(const QString& folder)
{
    const QDir dir(folder);
    return dir.exists() && !dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty();
}
