#ifndef UPDATER_H
#define UPDATER_H

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <QHash>

class Downloader;
class QDeadlineTimer;
class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// Checks one update manifest: fetches it, reads this platform's entry,
// compares the versions and tells the user what it found.
class Updater : public QObject
{
    Q_OBJECT

public:
    Updater();
    ~Updater() override;

    QString getUrl() const { return url; }
    QString getOpenUrl() const { return openUrl; }
    QString getChangelog() const { return changelog; }
    QString getModuleName() const { return moduleName; }
    QString getDownloadUrl() const { return downloadUrl; }
    QString getPlatformKey() const { return platformKey; }
    QString getModuleVersion() const { return moduleVersion; }
    QString getLatestVersion() const { return latestVersion; }
    QString getUserAgentString() const { return userAgentString; }
    bool getNotifyOnUpdate() const { return notifyOnUpdate; }
    bool getNotifyOnFinish() const { return notifyOnFinish; }
    bool getUpdateAvailable() const { return updateAvailable; }
    bool getDownloaderEnabled() const { return downloaderEnabled; }
    bool getUseCustomAppcast() const { return customAppcast; }
    bool getUseCustomInstallProcedures() const;
    bool getMandatoryUpdate() const { return mandatoryUpdate; }
    bool getDefaultCheck() const { return defaultCheck; }
    bool getNetworkError() const { return networkError; }
    Downloader* getDownloader() const { return downloader; }

    // True when version x is newer than version y.
    static bool compare(const QString& x, const QString& y);
    // Only secure addresses are fetched; plain http only on this machine.
    static bool isAllowedAddress(const QUrl& address);

    static constexpr int maxRedirects = 5;
    // A transfer that stalls this long fails.
    static constexpr int transferTimeoutMs = 30000;
    // A whole check, redirects included, ends after this long however
    // slowly the server keeps sending.
    static constexpr int checkDeadlineMs = 30000;
    // A larger manifest is treated as a malformed one.
    static constexpr int maxManifestBytes = 64 * 1024;

    // Checks started afterwards end after ms milliseconds (tests shorten it).
    void setCheckDeadline(int ms) { checkDeadline = ms; }

signals:
    void checkingFinished(const QString& url);
    void downloadFinished(const QString& url, const QString& filepath);
    void appcastDownloaded(const QString& url, const QByteArray& data);

public slots:
    void checkForUpdates();
    void setUrl(const QString& value);
    void setModuleName(const QString& value);
    void setNotifyOnUpdate(bool value);
    void setNotifyOnFinish(bool value);
    void setUserAgentString(const QString& value);
    void setModuleVersion(const QString& value);
    void setDownloaderEnabled(bool value);
    void setPlatformKey(const QString& value);
    void setUseCustomAppcast(bool value);
    void setUseCustomInstallProcedures(bool value);
    void setMandatoryUpdate(bool value);
    void setDefaultCheck(bool value);

private slots:
    void onReply(QNetworkReply* reply);
    void setUpdateAvailable(bool available);

private:
    // quiet: started as a default check, which reports only an update.
    // visited: the addresses this check has asked before, redirects included.
    void startRequest(const QUrl& address, const QStringList& visited, const QDeadlineTimer& deadline, bool quiet);
    void readManifestPart(QNetworkReply* reply);
    void finishWithNetworkError(const QString& reason, bool quiet);
    void finishWithMalformedManifest(bool quiet);
    // Stores the outcome and tells the user; failure is empty on success.
    void report(bool available, const QString& failure, bool quiet);
    void askToDownload();

    QString url;
    QString userAgentString;
    bool customAppcast = false;
    bool notifyOnUpdate = true;
    bool notifyOnFinish = false;
    bool updateAvailable = false;
    bool downloaderEnabled = true;
    bool mandatoryUpdate = false;
    QString openUrl;
    QString platformKey;
    QString changelog;
    QString moduleName;
    QString downloadUrl;
    QString moduleVersion;
    QString latestVersion;
    bool defaultCheck = false;
    bool networkError = false;
    int checkDeadline = checkDeadlineMs;
    // Manifest bytes received so far, per pending reply.
    QHash<QNetworkReply*, QByteArray> manifestParts;
    Downloader* downloader = nullptr;
    QNetworkAccessManager* manager = nullptr;
};

#endif // UPDATER_H
