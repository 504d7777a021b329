#ifndef RENAMEPROJECT_H
#define RENAMEPROJECT_H

#include <QDialog>

namespace Ui {
class RenameProject;
}

// Asks for a new project name and checks it; the caller does the renaming.
class RenameProject : public QDialog
{
    Q_OBJECT

public:
    static RenameProject* getInstance(QWidget* parent, const QString& currentName);
    ~RenameProject() override;

    bool getValidationStatus() const { return validationStatus; }
    QString getNewName() const;
    static bool validateProjectName(const QString& name);

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    explicit RenameProject(QWidget* parent);

    Ui::RenameProject* ui;
    QString currentName;
    bool validationStatus = false;
};

#endif // RENAMEPROJECT_H
