#include "autosave.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <memory>

#include "document.h"
#include "projectcanvases.h"
#include "safesavefile.h"
#include "xmlio.h"

namespace {

constexpr int defaultInterval = 60000;
// While a dialog is open the copy waits; it looks again this much later.
constexpr int modalRetry = 5000;

const QLatin1String copySuffix(".vorn");
const QLatin1String sidecarSuffix(".json");

QString normalised(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString sidecarPathFor(const QString& copyPath)
{
    return copyPath.left(copyPath.size() - copySuffix.size()) + sidecarSuffix;
}

bool readSidecar(const QString& sidecarPath, Autosave::Recovery* out)
{
    QFile file(sidecarPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QJsonObject object = QJsonDocument::fromJson(file.read(64 * 1024)).object();
    out->originalPath = object.value(QStringLiteral("original")).toString();
    out->time = QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs);
    out->copyPath = sidecarPath.left(sidecarPath.size() - sidecarSuffix.size()) + copySuffix;
    return !out->originalPath.isEmpty() && out->time.isValid() && QFileInfo(out->copyPath).isFile()
           && out->copyPath == Autosave::copyPathFor(out->originalPath);
}

// Whatever the times say, a copy that differs from the file may hold work
// the file lacks; one that equals it holds nothing and goes.
bool worthOffering(Autosave::Recovery& recovery)
{
    const QFileInfo original(recovery.originalPath);
    if (!original.exists())
        return true;
    if (SafeSaveFile::sameContent(recovery.copyPath, recovery.originalPath)) {
        Autosave::remove(recovery.copyPath);
        return false;
    }
    recovery.fileTime = original.lastModified();
    recovery.fileChangedLater = recovery.fileTime > recovery.time;
    return true;
}

} // namespace

Autosave::Autosave(const ProjectCanvases* canvases, std::function<QString()> projectPath,
                   std::function<bool()> wanted, QObject* parent)
    : QObject(parent)
    , canvases(canvases)
    , projectPath(std::move(projectPath))
    , wanted(std::move(wanted))
{
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &Autosave::onTimeout);
}

int Autosave::interval()
{
    bool ok = false;
    const int fromTest = qEnvironmentVariableIntValue("KORVEL_AUTOSAVE_INTERVAL_MS", &ok);
    return ok && fromTest > 0 ? fromTest : defaultInterval;
}

void Autosave::setEnabled(bool on)
{
    enabled = on;
    if (!on)
        timer.stop();
}

void Autosave::noteChange()
{
    // The countdown runs from the first change after a write, so that steady
    // editing still gets a copy every interval.
    if (enabled && !timer.isActive())
        timer.start(interval());
}

void Autosave::onTimeout()
{
    if (!enabled || !wanted())
        return;
    // A dialog may be half way through changing the project.
    if (QApplication::activeModalWidget()) {
        timer.start(std::min(interval(), modalRetry));
        return;
    }
    startWrite();
}

void Autosave::writeFailed()
{
    lastWriteOk = false;
    if (!failing) {
        failing = true;
        emit failed(error);
    }
    timer.start(interval());
}

bool Autosave::writeNow()
{
    if (!startWrite())
        return false;
    writer.finish();
    return lastWriteOk;
}

bool Autosave::startWrite()
{
    writer.finish();
    const QString path = projectPath();
    if (path.isEmpty() || !canvases || canvases->isEmpty()) {
        error = tr("No project is open.");
        writeFailed();
        return false;
    }
    if (!QDir().mkpath(folder())) {
        error = SafeSaveFile::describeWriteFailure(folder() + QStringLiteral("/x"));
        writeFailed();
        return false;
    }
    const QString original = normalised(path);
    const QString copy = copyPathFor(original);
    auto document = std::make_shared<Document>();
    if (!canvases->takeSnapshot(document.get())) {
        error = canvases->saveError();
        writeFailed();
        return false;
    }
    writer.start(document, copy, [this, original, copy](const BackgroundWrite::Outcome& outcome) {
        if (!outcome.written) {
            error = outcome.error.isEmpty() ? SafeSaveFile::describeWriteFailure(copy) : outcome.error;
            writeFailed();
            return;
        }
        ownedCopy = copy;
        if (!writeSidecar(original, copy)) {
            writeFailed();
            return;
        }
        error.clear();
        lastWriteOk = true;
        failing = false;
        emit written();
    });
    return true;
}

bool Autosave::writeSidecar(const QString& original, const QString& copy)
{
    QJsonObject object;
    object.insert(QStringLiteral("original"), original);
    object.insert(QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
    QSaveFile sidecar(sidecarPathFor(copy));
    if (!sidecar.open(QIODevice::WriteOnly)
        || sidecar.write(QJsonDocument(object).toJson()) < 0 || !sidecar.commit()) {
        error = SafeSaveFile::describeWriteFailure(sidecar.fileName());
        return false;
    }
    return true;
}

void Autosave::projectSaved()
{
    // A copy being written would come back after it was removed.
    writer.finish();
    timer.stop();
    failing = false;
    const QString path = projectPath();
    if (!path.isEmpty())
        remove(copyPathFor(path));
    if (!ownedCopy.isEmpty())
        remove(ownedCopy);
    ownedCopy.clear();
}

void Autosave::projectClosed()
{
    writer.finish();
    timer.stop();
    failing = false;
    if (!ownedCopy.isEmpty())
        remove(ownedCopy);
    ownedCopy.clear();
}

void Autosave::adopt(const Recovery& recovery)
{
    writer.finish();
    ownedCopy = recovery.copyPath;
}

QString Autosave::folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/recovery");
}

QString Autosave::copyPathFor(const QString& projectPath)
{
    const QByteArray hash =
        QCryptographicHash::hash(normalised(projectPath).toUtf8(), QCryptographicHash::Sha1).toHex();
    return folder() + QLatin1Char('/') + QString::fromLatin1(hash) + copySuffix;
}

QVector<Autosave::Recovery> Autosave::offers()
{
    QVector<Recovery> found;
    const QDir dir(folder());
    for (const QString& name : dir.entryList({QStringLiteral("*") + sidecarSuffix}, QDir::Files)) {
        Recovery recovery;
        if (readSidecar(dir.filePath(name), &recovery) && worthOffering(recovery))
            found.append(recovery);
    }
    std::sort(found.begin(), found.end(),
              [](const Recovery& a, const Recovery& b) { return a.time < b.time; });
    return found;
}

bool Autosave::offerFor(const QString& projectPath, Recovery* out)
{
    return readSidecar(sidecarPathFor(copyPathFor(projectPath)), out) && worthOffering(*out);
}

void Autosave::remove(const QString& copyPath)
{
    if (!isRecoveryCopy(copyPath))
        return;
    QFile::remove(sidecarPathFor(copyPath));
    QFile::remove(copyPath);
}

QString Autosave::keepAside(const QString& copyPath)
{
    if (!isRecoveryCopy(copyPath))
        return copyPath;
    // Out of the offers by its name; nothing of it is deleted.
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    const QString aside = copyPath + QStringLiteral(".unreadable-") + stamp;
    if (!QFile::rename(copyPath, aside))
        return copyPath;
    QFile::rename(sidecarPathFor(copyPath), aside + sidecarSuffix);
    return aside;
}

bool Autosave::isRecoveryCopy(const QString& path)
{
    const QFileInfo info(path);
    return path.endsWith(copySuffix) && normalised(info.absolutePath()) == normalised(folder());
}
