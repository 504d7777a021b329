#include "processproperties.h"
#include "ui_processproperties.h"

#include <QEvent>
#include <QMessageBox>

#include "colourswatch.h"
#include "namerules.h"

ProcessProperties::ProcessProperties(QWidget* parent)
    : QDialog(parent)
{
}

ProcessProperties::~ProcessProperties()
{
    delete ui;
}

void ProcessProperties::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::ProcessProperties;
    ui->setupUi(this);
    ui->LB_Color->installEventFilter(this);
    ui->groupBox_2->layout()->setAlignment(Qt::AlignTop);
}

void ProcessProperties::fillProperties()
{
    ensureForm();
    ui->spinBox->setValue(width);
    ui->spinBox_2->setValue(height);
    ui->LE_Label->setText(label);
    ui->LE_Meta->setText(code);
    ui->textEdit->setPlainText(description);
    ColourSwatch::show(ui->LB_Color, currentColor);
    if (shape == 1)
        ui->radioButton->setChecked(true);
    else
        ui->radioButton_2->setChecked(true);
}

bool ProcessProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->LB_Color && event->type() == QEvent::MouseButtonPress) {
        chosenColor = ColourSwatch::pick(this, ui->LB_Color, tr("Select Color"));
    }
    return QDialog::eventFilter(watched, event);
}

void ProcessProperties::on_buttonBox_accepted()
{
    width = ui->spinBox->value();
    height = ui->spinBox_2->value();
    const QString newLabel = ui->LE_Label->text().trimmed();
    const QString problem = NameRules::labelProblem(newLabel, siblingLabels, tr("process"));
    if (!problem.isEmpty()) {
        // Stays open with the text, so that the user can correct it.
        QMessageBox::warning(this, QStringLiteral("Korvel"), problem);
        return;
    }
    label = newLabel;
    code = ui->LE_Meta->text();
    currentColor = chosenColor;
    shape = ui->radioButton->isChecked() ? 1 : 2;
    description = ui->textEdit->toPlainText();
    accept();
}

void ProcessProperties::on_buttonBox_rejected()
{
    reject();
}
