#ifndef DOWNLOADER_H
#define DOWNLOADER_H

#include <QDialog>
#include <QString>
#include <memory>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;
class QPushButton;
class QSaveFile;
class QUrl;

// Fetches an update file into the download folder while showing its
// progress; used only for platforms that take a downloaded installer.
class Downloader : public QDialog
{
    Q_OBJECT

public:
    explicit Downloader(QWidget* parent = nullptr);
    ~Downloader() override;

    void setUrlId(const QString& value) { urlId = value; }
    void setFileName(const QString& value);
    void setMandatoryUpdate(bool value) { mandatoryUpdate = value; }
    void setUseCustomInstallProcedures(bool value) { customInstallProcedures = value; }
    bool useCustomInstallProcedures() const { return customInstallProcedures; }
    void setDownloadDir(const QString& value) { downloadDir = value; }
    QString getDownloadDir() const { return downloadDir; }
    QString getFileName() const { return fileName; }

    // A larger download fails, and so does one still running after the
    // deadline. Tests lower both.
    static constexpr qint64 maxDownloadBytes = 512LL * 1024 * 1024;
    static constexpr int downloadDeadlineMs = 30 * 60 * 1000;
    void setLimits(qint64 maxBytes, int deadlineMs);

    void startDownload(const QUrl& url);

signals:
    void downloadFinished(const QString& url, const QString& filepath);
    void downloadFailed(const QString& url, const QString& reason);

private slots:
    void updateProgress(qint64 received, qint64 total);
    void finishDownload();
    void cancelDownload();

private:
    // Moves what has arrived to the file; returns why the download must stop,
    // or an empty string.
    QString saveReceived(QNetworkReply* from);
    void stop(QNetworkReply* running, const QString& reason);
    void fail(const QString& reason);

    QLabel* status = nullptr;
    QProgressBar* progress = nullptr;
    QPushButton* cancelButton = nullptr;
    QNetworkAccessManager* manager = nullptr;
    QNetworkReply* reply = nullptr;
    // The download goes straight to disk, in chunks; it appears under its
    // name only when complete.
    std::unique_ptr<QSaveFile> file;
    qint64 received = 0;
    qint64 maxBytes = maxDownloadBytes;
    int deadlineMs = downloadDeadlineMs;
    QString stopReason;
    QString urlId;
    QString fileName = QStringLiteral("update");
    QString downloadDir;
    bool mandatoryUpdate = false;
    bool customInstallProcedures = false;
};

#endif // DOWNLOADER_H
