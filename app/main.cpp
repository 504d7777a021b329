#include <QApplication>
#include <QStringList>

#include "korvelresources.h"
#include "mainwindow.h"
#include "runguard.h"

int main(int argc, char* argv[])
{
    RunGuard guard(QStringLiteral("instance_anchor"));
    if (!guard.tryToRun())
        return 0;

    enableHighDpiScaling();
    QApplication app(argc, argv);
    MainWindow window;
    window.showMaximized();

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.openProjectFile(arguments.at(1));
    else
        window.offerRecoveryAtStart();

    // For the crash-recovery test only: an unsaved change in a real process,
    // which nothing outside the process could make otherwise.
    const QString testRename = qEnvironmentVariable("KORVEL_TEST_UNSAVED_RENAME");
    if (!testRename.isEmpty() && !window.getCanvases().isEmpty()) {
        window.getCanvases().first()->setLabel(testRename);
        window.markModified();
    }

    return app.exec();
}
