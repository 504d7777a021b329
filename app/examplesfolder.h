#ifndef EXAMPLESFOLDER_H
#define EXAMPLESFOLDER_H

#include <QString>

// Where File > Open Examples and the tour find the example projects: the
// "Examples" folder of the working directory when it holds anything (a run
// from the source tree), otherwise the installed copy next to the program,
// PREFIX/share/korvel/examples for PREFIX/bin/korvel.
class ExamplesFolder
{
public:
    // The folder for this process. When neither place is usable, the
    // working directory's folder, so that messages name the expected place.
    static QString path();
    static QString path(const QString& workingDirectory, const QString& programDirectory);

    // True for a folder that exists and is not empty.
    static bool usable(const QString& folder);
};

#endif // EXAMPLESFOLDER_H
