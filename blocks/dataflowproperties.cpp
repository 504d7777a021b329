#include "dataflowproperties.h"
#include "ui_dataflowproperties.h"

#include <QEvent>

#include "colourswatch.h"

DataflowProperties::DataflowProperties(QWidget* parent)
    : QDialog(parent)
{
}

DataflowProperties::~DataflowProperties()
{
    delete ui;
}

void DataflowProperties::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::DataflowProperties;
    ui->setupUi(this);
    ui->LB_Color->installEventFilter(this);
    ui->groupBox_2->layout()->setAlignment(Qt::AlignTop);
    // Name and type follow the memory item; only the description is edited here.
    ui->LE_Label->setReadOnly(true);
    ui->LE_Datatype->setReadOnly(true);
}

void DataflowProperties::fillProperties()
{
    ensureForm();
    ui->LE_Label->setText(label);
    ui->LE_Datatype->setText(datatype);
    ui->textEdit->setPlainText(description);
    ColourSwatch::show(ui->LB_Color, currentColor);
}

bool DataflowProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->LB_Color && event->type() == QEvent::MouseButtonPress) {
        chosenColor = ColourSwatch::pick(this, ui->LB_Color, tr("Select Color"));
    }
    return QDialog::eventFilter(watched, event);
}

void DataflowProperties::on_buttonBox_accepted()
{
    label = ui->LE_Label->text();
    datatype = ui->LE_Datatype->text();
    description = ui->textEdit->toPlainText();
    currentColor = chosenColor;
    accept();
}

void DataflowProperties::on_buttonBox_rejected()
{
    reject();
}
