#ifndef LINEEDITOR_H
#define LINEEDITOR_H

#include <QString>
#include <QStringList>

// Opens a text file at one of its lines in the desktop's editor for plain
// text, for the editors whose command line can name a line.
class LineEditor
{
public:
    // The program and its arguments that open file at line in the editor of
    // the desktop entry (as "xdg-mime query default text/plain" names it);
    // empty for an editor whose way of naming a line is not known.
    static QStringList commandFor(const QString& desktopEntry, const QString& file, int line);
    // Starts the desktop's editor at the line; false when it cannot be
    // found or started, or names lines in no way known here.
    static bool open(const QString& file, int line);
};

#endif // LINEEDITOR_H
