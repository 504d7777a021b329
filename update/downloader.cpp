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
    setWindowTitle(tr("Korvel - Updater"));
    setWindowIcon(QIcon(QStringLiteral(":/Images/Images/app_icon.ico")));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status);
    layout->addWidget(progress);
    layout->addWidget(cancelButton, 0, Qt::AlignRight);
    connect(cancelButton, &QPushButton::clicked, this, &Downloader::cancelDownload);
}

Downloader::~Downloader()
{
    delete manager;
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
    // Created on first use: most runs never download anything.
    if (!manager)
        manager = new QNetworkAccessManager();
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(Updater::maxRedirects);
    reply = manager->get(request);
    QNetworkReply* current = reply;
    connect(reply, &QNetworkReply::redirected, this, [current](const QUrl& target) {
        if (Updater::isAllowedAddress(target))
            emit current->redirectAllowed();
        else
            current->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, this, &Downloader::updateProgress);
    connect(reply, &QNetworkReply::finished, this, &Downloader::finishDownload);
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
    if (finished->error() != QNetworkReply::NoError) {
        fail(finished->errorString());
        return;
    }

    const QString path = QDir(downloadDir).absoluteFilePath(fileName);
    QSaveFile file(path);
    if (!QDir().mkpath(downloadDir) || !file.open(QIODevice::WriteOnly) || file.write(finished->readAll()) < 0
        || !file.commit()) {
        fail(tr("The update could not be written to %1.").arg(QDir::toNativeSeparators(path)));
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
}
