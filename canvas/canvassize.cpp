#include "canvassize.h"
#include "ui_canvassize.h"

CanvasSize::CanvasSize(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::CanvasSize)
{
    ui->setupUi(this);
}

CanvasSize::~CanvasSize()
{
    delete ui;
}

void CanvasSize::fillValues()
{
    ui->widthBox->setValue(width);
    ui->heightBox->setValue(height);
}

void CanvasSize::on_buttonBox_accepted()
{
    width = ui->widthBox->value();
    height = ui->heightBox->value();
    accept();
    close();
}

void CanvasSize::on_buttonBox_rejected()
{
    close();
}
