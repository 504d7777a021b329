#include "codegenproperties.h"
#include "ui_codegenproperties.h"

#include <QFileDialog>

CodegenProperties::CodegenProperties(QWidget* parent)
    : QDialog(parent)
{
}

CodegenProperties::~CodegenProperties()
{
    delete ui;
}

void CodegenProperties::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::CodegenProperties;
    ui->setupUi(this);
}

void CodegenProperties::setVisible(bool visible)
{
    // Shown without being filled first: still show the whole form.
    if (visible)
        ensureForm();
    QDialog::setVisible(visible);
}

void CodegenProperties::fillProperties()
{
    ensureForm();
    ui->LE_Author->setText(author);
    ui->LE_Organization->setText(organization);
    ui->LE_FilePath->setText(filePath);
    ui->doubleSpinBox->setValue(versionNo);
}

void CodegenProperties::on_toolButton_clicked()
{
    // Built on demand: a file dialog starts a file-system model and watcher.
    QFileDialog chooser(this);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly, true);
    if (!filePath.isEmpty())
        chooser.setDirectory(filePath);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    filePath = chooser.selectedFiles().constFirst();
    ui->LE_FilePath->setText(filePath);
}

void CodegenProperties::on_buttonBox_accepted()
{
    author = ui->LE_Author->text();
    organization = ui->LE_Organization->text();
    versionNo = ui->doubleSpinBox->value();
    accept();
}
