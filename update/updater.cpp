#include "updater.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include "downloader.h"

namespace {

// Carries the addresses asked before in the chain of redirects behind a
// request, so that every chain is bounded on its own even while several
// checks overlap, and no address is asked twice.
const auto visitedAttribute = QNetworkRequest::Attribute(QNetworkRequest::User + 1);
// The end of the whole check, on the steady clock, carried the same way.
const auto deadlineAttribute = QNetworkRequest::Attribute(QNetworkRequest::User + 2);
// Whether the check began as a default one: a later check of the other kind
// must not change what this one reports.
const auto quietAttribute = QNetworkRequest::Attribute(QNetworkRequest::User + 3);
// Set on a reply this checker aborted: the reason to report, or a flag for a
// manifest over the size cap.
const char stopReasonProperty[] = "korvelStopReason";
const char oversizedProperty[] = "korvelOversized";

const char downloadPage[] = "https://korvel.example.org/download";
const char makerSite[] = "https://korvel.example.org";

void showRichBox(const QString& text, const QString& informative, QMessageBox::StandardButton button,
                 QMessageBox::Icon icon = QMessageBox::Information)
{
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Korvel"));
    box.setIcon(icon);
    box.setTextFormat(Qt::RichText);
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    box.setText(text);
    box.setInformativeText(informative);
    box.setStandardButtons(button);
    box.exec();
}

bool isWebAddress(const QUrl& address)
{
    const QString scheme = address.scheme().toLower();
    return scheme == QLatin1String("https") || scheme == QLatin1String("http");
}

} // namespace

Updater::Updater()
    : userAgentString(QStringLiteral("%1/%2 (Qt; QSimpleUpdater)")
                          .arg(QCoreApplication::applicationName(), QCoreApplication::applicationVersion()))
    , platformKey(QStringLiteral("linux"))
    , moduleName(QCoreApplication::applicationName())
    , moduleVersion(QCoreApplication::applicationVersion())
    , downloader(new Downloader())
    , manager(new QNetworkAccessManager())
{
    connect(manager, &QNetworkAccessManager::finished, this, &Updater::onReply);
    connect(downloader, &Downloader::downloadFinished, this, &Updater::downloadFinished);
}

Updater::~Updater()
{
    delete downloader;
    delete manager;
}

bool Updater::getUseCustomInstallProcedures() const
{
    return downloader->useCustomInstallProcedures();
}

void Updater::setUrl(const QString& value) { url = value; }
void Updater::setModuleName(const QString& value) { moduleName = value; }
void Updater::setNotifyOnUpdate(bool value) { notifyOnUpdate = value; }
void Updater::setNotifyOnFinish(bool value) { notifyOnFinish = value; }
void Updater::setUserAgentString(const QString& value) { userAgentString = value; }
void Updater::setModuleVersion(const QString& value) { moduleVersion = value; }
void Updater::setDownloaderEnabled(bool value) { downloaderEnabled = value; }
void Updater::setPlatformKey(const QString& value) { platformKey = value; }
void Updater::setUseCustomAppcast(bool value) { customAppcast = value; }
void Updater::setUseCustomInstallProcedures(bool value) { downloader->setUseCustomInstallProcedures(value); }
void Updater::setMandatoryUpdate(bool value) { mandatoryUpdate = value; }
void Updater::setDefaultCheck(bool value) { defaultCheck = value; }

bool Updater::isAllowedAddress(const QUrl& address)
{
    if (!address.isValid() || address.host().isEmpty())
        return false;
    const QString scheme = address.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    if (scheme != QLatin1String("http"))
        return false;
    const QString host = address.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    QHostAddress literal;
    return literal.setAddress(host) && literal.isLoopback();
}

void Updater::checkForUpdates()
{
    startRequest(QUrl(url), QStringList(), QDeadlineTimer(checkDeadline), defaultCheck);
}

