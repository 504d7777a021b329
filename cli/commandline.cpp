#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <cstdio>

#include "projectfileopener.h"
#include "xmlio.h"

const char CommandLine::programName[] = "korvel-cli";
const char CommandLine::programVersion[] = "1.1.3";

namespace {

// Where a file stops being well-formed XML, as "at line L, column C: why";
// empty when it is well-formed as far as can be told. The file is fed in
// pieces, and a token that goes on for more than tokenLimit bytes ends the
// search: following it would cost more memory than the whole check.
QString xmlProblem(QFile* file)
{
    const qint64 piece = 1 << 20;
    const qint64 tokenLimit = qint64(64) << 20;
    QXmlStreamReader reader;
    qint64 fed = 0;
    // How much had been fed when the last token was complete.
    qint64 fedAtToken = 0;
    for (;;) {
        if (reader.readNext() != QXmlStreamReader::Invalid) {
            fedAtToken = fed;
            if (reader.atEnd())
                return QString();
            continue;
        }
        if (reader.error() != QXmlStreamReader::PrematureEndOfDocumentError || file->atEnd())
            break;
        if (fed - fedAtToken > tokenLimit)
            return QString();
        const QByteArray next = file->read(piece);
        fed += next.size();
        reader.addData(next);
    }
    // One arg() call, so that a "%2" in the reason stays as it is.
    return QStringLiteral("at line %1, column %2: %3")
        .arg(QString::number(reader.lineNumber()), QString::number(reader.columnNumber()), reader.errorString());
}

} // namespace

void CommandLine::printOut(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

// Every message is one line, whatever the names and file contents hold.
void CommandLine::printError(const QString& text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fputs((QLatin1String(programName) + QStringLiteral(": ") + line + QLatin1Char('\n'))
                   .toLocal8Bit()
                   .constData(),
               stderr);
    std::fflush(stderr);
}

// Qt's own chatter (fonts, runtime folders) would break the one-line
// messages that scripts read from stderr.
void CommandLine::quietMessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

int CommandLine::usageError(const QString& text, const QString& command)
{
    const QString help = command.isEmpty() ? QStringLiteral("%1 --help").arg(QLatin1String(programName))
                                           : QStringLiteral("%1 %2 --help").arg(QLatin1String(programName), command);
    printError(QStringLiteral("%1 (see %2)").arg(text, help));
    return UsageOrFatal;
}

QString CommandLine::displayPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Why the integrity check refused a file, as far as can be told from outside.
QString CommandLine::refusal(const QString& path)
{
    const QString shown = displayPath(path);
    QFile file;
    QString systemReason;
    switch (ProjectFileOpener::open(path, &file, &systemReason)) {
    case ProjectFileOpener::Missing:
        return QStringLiteral("%1: cannot be read: the file does not exist").arg(shown);
    case ProjectFileOpener::NotRegular:
        return QStringLiteral("%1: cannot be read: not a regular file").arg(shown);
    case ProjectFileOpener::TooLarge:
        return QStringLiteral("%1: cannot be read: the file is larger than 2 GiB").arg(shown);
    case ProjectFileOpener::Unreadable:
        return QStringLiteral("%1: cannot be read: %2").arg(shown, systemReason);
    case ProjectFileOpener::Opened:
        break;
    }
    if (file.size() == 0)
        return QStringLiteral("%1: design file is corrupt: the file is empty").arg(shown);
    const QString problem = xmlProblem(&file);
    if (!problem.isEmpty())
        return QStringLiteral("%1: design file is corrupt: not well-formed XML %2").arg(shown, problem);
    return QStringLiteral("%1: design file is corrupt: the XML does not have the layout of a Korvel project")
        .arg(shown);
}

// What the file holds but the project cannot place, on stderr one line
// each, as the application warns after Open.
void CommandLine::printLost(const QString& path, const QStringList& lost)
{
    for (const QString& item : lost)
        printError(QStringLiteral("%1: not placed: %2").arg(displayPath(path), item));
}

void CommandLine::printUnreadable(const QString& path)
{
    printError(QStringLiteral("%1: design file is corrupt: its items cannot be read").arg(displayPath(path)));
}

// The records of a project file as Open reads them, without building any
// canvas; false, once the reason is printed, when Open would refuse the file.
bool CommandLine::readRecords(XmlIO& io, const QString& path, ProjectFileReader::Fields fields)
{
    io.setFilePath(path);
    io.setFieldsNeeded(fields);
    if (!io.checkProjectFileCorrupt()) {
        printError(refusal(path));
        return false;
    }
    QString outline;
    if (!io.readProjectFileNames(&outline) || !io.readProjectFile()) {
        printUnreadable(path);
        return false;
    }
    return true;
}

// A parser for one command: its name as the first positional argument,
// then FILE; --help as usual.
void CommandLine::prepareParser(QCommandLineParser& parser, const QString& command, const QString& description)
{
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.addPositionalArgument(command, QStringLiteral("The command."), command);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The project file (.vorn)."));
}

// Parses and answers --help; returns -1 to go on, or the exit code.
int CommandLine::parseCommand(QCommandLineParser& parser, const QStringList& arguments, const QString& command,
                 QString* file)
{
    if (!parser.parse(arguments))
        return usageError(parser.errorText(), command);
    if (parser.isSet(QStringLiteral("help"))) {
        printOut(parser.helpText());
        return Success;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 2)
        return usageError(QStringLiteral("missing FILE"), command);
    if (positional.size() > 2)
        return usageError(QStringLiteral("unexpected argument \"%1\"").arg(positional.at(2)), command);
    *file = positional.at(1);
    return -1;
}

QCommandLineOption CommandLine::compilerOption()
{
    return QCommandLineOption(QStringLiteral("cc"), QStringLiteral("The C compiler (default: cc on the PATH)."),
                              QStringLiteral("COMPILER"), QStringLiteral("cc"));
}

QString CommandLine::renderProgram()
{
    const QString folder = QCoreApplication::applicationDirPath();
    for (const QString& place : {folder + QStringLiteral("/korvel-cli-render"),
                                 folder + QStringLiteral("/../libexec/korvel/korvel-cli-render")}) {
        if (QFileInfo(place).isExecutable())
            return place;
    }
    return QString();
}
