#ifndef DOWNLOADER_H
#define DOWNLOADER_H

#include <QDialog>
#include <QString>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;
class QPushButton;
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

    void startDownload(const QUrl& url);

signals:
    void downloadFinished(const QString& url, const QString& filepath);

private slots:
    void updateProgress(qint64 received, qint64 total);
    void finishDownload();
    void cancelDownload();

private:
    void fail(const QString& reason);

    QLabel* status = nullptr;
    QProgressBar* progress = nullptr;
    QPushButton* cancelButton = nullptr;
    QNetworkAccessManager* manager = nullptr;
    QNetworkReply* reply = nullptr;
    QString urlId;
    QString fileName = QStringLiteral("update");
    QString downloadDir;
    bool mandatoryUpdate = false;
    bool customInstallProcedures = false;
};

#endif // DOWNLOADER_H