void Updater::startRequest(const QUrl& address, const QStringList& visited, const QDeadlineTimer& deadline,
                           bool quiet)
{
    if (!isAllowedAddress(address)) {
        // Fail from the event loop, the way a real reply would arrive.
        QTimer::singleShot(0, this, [this, quiet] {
            finishWithNetworkError(tr("the update address is not a secure one."), quiet);
        });
        return;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(visitedAttribute, QStringList(visited) << address.toString(QUrl::FullyEncoded));
    request.setAttribute(deadlineAttribute, deadline.deadline());
    request.setAttribute(quietAttribute, quiet);
    // A server that accepts but never answers must not hold a check open.
    request.setTransferTimeout(transferTimeoutMs);
    if (!userAgentString.isEmpty())
        request.setRawHeader("User-Agent", userAgentString.toUtf8());
    QNetworkReply* reply = manager->get(request);
    // Qt reads no further ahead than this, so an endless manifest costs no memory.
    reply->setReadBufferSize(maxManifestBytes + 1);
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] { readManifestPart(reply); });
    // A server that trickles a byte now and then resets every stall timeout.
    QTimer::singleShot(int(qMax<qint64>(0, deadline.remainingTime())), reply, [reply] {
        reply->setProperty(stopReasonProperty, tr("the server did not answer in time."));
        reply->abort();
    });
}

void Updater::readManifestPart(QNetworkReply* reply)
{
    QByteArray& part = manifestParts[reply];
    part += reply->read(maxManifestBytes + 1 - part.size());
    if (part.size() > maxManifestBytes) {
        manifestParts.remove(reply);
        // onReply runs from inside abort() and sees the reason.
        reply->setProperty(oversizedProperty, true);
        reply->abort();
    }
}

void Updater::finishWithNetworkError(const QString& reason, bool quiet)
{
    networkError = true;
    report(false, reason, quiet);
    emit checkingFinished(url);
}

void Updater::finishWithMalformedManifest(bool quiet)
{
    report(false, tr("the update information from the server is malformed."), quiet);
    emit checkingFinished(url);
}

void Updater::onReply(QNetworkReply* reply)
{
    reply->deleteLater();
    QByteArray data = manifestParts.take(reply);
    const bool quiet = reply->request().attribute(quietAttribute).toBool();

    if (reply->property(oversizedProperty).toBool()) {
        finishWithMalformedManifest(quiet);
        return;
    }
    const QString stopReason = reply->property(stopReasonProperty).toString();
    if (!stopReason.isEmpty()) {
        finishWithNetworkError(stopReason, quiet);
        return;
    }

    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (!target.isEmpty()) {
        const QStringList visited = reply->request().attribute(visitedAttribute).toStringList();
        const QUrl next = reply->url().resolved(target);
        if (visited.contains(next.toString(QUrl::FullyEncoded))) {
            finishWithNetworkError(tr("the server redirected in a loop."), quiet);
            return;
        }
        if (visited.size() > maxRedirects) {
            finishWithNetworkError(tr("the server redirected too often."), quiet);
            return;
        }
        if (!isAllowedAddress(next)) {
            finishWithNetworkError(tr("the server redirected to an address that is not a secure one."), quiet);
            return;
        }
        QDeadlineTimer deadline;
        deadline.setDeadline(reply->request().attribute(deadlineAttribute).toLongLong());
        url = next.toString();
        startRequest(next, visited, deadline, quiet);
        return;
    }

    if (reply->error() != QNetworkReply::NoError) {
        finishWithNetworkError(reply->errorString(), quiet);
        return;
    }

    data += reply->read(maxManifestBytes + 1 - data.size());
    if (data.size() > maxManifestBytes) {
        finishWithMalformedManifest(quiet);
        return;
    }
    if (customAppcast) {
        emit appcastDownloaded(url, data);
        emit checkingFinished(url);
        return;
    }

    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (document.isNull()) {
        finishWithMalformedManifest(quiet);
        return;
    }

    const QJsonObject entry =
        document.object().value(QStringLiteral("updates")).toObject().value(platformKey).toObject();
    openUrl = entry.value(QStringLiteral("open-url")).toString();
    changelog = entry.value(QStringLiteral("changelog")).toString();
    downloadUrl = entry.value(QStringLiteral("download-url")).toString();
    latestVersion = entry.value(QStringLiteral("latest-version")).toString();
    if (entry.contains(QStringLiteral("mandatory-update")))
        mandatoryUpdate = entry.value(QStringLiteral("mandatory-update")).toBool();

    report(compare(latestVersion, moduleVersion), QString(), quiet);
    emit checkingFinished(url);
}

