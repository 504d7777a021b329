#ifndef LINKEDSOURCES_H
#define LINKEDSOURCES_H

#include <QString>
#include <QStringList>
#include <QVector>

class ProjectNode;

// What the firmware links with a machine besides its own C: the project's
// other machines, whose functions it may call, and for the functions defined
// outside the project (board support) stand-ins that return 0, so that the
// machine can run at all on the desk.
class LinkedSources
{
public:
    // The machines' documents must outlive the sources.
    void setCompanions(const ProjectNode* machine, const QVector<const ProjectNode*>& machines);
    // Writes the other machines' files as Generate writes them into the
    // folder's "others" subfolder; one that Generate would not write is left
    // out, as from the firmware.
    void writeCompanions(const QString& folder);
    // After a link that failed: when the linker names what nothing defines,
    // writes stand-ins into the folder and returns true, to link again: a
    // function that returns 0, or a variable that holds 0 for a name the
    // code (given as sources, preprocessed by compiler) never calls. Once
    // only: the second link keeps its errors.
    bool addStandIns(const QString& folder, const QString& linkerOutput, const QString& compiler,
                     const QStringList& code);
    // The sources to compile besides the machine's, relative to the folder.
    const QStringList& sources() const { return files; }
    // What the stand-ins stand for, each kind sorted by name.
    const QStringList& standInFunctions() const { return functions; }
    const QStringList& standInVariables() const { return variables; }

private:
    // The code as the compiler sees it, macros expanded; empty when it
    // cannot be had, and every name is then taken for a function.
    static QString preprocessed(const QString& folder, const QString& compiler, const QStringList& code);

    const ProjectNode* machine = nullptr;
    QVector<const ProjectNode*> companions;
    QStringList files;
    QStringList functions;
    QStringList variables;
};

#endif // LINKEDSOURCES_H
