#include "textproperties.h"
#include "ui_textproperties.h"

#include "textmetrics.h"

#include <cmath>

namespace {
const int MaxWidth = 850;
const int MaxHeight = 500;
const int MinWidth = 150;
const int MinHeight = 75;
} // namespace

TextProperties::TextProperties(QWidget* parent)
    : QDialog(parent)
{
}

TextProperties::~TextProperties()
{
    delete ui;
}

void TextProperties::buildForm()
{
    if (ui)
        return;
    ui = new Ui::TextProperties;
    ui->setupUi(this);
}

void TextProperties::fillProperties()
{
    buildForm();
    ui->spinBox->setValue(width);
    ui->spinBox_2->setValue(height);
    ui->textEdit->setPlainText(text);
    if (itemType >= 0 && itemType < typeNames.size())
        ui->comboBox->setCurrentText(typeNames.at(itemType));
}

void TextProperties::setAutoDimensions()
{
    const QSize size = autoSize(text);
    autoWidth = size.width();
    autoHeight = size.height();
}

QSize TextProperties::autoSize(const QString& text)
{
    const TextMetrics metrics;
    const qreal cw = metrics.charWidth();
    const qreal lineH = metrics.lineHeight();
    const qreal halfH = lineH / 2;

    const int widest = metrics.widestLine(text);
    const int lines = TextMetrics::lineCount(text);
    return QSize(qMax(MinWidth, int(std::floor(widest + 6 * cw))),
                 qMax(MinHeight, int(std::floor(lineH * lines + lineH + 3 * halfH))));
}

void TextProperties::on_buttonBox_accepted()
{
    accept();
}

void TextProperties::on_buttonBox_rejected()
{
    reject();
}

void TextProperties::on_pushButton_clicked()
{
    text = ui->textEdit->toPlainText();
    setAutoDimensions();
    ui->spinBox->setValue(autoWidth);
    ui->spinBox_2->setValue(autoHeight);
}

void TextProperties::accept()
{
    if (ui) {
        const QString newText = ui->textEdit->toPlainText();
        if (newText != text) {
            text = newText;
            textChanged = true;
        }
        if (ui->spinBox->value() != width || ui->spinBox_2->value() != height)
            sizeChanged = true;

        const int chosenType = typeNames.indexOf(ui->comboBox->currentText());
        if (chosenType >= 0)
            itemType = chosenType;

        // New text decides the size; otherwise the spin boxes do.
        if (textChanged) {
            setAutoDimensions();
            width = autoWidth;
            height = autoHeight;
        } else {
            width = qMin(ui->spinBox->value(), MaxWidth);
            height = qMin(ui->spinBox_2->value(), MaxHeight);
        }
    }
    sizeChanged = false;
    textChanged = false;
    QDialog::accept();
}

void TextProperties::reject()
{
    sizeChanged = false;
    textChanged = false;
    QDialog::reject();
}
