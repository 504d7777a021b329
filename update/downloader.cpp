#include "downloader.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "updater.h"

Downloader::Downloader(QWidget* parent)
    : QDialog(parent)
    , status(new QLabel(this))
    , progress(new QProgressBar(this))
    , cancelButton(new QPushButton(tr("Cancel"), this))
    , downloadDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation))
{
    // Names and reasons come from the manifest and the server: never markup.
    status->setTextFormat(Qt::PlainText);
    setWindowTitle(tr("Korvel - Updater"));
    setWindowIcon(QIcon(QStringLiteral(":/Images/Images/app_icon.ico")));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status);
    layout->addWidget(progress);
    layout->addWidget(cancelButton, 0, Qt::AlignRight);
    connect(cancelButton, &QPushButton::clicked, this, &Downloader::cancelDownload);
}

namespace {

// Qt reads no further ahead of the file than this.
constexpr qint64 chunkBytes = 1024 * 1024;

} // namespace

Downloader::~Downloader()
{
    delete manager;
}

void Downloader::setLimits(qint64 maxBytes, int deadlineMs)
{
    this->maxBytes = maxBytes;
    this->deadlineMs = deadlineMs;
}

void Downloader::setFileName(const QString& value)
{
    // The name comes from the manifest; it must not leave the download folder.
    const QString name = value.section(QLatin1Char('/'), -1);
    fileName = (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        ? QStringLiteral("update")
        : name;
}

void Downloader::startDownload(const QUrl& url)
{
    if (reply)
        return;
    status->setText(tr("Downloading %1...").arg(fileName));
    progress->setRange(0, 0);
    cancelButton->setText(tr("Cancel"));
    show();

    if (!Updater::isAllowedAddress(url)) {
        fail(tr("The update address is not a secure one."));
        return;
    }
    const QString path = QDir(downloadDir).absoluteFilePath(fileName);
    file = std::make_unique<QSaveFile>(path);
    if (!QDir().mkpath(downloadDir) || !file->open(QIODevice::WriteOnly)) {
        file.reset();
        fail(tr("The update could not be written to %1.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    received = 0;
    stopReason.clear();

    // Created on first use: most runs never download anything.
    if (!manager)
        manager = new QNetworkAccessManager();
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(Updater::maxRedirects);
    request.setTransferTimeout(Updater::transferTimeoutMs);
    reply = manager->get(request);
    reply->setReadBufferSize(chunkBytes);
    QNetworkReply* current = reply;
    connect(reply, &QNetworkReply::redirected, this, [current](const QUrl& target) {
        if (Updater::isAllowedAddress(target))
            emit current->redirectAllowed();
        else
            current->abort();
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, current] {
        const QString reason = saveReceived(current);
        if (!reason.isEmpty())
            stop(current, reason);
    });
    connect(reply, &QNetworkReply::downloadProgress, this, &Downloader::updateProgress);
    connect(reply, &QNetworkReply::finished, this, &Downloader::finishDownload);
    // The stall timeout alone lets a trickling server keep it open for ever.
    QTimer::singleShot(deadlineMs, current, [this, current] {
        stop(current, tr("The download did not finish in time."));
    });
}

QString Downloader::saveReceived(QNetworkReply* from)
{
    while (from->bytesAvailable() > 0) {
        const QByteArray chunk = from->read(chunkBytes);
        received += chunk.size();
        if (received > maxBytes)
            return tr("The update is larger than %1 MiB.").arg(maxBytes / (1024 * 1024));
        if (!file || file->write(chunk) != chunk.size())
            return tr("The update could not be written to %1.")
                .arg(QDir::toNativeSeparators(QDir(downloadDir).absoluteFilePath(fileName)));
    }
    return QString();
}

void Downloader::stop(QNetworkReply* running, const QString& reason)
{
    if (running != reply || !stopReason.isEmpty())
        return;
    stopReason = reason;
    running->abort(); // finishes the download, which reports the reason
}

void Downloader::updateProgress(qint64 received, qint64 total)
{
    if (total > 0) {
        progress->setRange(0, 100);
        progress->setValue(int(received * 100 / total));
    }
}

void Downloader::finishDownload()
{
    QNetworkReply* finished = reply;
    reply = nullptr;
    finished->deleteLater();
    // Dropping an uncommitted file removes what was written of it.
    std::unique_ptr<QSaveFile> saved = std::move(file);
    QString reason = stopReason;
    if (reason.isEmpty() && finished->error() != QNetworkReply::NoError)
        reason = finished->errorString();
    if (reason.isEmpty())
        reason = saveReceived(finished);
    const QString path = QDir(downloadDir).absoluteFilePath(fileName);
    if (reason.isEmpty() && (!saved || !saved->commit()))
        reason = tr("The update could not be written to %1.").arg(QDir::toNativeSeparators(path));
    if (!reason.isEmpty()) {
        fail(reason);
        return;
    }

    progress->setRange(0, 100);
    progress->setValue(100);
    status->setText(tr("Download complete."));
    emit downloadFinished(urlId, path);
    if (!customInstallProcedures)
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    accept();
}

void Downloader::cancelDownload()
{
    if (reply) {
        QNetworkReply* running = reply;
        reply = nullptr;
        disconnect(running, nullptr, this, nullptr);
        running->abort();
        running->deleteLater();
        file.reset();
    }
    reject();
    // Refusing a mandatory update ends the program, as declining it does.
    if (mandatoryUpdate)
        QApplication::closeAllWindows();
}

void Downloader::fail(const QString& reason)
{
    progress->setRange(0, 100);
    progress->setValue(0);
    status->setText(tr("The update could not be downloaded.\n%1").arg(reason));
    cancelButton->setText(tr("Close"));
    emit downloadFailed(urlId, reason);
}
