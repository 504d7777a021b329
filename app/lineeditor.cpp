#include "lineeditor.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

// How each editor is told the line: "+N FILE", "--line N FILE" or "--goto FILE:N".
enum class LineArgument { Plus, LineOption, Goto };

// Each is named by its desktop entry as by its program.
struct KnownEditor
{
    const char* program;
    LineArgument form;
};

const KnownEditor knownEditors[] = {
    {"gedit", LineArgument::Plus},        {"pluma", LineArgument::Plus},
    {"xed", LineArgument::Plus},          {"gvim", LineArgument::Plus},
    {"emacs", LineArgument::Plus},        {"kate", LineArgument::LineOption},
    {"kwrite", LineArgument::LineOption}, {"geany", LineArgument::LineOption},
    {"code", LineArgument::Goto},
};

QString desktopEditor()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                              QStringLiteral("text/plain")});
    if (!query.waitForFinished(3000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

} // namespace

QStringList LineEditor::commandFor(const QString& desktopEntry, const QString& file, int line)
{
    // "org.gnome.gedit.desktop" and "gedit.desktop" both name gedit.
    QString name = desktopEntry.toLower();
    if (name.endsWith(QLatin1String(".desktop")))
        name.chop(8);
    name = name.section(QLatin1Char('.'), -1);
    const QString number = QString::number(line);
    for (const KnownEditor& editor : knownEditors) {
        if (name != QLatin1String(editor.program))
            continue;
        const QString program = QLatin1String(editor.program);
        switch (editor.form) {
        case LineArgument::Plus:
            return {program, QLatin1Char('+') + number, file};
        case LineArgument::LineOption:
            return {program, QStringLiteral("--line"), number, file};
        case LineArgument::Goto:
            return {program, QStringLiteral("--goto"), file + QLatin1Char(':') + number};
        }
    }
    return {};
}

bool LineEditor::open(const QString& file, int line)
{
    if (line < 1)
        return false;
    const QStringList command = commandFor(desktopEditor(), file, line);
    if (command.isEmpty())
        return false;
    const QString program = QStandardPaths::findExecutable(command.first());
    return !program.isEmpty() && QProcess::startDetached(program, command.mid(1));
}
