#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include "projectfilereader.h"

class QCommandLineOption;
class QCommandLineParser;
class XmlIO;

// What every command of korvel-cli shares: the exit codes, messages of one
// line each on stderr, and reading the project file a command names.
class CommandLine
{
public:
    enum ExitCode { Success = 0, Failure = 1, UsageOrFatal = 2, WarningsOnly = 3 };

    static const char programName[];
    static const char programVersion[];

    static void printOut(const QString& text);
    // Every message is one line, whatever the names and file contents hold.
    static void printError(const QString& text);
    // Qt's own chatter (fonts, runtime folders) would break the one-line
    // messages that scripts read from stderr.
    static void quietMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);
    static int usageError(const QString& text, const QString& command = QString());
    static QString displayPath(const QString& path);

    // Why the integrity check refused a file, as far as can be told from outside.
    static QString refusal(const QString& path);
    // What the file holds but the project cannot place, on stderr one line
    // each, as the application warns after Open.
    static void printLost(const QString& path, const QStringList& lost);
    static void printUnreadable(const QString& path);
    // The records of a project file as Open reads them, without building any
    // canvas, keeping of states and transitions what fields says; false, once
    // the reason is printed, when Open would refuse the file.
    static bool readRecords(XmlIO& io, const QString& path,
                            ProjectFileReader::Fields fields = ProjectFileReader::Fields::All);

    // --cc COMPILER of the commands that compile a machine's C.
    static QCommandLineOption compilerOption();

    // korvel-cli-render, beside this program (in the build) or in the
    // package's libexec folder; empty when it is in neither.
    static QString renderProgram();

    // A parser for one command: its name as the first positional argument,
    // then FILE; --help as usual.
    static void prepareParser(QCommandLineParser& parser, const QString& command, const QString& description);
    // Parses and answers --help; returns -1 to go on, or the exit code.
    static int parseCommand(QCommandLineParser& parser, const QStringList& arguments, const QString& command,
                            QString* file);
};

#endif // COMMANDLINE_H
