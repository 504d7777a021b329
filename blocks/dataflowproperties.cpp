#include "dataflowproperties.h"
#include "ui_dataflowproperties.h"

#include <QColorDialog>
#include <QEvent>

namespace {
QString swatchStyle(const QColor& colour)
{
    return QStringLiteral("background-color:rgb(%1,%2,%3);")
        .arg(colour.red())
        .arg(colour.green())
        .arg(colour.blue());
}
} // namespace

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
    ui->LB_Color->setStyleSheet(swatchStyle(currentColor));
}

bool DataflowProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->LB_Color && event->type() == QEvent::MouseButtonPress) {
        // A cancelled colour dialog yields an invalid colour on purpose: the
        // item then falls back to its default colour.
        chosenColor = QColorDialog::getColor(Qt::white, this, tr("Select Color"));
        ui->LB_Color->setStyleSheet(swatchStyle(chosenColor));
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
