// korvel-cli-render: the render and coverage commands of korvel-cli, which
// hands it the command line. It draws canvases, so it needs Qt GUI, though
// never a display and never widgets.

#include <QGuiApplication>

#include <new>

#include "commandline.h"
#include "coveragecommand.h"
#include "rendercommand.h"
#include "safesavefile.h"

int main(int argc, char* argv[])
{
    qInstallMessageHandler(CommandLine::quietMessageHandler);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(CommandLine::programName));
    QCoreApplication::setApplicationVersion(QLatin1String(CommandLine::programVersion));

    for (const QString& message : SafeSaveFile::restoreInterrupted())
        CommandLine::printError(message);
    try {
        const QStringList arguments = QCoreApplication::arguments();
        if (arguments.value(1) == QLatin1String("coverage"))
            return CoverageCommand::run(arguments);
        return RenderCommand::run(arguments);
    } catch (const std::bad_alloc&) {
        CommandLine::printError(QStringLiteral("out of memory; nothing was written"));
        return CommandLine::UsageOrFatal;
    }
}
