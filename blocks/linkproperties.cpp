#include "linkproperties.h"
#include "ui_linkproperties.h"

#include <QEvent>

#include "colourswatch.h"

LinkProperties::LinkProperties(QWidget* parent)
    : QDialog(parent)
{
}

LinkProperties::~LinkProperties()
{
    delete ui;
}

void LinkProperties::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::LinkProperties;
    ui->setupUi(this);
    ui->LB_Color->installEventFilter(this);
    ui->groupBox_2->layout()->setAlignment(Qt::AlignTop);
}

void LinkProperties::fillProperties()
{
    ensureForm();
    ui->LE_Label->setText(label);
    ui->LE_Datatype->setText(datatype);
    ui->textEdit->setPlainText(description);
    ColourSwatch::show(ui->LB_Color, currentColor);
}

bool LinkProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->LB_Color && event->type() == QEvent::MouseButtonPress) {
        chosenColor = ColourSwatch::pick(this, ui->LB_Color, tr("Select Color"));
    }
    return QDialog::eventFilter(watched, event);
}

void LinkProperties::on_buttonBox_accepted()
{
    label = ui->LE_Label->text();
    datatype = ui->LE_Datatype->text();
    description = ui->textEdit->toPlainText();
    currentColor = chosenColor;
    accept();
}

void LinkProperties::on_buttonBox_rejected()
{
    reject();
}
