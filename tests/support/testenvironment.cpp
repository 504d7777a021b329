#include "testenvironment.h"

#include "korvelresources.h"
#include "unexpecteddialogguard.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {
QTemporaryDir& settingsDir()
{
    static QTemporaryDir dir;
    return dir;
}
} // namespace

void TestEnvironment::useThrowAwaySettings()
{
    QStandardPaths::setTestModeEnabled(true);
    const QString path = settingsDir().path();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, path + "/system");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, path + "/system");
    // Every main window checks for updates; a closed loopback port keeps
    // those checks off the network and lets them fail at once.
    qputenv("KORVEL_UPDATE_URL", "http://127.0.0.1:1/updates.json");
    UnexpectedDialogGuard::install();
}

QString TestEnvironment::settingsFolder()
{
    return settingsDir().path();
}

QString TestEnvironment::settingsFile()
{
    return settingsDir().path() + QStringLiteral("/Pelmora/Korvel.conf");
}

void TestEnvironment::loadResources()
{
    initKorvelResources();
}
