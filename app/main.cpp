#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include "instancemessenger.h"
#include "korvelresources.h"
#include "mainwindow.h"
#include "runguard.h"

int main(int argc, char* argv[])
{
    const QString key = QStringLiteral("instance_anchor");
    RunGuard guard(key);
    if (!guard.tryToRun()) {
        // The running instance comes forward and opens the file, if one was
        // named; one that does not answer is left alone, silently as before.
        QCoreApplication app(argc, argv);
        InstanceMessenger::send(key, QCoreApplication::arguments().value(1));
        return 0;
    }

    enableHighDpiScaling();
    QApplication app(argc, argv);
    // Lets the desktop match the window to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.korvel.Korvel"));
    MainWindow window;
    window.showMaximized();

    InstanceMessenger messenger(key);
    QObject::connect(&messenger, &InstanceMessenger::openRequested, &window, &MainWindow::openRequestedFile);
    messenger.listen();

    window.restoreInterruptedSaves();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.openProjectFile(arguments.at(1));
    else
        window.offerRecoveryAtStart();

    return app.exec();
}
