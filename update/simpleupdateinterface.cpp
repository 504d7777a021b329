#include "simpleupdateinterface.h"

#include <QCoreApplication>

#include "qsimpleupdater.h"

const QString DEFS_URL = QStringLiteral("https://updates.korvel.example.org/updates.json");

SimpleUpdateInterface::SimpleUpdateInterface()
    : updater(QSimpleUpdater::getInstance())
{
}

QString SimpleUpdateInterface::manifestUrl()
{
    const QString configured = qEnvironmentVariable("KORVEL_UPDATE_URL").trimmed();
    return configured.isEmpty() ? DEFS_URL : configured;
}

void SimpleUpdateInterface::checkForUpdates(bool defaultCheck)
{
    const QString url = manifestUrl();
    updater->setModuleVersion(url, QCoreApplication::applicationVersion());
    updater->setNotifyOnFinish(url, true);
    updater->setNotifyOnUpdate(url, true);
    updater->setUseCustomAppcast(url, false);
    updater->setDownloaderEnabled(url, true);
    updater->setMandatoryUpdate(url, false);
    updater->setDefaultCheck(url, defaultCheck);
    updater->checkForUpdates(url);
}
