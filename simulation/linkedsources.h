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
    // After a link that failed: when the linker names functions nothing
    // defines, writes their stand-ins into the folder and returns true, to
    // link again. Once only: the second link keeps its errors.
    bool addStandIns(const QString& folder, const QString& linkerOutput);
    // The sources to compile besides the machine's, relative to the folder.
    const QStringList& sources() const { return files; }
    const QStringList& standInFunctions() const { return standIns; }

private:
    const ProjectNode* machine = nullptr;
    QVector<const ProjectNode*> companions;
    QStringList files;
    QStringList standIns;
};

#endif // LINKEDSOURCES_H
