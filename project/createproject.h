#ifndef CREATEPROJECT_H
#define CREATEPROJECT_H

#include <QDialog>
#include <QString>
#include <QXmlStreamWriter>

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

    // Writers of the default file; writeDefaultProjFile returns whether the
    // file was written completely.
    bool writeDefaultProjFile(const QString& path);
    // Why the last writeDefaultProjFile() failed.
    QString writeError() const { return lastWriteError; }
    void writeDefaultProcess(int level);
    void writeDefaultStateMachineDesign();
    void writeStateItem(bool initial);
    void writeTransitionItem();

private:
    explicit CreateProject(QWidget* parent);

    static CreateProject* instance;

    QString projectFilePath;
    QString fileName;
    QString projectName;
    QString levelLabels[5];
    QString lastWriteError;
    QXmlStreamWriter writer;
};

#endif // CREATEPROJECT_H
