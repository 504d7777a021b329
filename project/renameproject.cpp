#include "renameproject.h"
#include "ui_renameproject.h"

#include <QMessageBox>
#include <QPointer>

#include "namerules.h"

RenameProject::RenameProject(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::RenameProject)
{
    ui->setupUi(this);
}

RenameProject::~RenameProject()
{
    delete ui;
}

RenameProject* RenameProject::getInstance(QWidget* parent, const QString& name)
{
    // Owned by its parent window; made again if that window went away.
    static QPointer<RenameProject> instance;
    if (!instance)
        instance = new RenameProject(parent);
    instance->currentName = name;
    instance->ui->lineEdit->setText(name);
    instance->ui->lineEdit->setStyleSheet(QString());
    return instance;
}

QString RenameProject::getNewName() const
{
    return ui->lineEdit->text();
}

bool RenameProject::validateProjectName(const QString& name)
{
    if (!NameRules::projectNameProblem(name).isEmpty())
        return false;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        const bool ok = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z')
            || u == '_' || u == ' ';
        if (!ok)
            return false;
    }
    return true;
}

void RenameProject::on_buttonBox_accepted()
{
    validationStatus = false;
    const QString text = ui->lineEdit->text();
    if (text == currentName)
        return;
    if (validateProjectName(text)) {
        validationStatus = true;
        return;
    }
    ui->lineEdit->setStyleSheet(QStringLiteral("border: 1px solid red"));
    const QString problem = NameRules::projectNameProblem(text);
    if (!problem.isEmpty()) {
        QMessageBox::critical(this, QStringLiteral("Korvel"), problem);
        return;
    }
    QMessageBox::critical(this, QStringLiteral("Korvel"),
                          tr("Korvel could not rename the project as the name contains special characters. "
                             "Please remove special characters from the project name and try again."));
}

void RenameProject::on_buttonBox_rejected()
{
}
