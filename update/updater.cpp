#include "updater.h"

#include <QApplication>
#include <QCoreApplication>
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

// Carries the number of redirects behind a request, so that every chain of
// requests is bounded on its own even while several checks overlap.
const auto redirectCountAttribute = QNetworkRequest::Attribute(QNetworkRequest::User + 1);

const char downloadPage[] = "https://korvel.example.org/download";
const char makerSite[] = "https://korvel.example.org";

void showRichBox(const QString& text, const QString& informative, QMessageBox::StandardButton button)
{
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Korvel"));
    box.setIcon(QMessageBox::Information);
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
    startRequest(QUrl(url), 0);
}

void Updater::startRequest(const QUrl& address, int redirects)
{
    if (!isAllowedAddress(address)) {
        // Fail from the event loop, the way a real reply would arrive.
        QTimer::singleShot(0, this, &Updater::finishWithNetworkError);
        return;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(redirectCountAttribute, redirects);
    // A server that accepts but never answers must not hold a check open.
    request.setTransferTimeout(transferTimeoutMs);
    if (!userAgentString.isEmpty())
        request.setRawHeader("User-Agent", userAgentString.toUtf8());
    manager->get(request);
}

void Updater::finishWithNetworkError()
{
    networkError = true;
    setUpdateAvailable(false);
    emit checkingFinished(url);
}

void Updater::onReply(QNetworkReply* reply)
{
    reply->deleteLater();

    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (!target.isEmpty()) {
        const int redirects = reply->request().attribute(redirectCountAttribute).toInt() + 1;
        const QUrl next = reply->url().resolved(target);
        if (redirects > maxRedirects || !isAllowedAddress(next)) {
            finishWithNetworkError();
            return;
        }
        url = next.toString();
        startRequest(next, redirects);
        return;
    }

    if (reply->error() != QNetworkReply::NoError) {
        finishWithNetworkError();
        return;
    }

    const QByteArray data = reply->readAll();
    if (customAppcast) {
        emit appcastDownloaded(url, data);
        emit checkingFinished(url);
        return;
    }

    const QJsonDocument document = QJsonDocument::fromJson(data);
    if (document.isNull()) {
        setUpdateAvailable(false);
        emit checkingFinished(url);
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

    setUpdateAvailable(compare(latestVersion, moduleVersion));
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
    updateAvailable = available;

    if (updateAvailable && (notifyOnUpdate || notifyOnFinish)) {
        askToDownload();
    } else if (!defaultCheck && !networkError) {
        showRichBox(QStringLiteral("<h3>") + tr("You're running the latest version of Korvel") + "</h3>",
                    tr("Feature requests and error reports are welcome on <a href='%1'>%1</a>.")
                        .arg(QLatin1String(makerSite)),
                    QMessageBox::Close);
    } else if (!defaultCheck && networkError) {
        showRichBox(QStringLiteral("<h3>") + tr("Korvel is experiencing Network issues") + "</h3>",
                    tr("Please check again after some time. If the issue persists, look for updates "
                       "on <a href='%1'>%1</a>.")
                        .arg(QLatin1String(downloadPage)),
                    QMessageBox::Close);
    }
}

void Updater::askToDownload()
{
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Korvel"));
    box.setIcon(QMessageBox::Information);
    box.setTextFormat(Qt::RichText);
    box.setText(QStringLiteral("<h3>") + tr("Version %1 of %2 has been released!").arg(latestVersion, moduleName)
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
                        .arg(latestVersion, QLatin1String(downloadPage)),
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
