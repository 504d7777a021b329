#include "transitionproperties.h"
#include "ui_transitionproperties.h"

#include "colourswatch.h"
#include "textmetrics.h"

#include <QEvent>
#include <cmath>

namespace {
const int MaxWidth = 600;
const int MaxHeight = 400;
const int MinWidth = 150;
const int MinHeight = 75;
} // namespace

TransitionProperties::TransitionProperties(QWidget* parent)
    : QDialog(parent)
{
}

TransitionProperties::~TransitionProperties()
{
    delete ui;
}

void TransitionProperties::buildForm()
{
    if (ui)
        return;
    ui = new Ui::TransitionProperties;
    ui->setupUi(this);
    ui->LB_Color->installEventFilter(this);
}

void TransitionProperties::fillProperties()
{
    buildForm();
    ui->spinBox->setValue(width);
    ui->spinBox_2->setValue(height);
    ui->LB_TransitionEnds->setText(tr("From %1 to %2").arg(startLabel, endLabel));
    ui->LE_TransitionName->setText(label);
    ui->TE_TransitionAction->setPlainText(action);
    ui->LE_TransitionCondition->setText(condition);
    ui->textEdit->setPlainText(description);
    ColourSwatch::show(ui->LB_Color, chosenColour);
}

void TransitionProperties::setAutoDimensions()
{
    const QSize size = autoSize(label, action, condition);
    autoWidth = size.width();
    autoHeight = size.height();
}

QSize TransitionProperties::autoSize(const QString& label, const QString& action, const QString& condition)
{
    const TextMetrics metrics;
    const qreal cw = metrics.charWidth();
    const qreal lineH = metrics.lineHeight();
    const qreal halfH = lineH / 2;

    // The widest of action, label and condition, each capped.
    const int actionWidth = qMin(metrics.widestLine(action), MaxWidth);
    const int labelWidth = metrics.textWidth(label);
    int withLabel = actionWidth;
    if (labelWidth >= MaxWidth)
        withLabel = MaxWidth;
    else if (actionWidth < labelWidth)
        withLabel = labelWidth;
    const int conditionWidth = metrics.textWidth(condition);
    int base = withLabel;
    if (conditionWidth >= MaxWidth)
        base = MaxWidth;
    else if (withLabel < conditionWidth)
        base = conditionWidth;

    const int lines = TextMetrics::lineCount(action);
    return QSize(qMax(MinWidth, int(std::floor(base + 6 * cw))),
                 qMax(MinHeight, int(std::floor(lineH * lines + 2 * lineH + 4 * halfH))));
}

bool TransitionProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->LB_Color && event->type() == QEvent::MouseButtonPress) {
        pickedColour = ColourSwatch::pick(this, ui->LB_Color, tr("Select Color"));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TransitionProperties::on_pushButton_2_clicked()
{
    label = ui->LE_TransitionName->text();
    action = ui->TE_TransitionAction->toPlainText();
    condition = ui->LE_TransitionCondition->text();
    setAutoDimensions();
    ui->spinBox->setValue(autoWidth);
    ui->spinBox_2->setValue(autoHeight);
}

void TransitionProperties::on_buttonBox_accepted()
{
    accept();
}

void TransitionProperties::on_buttonBox_rejected()
{
    reject();
}

void TransitionProperties::accept()
{
    if (ui) {
        const QString newLabel = ui->LE_TransitionName->text();
        const QString newAction = ui->TE_TransitionAction->toPlainText();
        const QString newCondition = ui->LE_TransitionCondition->text();
        if (newLabel != label) {
            label = newLabel;
            textChanged = true;
        }
        if (newAction != action) {
            action = newAction;
            textChanged = true;
        }
        if (newCondition != condition) {
            condition = newCondition;
            textChanged = true;
        }
        if (ui->spinBox->value() != width || ui->spinBox_2->value() != height)
            sizeChanged = true;

        description = ui->textEdit->toPlainText();

        // New text decides the size; otherwise the spin boxes do.
        if (textChanged) {
            setAutoDimensions();
            width = autoWidth;
            height = autoHeight;
        } else {
            width = qMin(ui->spinBox->value(), MaxWidth);
            height = qMin(ui->spinBox_2->value(), MaxHeight);
        }
        chosenColour = pickedColour;
    }
    textChanged = false;
    sizeChanged = false;
    QDialog::accept();
}

void TransitionProperties::reject()
{
    textChanged = false;
    sizeChanged = false;
    QDialog::reject();
}
