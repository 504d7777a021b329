#include "memoryproperties.h"
#include "ui_memoryproperties.h"

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
    ui->LB_Color->setStyleSheet(swatchStyle(currentColor));
}

bool MemoryProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->LB_Color && event->type() == QEvent::MouseButtonPress) {
        // A cancelled colour dialog yields an invalid colour on purpose: the
        // item then falls back to its default colour.
        chosenColor = QColorDialog::getColor(Qt::white, this, tr("Select Color"));
        ui->LB_Color->setStyleSheet(swatchStyle(chosenColor));
    }
    return QDialog::eventFilter(watched, event);
}

void MemoryProperties::on_buttonBox_accepted()
{
    label = ui->LE_Label->text();
    datatype = ui->LE_Datatype->text();
    description = ui->textEdit->toPlainText();
    currentColor = chosenColor;
    accept();
}

void MemoryProperties::on_buttonBox_rejected()
{
    reject();
}