bool Updater::compare(const QString& x, const QString& y)
{
    const QStringList xs = x.split(QLatin1Char('.'));
    const QStringList ys = y.split(QLatin1Char('.'));
    const int n = qMin(xs.size(), ys.size());
    for (int i = 0; i < n; ++i) {
        const int a = xs.at(i).toInt();
        const int b = ys.at(i).toInt();
        if (a > b)
            return true;
        if (a < b)
            return false;
    }
    return xs.size() > ys.size();
}

void Updater::setUpdateAvailable(bool available)
{
    report(available, QString(), defaultCheck);
}

void Updater::report(bool available, const QString& failure, bool quiet)
{
    updateAvailable = available;

    // Only the check the user asked for reports anything but an update.
    if (updateAvailable && (notifyOnUpdate || notifyOnFinish)) {
        askToDownload();
    } else if (!quiet && failure.isEmpty()) {
        showRichBox(tr("%1 %2 is the latest version.").arg(moduleName.toHtmlEscaped(), moduleVersion.toHtmlEscaped()),
                    tr("Feature requests and error reports are welcome on <a href='%1'>%1</a>.")
                        .arg(QLatin1String(makerSite)),
                    QMessageBox::Close);
    } else if (!quiet) {
        // The reason may quote the server; it must not become markup.
        showRichBox(tr("Could not check for updates: %1").arg(failure.toHtmlEscaped()),
                    tr("Please check again after some time. If the issue persists, look for updates "
                       "on <a href='%1'>%1</a>.")
                        .arg(QLatin1String(downloadPage)),
                    QMessageBox::Close, QMessageBox::Warning);
    }
}

void Updater::askToDownload()
{
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Korvel"));
    box.setIcon(QMessageBox::Information);
    box.setTextFormat(Qt::RichText);
    box.setText(QStringLiteral("<h3>") + tr("Version %1 of %2 has been released!")
                                                      .arg(latestVersion.toHtmlEscaped(), moduleName.toHtmlEscaped())
                + "</h3>");
    box.setInformativeText(mandatoryUpdate
                               ? tr("Would you like to download the update now? This is a mandatory update, "
                                    "exiting now will close the application")
                               : tr("Would you like to download the update now?"));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);

    if (box.exec() != QMessageBox::Yes) {
        // Through the window's own close path, so unsaved work is asked about.
        if (mandatoryUpdate)
            QApplication::closeAllWindows();
        return;
    }

    if (platformKey == QLatin1String("linux")) {
        showRichBox(tr("<p>Korvel %1 comes as an AppImage.</p><p>Get the updated AppImage from the "
                       "<a href='%2'>Korvel download page</a> and use it in place of the one you are "
                       "running.</p>")
                        .arg(latestVersion.toHtmlEscaped(), QLatin1String(downloadPage)),
                    QString(), QMessageBox::Ok);
        return;
    }

    // The manifest decides these addresses; open only web pages from it.
    if (!openUrl.isEmpty()) {
        if (isWebAddress(QUrl(openUrl)))
            QDesktopServices::openUrl(QUrl(openUrl));
    } else if (downloaderEnabled) {
        downloader->setUrlId(url);
        downloader->setFileName(downloadUrl.split(QLatin1Char('/')).last());
        downloader->setMandatoryUpdate(mandatoryUpdate);
        downloader->startDownload(QUrl(downloadUrl));
    } else if (isWebAddress(QUrl(downloadUrl))) {
        QDesktopServices::openUrl(QUrl(downloadUrl));
    }
}
