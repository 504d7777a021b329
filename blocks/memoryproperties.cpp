#include "memoryproperties.h"
#include "ui_memoryproperties.h"

#include <QEvent>
#include <QMessageBox>

#include "colourswatch.h"
#include "namerules.h"

MemoryProperties::MemoryProperties(QWidget* parent)
    : QDialog(parent)
{
}

MemoryProperties::~MemoryProperties()
{
    delete ui;
}

void MemoryProperties::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::MemoryProperties;
    ui->setupUi(this);
    ui->LB_Color->installEventFilter(this);
    ui->groupBox_2->layout()->setAlignment(Qt::AlignTop);
}

void MemoryProperties::fillProperties()
{
    ensureForm();
    ui->LE_Label->setText(label);
    ui->LE_Datatype->setText(datatype);
    ui->textEdit->setPlainText(description);
    ColourSwatch::show(ui->LB_Color, currentColor);
}

bool MemoryProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->LB_Color && event->type() == QEvent::MouseButtonPress) {
        chosenColor = ColourSwatch::pick(this, ui->LB_Color, tr("Select Color"));
    }
    return QDialog::eventFilter(watched, event);
}

void MemoryProperties::on_buttonBox_accepted()
{
    const QString newLabel = ui->LE_Label->text().trimmed();
    const QString problem = NameRules::labelProblem(newLabel, siblingLabels, tr("memory item"));
    if (!problem.isEmpty()) {
        // Stays open with the text, so that the user can correct it.
        QMessageBox::warning(this, QStringLiteral("Korvel"), problem);
        return;
    }
    label = newLabel;
    datatype = ui->LE_Datatype->text();
    description = ui->textEdit->toPlainText();
    currentColor = chosenColor;
    accept();
}

void MemoryProperties::on_buttonBox_rejected()
{
    reject();
}
