#ifndef LINKEDSOURCES_H
#define LINKEDSOURCES_H

#include <QString>
#include <QStringList>
#include <QVector>

class ProjectNode;

// What the firmware links with a machine besides its own C: the project's
// other machines, whose functions it may call, and for what is defined
// outside the project (board support) stand-ins that hold or return 0, so
// that the machine can run at all on the desk. Each is linked only when a
// link without it failed on names nothing defines, so that a machine that
// needs neither builds as it would alone.
class LinkedSources
{
public:
    // The machines' documents must outlive the sources.
    void setCompanions(const ProjectNode* machine, const QVector<const ProjectNode*>& machines);
    // Writes the other machines' files as Generate writes them into the
    // folder's "others" subfolder, so that the machine may include their
    // headers; one that Generate would not write is left out, as from the
    // firmware.
    void writeCompanions(const QString& folder);
    // The compiler's arguments for the headers and sources linked so far,
    // relative to the folder.
    QStringList arguments() const;
    // After a failed link: when the linker names what nothing defines, links
    // the other machines or, when they are linked already, writes stand-ins
    // into the folder, and returns true, to link again. A name the code in
    // the folder never calls gets a variable holding 0, any other a
    // function returning 0.
    bool linkMore(const QString& folder, const QString& linkerOutput);
    // What the stand-ins stand for, each kind sorted by name.
    const QStringList& standInFunctions() const { return functions; }
    const QStringList& standInVariables() const { return variables; }

private:
    bool writeStandIns(const QString& folder, const QStringList& names);

    const ProjectNode* machine = nullptr;
    QVector<const ProjectNode*> companions;
    QStringList companionFiles;
    QStringList files;
    QStringList functions;
    QStringList variables;
};

#endif // LINKEDSOURCES_H
