#ifndef CREATEPROJECT_H
#define CREATEPROJECT_H

#include <QDialog>
#include <QString>

// Checks the name chosen for a new project and writes its default project
// file: one node on each of the five levels and a two-state machine. The New
// command uses only these operations, never the window itself.
class CreateProject : public QDialog
{
    Q_OBJECT

public:
    static CreateProject* getInstance(QWidget* parent);
    ~CreateProject() override;

    // 1 when the default file was written, 2 when the name is not acceptable
    // and 3 when the file could not be written; the browser is emptied only
    // on 1.
    int processNewProject(QString path);
    QString getProjectFilePath() const { return projectFilePath; }
    QString getProjectName() const { return projectName; }
    static bool validateProjectName(const QString& name);

    // Writes the default file of the project named after the file; false
    // when it could not be written completely, and writeError() says why.
    bool writeDefaultProjFile(const QString& path);
    QString writeError() const { return lastWriteError; }
    // The default file's content for a project of the name.
    static QByteArray defaultProject(const QString& name);

private:
    explicit CreateProject(QWidget* parent);

    static CreateProject* instance;

    QString projectFilePath;
    QString projectName;
    QString lastWriteError;
};

#endif // CREATEPROJECT_H
