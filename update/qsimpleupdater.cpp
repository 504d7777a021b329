#include "qsimpleupdater.h"

#include <QCoreApplication>
#include <QPointer>

#include "updater.h"

QSimpleUpdater* QSimpleUpdater::getInstance()
{
    // Lives as long as the application, like the checks it may still be
    // running: the network threads of its updaters must end before the
    // application does, or they outlive what they use.
    static QPointer<QSimpleUpdater> instance;
    if (!instance) {
        instance = new QSimpleUpdater();
        instance->setParent(QCoreApplication::instance());
    }
    return instance;
}

Updater* QSimpleUpdater::getUpdater(const QString& url)
{
    const int index = URLS.indexOf(url);
    if (index >= 0)
        return UPDATERS.at(index);

    auto* updater = new Updater();
    updater->setParent(this);
    updater->setUrl(url);
    URLS.append(url);
    UPDATERS.append(updater);
    connect(updater, &Updater::checkingFinished, this, &QSimpleUpdater::checkingFinished);
    connect(updater, &Updater::downloadFinished, this, &QSimpleUpdater::downloadFinished);
    connect(updater, &Updater::appcastDownloaded, this, &QSimpleUpdater::appcastDownloaded);
    return updater;
}

bool QSimpleUpdater::usesCustomAppcast(const QString& url) { return getUpdater(url)->getUseCustomAppcast(); }
bool QSimpleUpdater::getNotifyOnUpdate(const QString& url) { return getUpdater(url)->getNotifyOnUpdate(); }
bool QSimpleUpdater::getNotifyOnFinish(const QString& url) { return getUpdater(url)->getNotifyOnFinish(); }
bool QSimpleUpdater::getUpdateAvailable(const QString& url) { return getUpdater(url)->getUpdateAvailable(); }
bool QSimpleUpdater::getDownloaderEnabled(const QString& url) { return getUpdater(url)->getDownloaderEnabled(); }
bool QSimpleUpdater::usesCustomInstallProcedures(const QString& url)
{
    return getUpdater(url)->getUseCustomInstallProcedures();
}
bool QSimpleUpdater::getMandatoryUpdate(const QString& url) { return getUpdater(url)->getMandatoryUpdate(); }
bool QSimpleUpdater::getDefaultCheck(const QString& url) { return getUpdater(url)->getDefaultCheck(); }
QString QSimpleUpdater::getOpenUrl(const QString& url) { return getUpdater(url)->getOpenUrl(); }
QString QSimpleUpdater::getChangelog(const QString& url) { return getUpdater(url)->getChangelog(); }
QString QSimpleUpdater::getModuleName(const QString& url) { return getUpdater(url)->getModuleName(); }
QString QSimpleUpdater::getDownloadUrl(const QString& url) { return getUpdater(url)->getDownloadUrl(); }
QString QSimpleUpdater::getPlatformKey(const QString& url) { return getUpdater(url)->getPlatformKey(); }
QString QSimpleUpdater::getLatestVersion(const QString& url) { return getUpdater(url)->getLatestVersion(); }
QString QSimpleUpdater::getModuleVersion(const QString& url) { return getUpdater(url)->getModuleVersion(); }
QString QSimpleUpdater::getUserAgentString(const QString& url) { return getUpdater(url)->getUserAgentString(); }

void QSimpleUpdater::checkForUpdates(const QString& url) { getUpdater(url)->checkForUpdates(); }
void QSimpleUpdater::setModuleName(const QString& url, const QString& name) { getUpdater(url)->setModuleName(name); }
void QSimpleUpdater::setNotifyOnUpdate(const QString& url, bool notify) { getUpdater(url)->setNotifyOnUpdate(notify); }
void QSimpleUpdater::setNotifyOnFinish(const QString& url, bool notify) { getUpdater(url)->setNotifyOnFinish(notify); }
void QSimpleUpdater::setPlatformKey(const QString& url, const QString& platform)
{
    getUpdater(url)->setPlatformKey(platform);
}
void QSimpleUpdater::setModuleVersion(const QString& url, const QString& version)
{
    getUpdater(url)->setModuleVersion(version);
}
void QSimpleUpdater::setDownloaderEnabled(const QString& url, bool enabled)
{
    getUpdater(url)->setDownloaderEnabled(enabled);
}
void QSimpleUpdater::setUserAgentString(const QString& url, const QString& agent)
{
    getUpdater(url)->setUserAgentString(agent);
}
void QSimpleUpdater::setUseCustomAppcast(const QString& url, bool customAppcast)
{
    getUpdater(url)->setUseCustomAppcast(customAppcast);
}
void QSimpleUpdater::setUseCustomInstallProcedures(const QString& url, bool custom)
{
    getUpdater(url)->setUseCustomInstallProcedures(custom);
}
void QSimpleUpdater::setMandatoryUpdate(const QString& url, bool mandatory)
{
    getUpdater(url)->setMandatoryUpdate(mandatory);
}
void QSimpleUpdater::setDefaultCheck(const QString& url, bool defaultCheck)
{
    getUpdater(url)->setDefaultCheck(defaultCheck);
}
