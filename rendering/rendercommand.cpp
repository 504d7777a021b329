#include "rendercommand.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>

#include "picturefile.h"
#include "projectpictures.h"

namespace {

// The load of render, which draws the canvases; false, with the reason,
// when the application would refuse the file.
bool loadProject(ProjectPictures& project, const QString& path)
{
    switch (project.load(path)) {
    case ProjectPictures::Loaded:
        CommandLine::printLost(path, project.lostItems());
        return true;
    case ProjectPictures::Corrupt:
        CommandLine::printError(CommandLine::refusal(path));
        return false;
    case ProjectPictures::Unreadable:
        break;
    }
    CommandLine::printUnreadable(path);
    return false;
}

} // namespace

int RenderCommand::run(const QStringList& arguments)
{
    const QString command = QStringLiteral("render");
    QCommandLineParser parser;
    prepareParser(parser, command,
                  QStringLiteral(
                      "Draws every canvas of a project (or the one --canvas names) as the window shows it,\n"
                      "cropped to its items, into one file per canvas in DIR, named after the canvas's path\n"
                      "in the project browser; the paths of the files written go to stdout.\n"
                      "A picture may have at most 100 megapixels and 30000 pixels on a side; every canvas is\n"
                      "sized first, and when one would be larger, nothing is drawn.\n"
                      "Exit code 0 when every file was written, 2 for a usage error, a corrupt or unreadable\n"
                      "project, a picture that would be too large, or a file that could not be written."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The folder for the pictures; created when missing."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("svg (default) or png."),
                                    QStringLiteral("FORMAT"), QStringLiteral("svg"));
    const QCommandLineOption scale(QStringLiteral("scale"),
                                   QStringLiteral("Picture size per canvas unit, from %1 to %2 (default: 1).")
                                       .arg(PictureFile::smallestScale)
                                       .arg(PictureFile::largestScale),
                                   QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption canvas(QStringLiteral("canvas"),
                                    QStringLiteral("Only the canvas with this browser path, such as "
                                                   "\"Project/Hardware Module/Microcontroller\"."),
                                    QStringLiteral("PATH"));
    parser.addOptions({output, format, scale, canvas});

    QString file;
    const int parsed = parseCommand(parser, arguments, command, &file);
    if (parsed >= 0)
        return parsed;
    const QString folder = parser.value(output);
    if (!parser.isSet(output) || folder.isEmpty())
        return usageError(QStringLiteral("missing -o DIR"), command);
    const PictureFile::Format chosen =
        parser.value(format) == QLatin1String("png") ? PictureFile::Png : PictureFile::Svg;
    if (parser.value(format) != QLatin1String("svg") && parser.value(format) != QLatin1String("png"))
        return usageError(QStringLiteral("--format is svg or png, not \"%1\"").arg(parser.value(format)), command);
    bool scaleOk = false;
    const double factor = parser.value(scale).toDouble(&scaleOk);
    if (!scaleOk || !PictureFile::scaleProblem(factor).isEmpty())
        return usageError(QStringLiteral("--scale: %1, not \"%2\"")
                              .arg(PictureFile::scaleProblem(scaleOk ? factor : -1), parser.value(scale)),
                          command);

    ProjectPictures project;
    if (!loadProject(project, file))
        return UsageOrFatal;
    QStringList paths;
    for (int i = 0; i < project.count(); ++i)
        paths << project.browserPath(i);
    const QStringList stems = PictureFile::fileStems(paths);
    const int only = parser.isSet(canvas) ? paths.indexOf(parser.value(canvas)) : -1;
    if (parser.isSet(canvas) && only < 0)
        return usageError(QStringLiteral("%1 has no canvas \"%2\" (it has: %3)")
                              .arg(displayPath(file), parser.value(canvas), paths.join(QStringLiteral(", "))),
                          command);

    // Every picture is sized before the first is drawn: one too large
    // refuses the command, and nothing is written.
    bool allFit = true;
    for (int i = 0; i < project.count(); ++i) {
        if (only >= 0 && i != only)
            continue;
        const QString problem = PictureFile(project.layout(i)->contentRect()).sizeProblem(factor);
        if (!problem.isEmpty()) {
            printError(QStringLiteral("%1: not drawn: %2").arg(paths.at(i), problem));
            allFit = false;
        }
    }
    if (!allFit)
        return UsageOrFatal;

    if (!QDir().mkpath(folder)) {
        printError(QStringLiteral("%1: the output folder cannot be created").arg(displayPath(folder)));
        return UsageOrFatal;
    }
    bool allWritten = true;
    for (int i = 0; i < project.count(); ++i) {
        if (only >= 0 && i != only)
            continue;
        const QString target =
            QDir(folder).filePath(stems.at(i) + QLatin1Char('.') + PictureFile::suffix(chosen));
        const std::unique_ptr<DiagramLayout> layout = project.layout(i);
        PictureFile picture(layout->contentRect());
        const auto painting = [&layout](QPainter* painter, const QRectF& to, const QRectF& from) {
            layout->render(painter, to, from);
        };
        if (picture.write(target, chosen, factor, project.label(i), painting)) {
            printOut(displayPath(QDir::cleanPath(target)) + QLatin1Char('\n'));
        } else {
            printError(QStringLiteral("%1: not written: %2")
                           .arg(displayPath(QDir::cleanPath(target)), picture.errorString()));
            allWritten = false;
        }
    }
    return allWritten ? Success : UsageOrFatal;
}
