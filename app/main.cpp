#include <QApplication>
#include <QStringList>

#include <unistd.h>

#include "instancemessenger.h"
#include "korvelresources.h"
#include "korvelstyle.h"
#include "mainwindow.h"
#include "runguard.h"

int main(int argc, char* argv[])
{
    // One Korvel per user: another user's instance is none of this one's business.
    const QString key = RunGuard::userKey(QStringLiteral("instance_anchor"), ::geteuid());
    RunGuard guard(key);
    enableHighDpiScaling();
    if (!guard.tryToRun()) {
        // The running instance comes forward and opens the file, if one was
        // named; one that does not answer is reported, and nothing is opened.
        QApplication app(argc, argv);
        return InstanceMessenger::handOver(key, QApplication::arguments().value(1));
    }

    QApplication app(argc, argv);
    QApplication::setStyle(new KorvelStyle);
    // Lets the desktop match the window to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvel.Korvel"));
    MainWindow window;
    InstanceMessenger messenger(key);
    QObject::connect(&messenger, &InstanceMessenger::openRequested, &window, &MainWindow::openRequestedFile);
    messenger.listen();
    window.showMaximized();

    window.restoreInterruptedSaves();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.openProjectFile(arguments.at(1));
    else
        window.offerRecoveryAtStart();

    return app.exec();
}
