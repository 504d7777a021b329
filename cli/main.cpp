// korvel-cli: Korvel on the command line. Every command but render works on
// the project's data alone and links Qt Core only; render draws with Qt GUI
// and runs in korvel-cli-render, beside this program.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <new>

#include <unistd.h>

#include "commandline.h"
#include "projectcommands.h"
#include "safesavefile.h"
#include "testcommand.h"

namespace {

using CL = CommandLine;

int runWithoutCommand(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Korvel on the command line, without a display.\n\n"
        "Commands:\n"
        "  check FILE                  Integrity check: exit 0 if sound, 1 if corrupt or if\n"
        "                              items cannot be placed.\n"
        "  generate FILE -o DIR [--author A] [--organization O] [--version V] [--force]\n"
        "                              Writes the C files of every state machine into DIR.\n"
        "  resave FILE -o OUT [--allow-loss]\n"
        "                              Loads FILE and saves it to OUT as Save As does.\n"
        "  lint FILE [--format text|json] [--cc COMPILER]\n"
        "                              Design errors and warnings: exit 0 clean, 1 errors, 3 warnings.\n"
        "  simulate FILE --machine NAME [--ticks N] [--set VAR=VALUE[@TICK]]... [--scenario FILE]\n"
        "           [--format text|json] [--cc COMPILER]\n"
        "                              Compiles one machine's generated C and prints its state per\n"
        "                              tick: exit 0 ran, 1 design errors, 2 usage, compiler or run error.\n"
        "  test FILE TESTFILE... [--junit OUT] [--coverage DIR] [--cc COMPILER]\n"
        "                              Runs test cases on the machines' generated C: exit 0 all pass,\n"
        "                              1 failures, 2 usage, design, compiler or run error.\n"
        "  render FILE -o DIR [--format svg|png] [--scale S] [--canvas PATH]\n"
        "                              Draws every canvas (or one) into a picture per canvas in DIR.\n\n"
        "'korvel-cli COMMAND --help' describes a command and its exit codes."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("check, generate, resave, lint, simulate, test or render."),
                                 QStringLiteral("COMMAND ..."));
    if (!parser.parse(arguments))
        return CL::usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        CL::printOut(parser.helpText());
        return CL::Success;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        CL::printOut(QStringLiteral("%1 %2\n").arg(QLatin1String(CL::programName), QLatin1String(CL::programVersion)));
        return CL::Success;
    }
    if (parser.positionalArguments().isEmpty())
        return CL::usageError(QStringLiteral("missing COMMAND"));
    return CL::usageError(QStringLiteral("unknown command \"%1\"").arg(parser.positionalArguments().constFirst()));
}

// Hands the whole command line to korvel-cli-render.
int runRender(char* argv[])
{
    const QString place = CL::renderProgram();
    if (place.isEmpty()) {
        CL::printError(QStringLiteral("render: korvel-cli-render is not installed beside %1")
                           .arg(CL::displayPath(QCoreApplication::applicationFilePath())));
        return CL::UsageOrFatal;
    }
    const QByteArray program = QFile::encodeName(place);
    argv[0] = const_cast<char*>(program.constData());
    ::execv(program.constData(), argv);
    CL::printError(QStringLiteral("render: %1 cannot be run: %2")
                       .arg(CL::displayPath(place), QString::fromLocal8Bit(std::strerror(errno))));
    return CL::UsageOrFatal;
}

int runCommand(const QStringList& arguments)
{
    const QString command = arguments.value(1);
    if (command == QLatin1String("check"))
        return ProjectCommands::check(arguments);
    if (command == QLatin1String("generate"))
        return ProjectCommands::generate(arguments);
    if (command == QLatin1String("resave"))
        return ProjectCommands::resave(arguments);
    if (command == QLatin1String("lint"))
        return ProjectCommands::lint(arguments);
    if (command == QLatin1String("simulate"))
        return ProjectCommands::simulate(arguments);
    if (command == QLatin1String("test"))
        return TestCommand::run(arguments);
    return runWithoutCommand(arguments);
}

} // namespace

int main(int argc, char* argv[])
{
    qInstallMessageHandler(CL::quietMessageHandler);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(CL::programName));
    QCoreApplication::setApplicationVersion(QLatin1String(CL::programVersion));
    if (argc > 1 && std::strcmp(argv[1], "render") == 0)
        return runRender(argv);

    // A save cut off in place (by a kill or a crash) is undone first, so
    // that no command reads a half-written file.
    for (const QString& message : SafeSaveFile::restoreInterrupted())
        CL::printError(message);
    try {
        return runCommand(QCoreApplication::arguments());
    } catch (const std::bad_alloc&) {
        // Unwinding has dropped any file half written; the previous ones stay.
        CL::printError(QStringLiteral("out of memory; nothing was written"));
        return CL::UsageOrFatal;
    }
}
