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

    return app.exec();
}
