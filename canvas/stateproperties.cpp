#include "stateproperties.h"
#include "ui_stateproperties.h"

#include "colourswatch.h"
#include "namerules.h"
#include "textmetrics.h"

#include <QEvent>
#include <QMessageBox>
#include <cmath>

namespace {
const int MaxWidth = 850;
const int MaxHeight = 500;
const int MinWidth = 280;
const int MinHeight = 150;
} // namespace

StateProperties::StateProperties(QWidget* parent)
    : QDialog(parent)
{
}

StateProperties::~StateProperties()
{
    delete ui;
}

void StateProperties::buildForm()
{
    if (ui)
        return;
    ui = new Ui::StateProperties;
    ui->setupUi(this);
    ui->LB_Color->installEventFilter(this);
    ui->checkBox->setCheckable(!initBarred);
}

void StateProperties::fillProperties()
{
    buildForm();
    ui->spinBox->setValue(width);
    ui->spinBox_2->setValue(height);
    ui->LE_StateName->setText(label);
    ui->TE_StateAction->setPlainText(action);
    ui->init_Action->setPlainText(initDescription);
    ui->init_condition->setPlainText(initCondition);
    ui->textEdit->setPlainText(description);
    ColourSwatch::show(ui->LB_Color, chosenColour);

    if (initial) {
        ui->checkBox->setCheckable(true);
        ui->checkBox->setChecked(true);
        ui->init_condition->setEnabled(true);
        ui->init_Action->setEnabled(true);
    } else if (!initBarred) {
        ui->checkBox->setCheckable(true);
        ui->checkBox->setChecked(false);
        ui->init_condition->setEnabled(true);
        ui->init_Action->setEnabled(true);
    } else {
        ui->checkBox->setCheckable(false);
        ui->init_condition->setEnabled(false);
        ui->init_Action->setEnabled(false);
    }
}

void StateProperties::setAutoDimensions()
{
    const QSize size = autoSize(label, action);
    autoWidth = size.width();
    autoHeight = size.height();
}

QSize StateProperties::autoSize(const QString& label, const QString& action)
{
    const TextMetrics metrics;
    const qreal cw = metrics.charWidth();
    const qreal lineH = metrics.lineHeight();
    const qreal halfH = lineH / 2;

    const int actionWidth = qMin(metrics.widestLine(action), MaxWidth);
    const int labelWidth = metrics.textWidth(label);
    int base = actionWidth;
    if (labelWidth >= MaxWidth)
        base = MaxWidth;
    else if (actionWidth < labelWidth)
        base = labelWidth;

    const int lines = TextMetrics::lineCount(action);
    return QSize(qMax(MinWidth, int(std::floor(base + 6 * cw))),
                 qMax(MinHeight, int(std::floor(lineH * lines + lineH + 4 * halfH))));
}

void StateProperties::setInitialStatus(bool status)
{
    initial = status;
    if (ui) {
        if (status)
            ui->checkBox->setCheckable(true);
        ui->checkBox->setChecked(status);
    }
}

void StateProperties::disableSetInitChkBox(bool barred)
{
    initBarred = barred;
    if (ui)
        ui->checkBox->setCheckable(!barred);
}

bool StateProperties::eventFilter(QObject* watched, QEvent* event)
{
    if (ui && watched == ui->LB_Color && event->type() == QEvent::MouseButtonPress) {
        pickedColour = ColourSwatch::pick(this, ui->LB_Color, tr("Select Color"));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void StateProperties::on_checkBox_stateChanged(int state)
{
    // The flag is the state's own initial status: it stands even on Cancel.
    initial = state == Qt::Checked;
}

void StateProperties::on_pushButton_3_clicked()
{
    label = ui->LE_StateName->text();
    action = ui->TE_StateAction->toPlainText();
    setAutoDimensions();
    ui->spinBox->setValue(autoWidth);
    ui->spinBox_2->setValue(autoHeight);
}

void StateProperties::on_buttonBox_accepted()
{
    accept();
}

void StateProperties::on_buttonBox_rejected()
{
    reject();
}

void StateProperties::accept()
{
    if (ui) {
        const QString newLabel = ui->LE_StateName->text().trimmed();
        const QString problem = NameRules::labelProblem(newLabel, siblingLabels, tr("state"));
        if (!problem.isEmpty()) {
            // Stays open with the text, so that the user can correct it.
            QMessageBox::warning(this, QStringLiteral("Korvel"), problem);
            return;
        }
        const QString newAction = ui->TE_StateAction->toPlainText();
        if (newLabel != label) {
            label = newLabel;
            textChanged = true;
        }
        if (newAction != action) {
            action = newAction;
            textChanged = true;
        }
        if (ui->spinBox->value() != width || ui->spinBox_2->value() != height)
            sizeChanged = true;

        initCondition = ui->init_condition->toPlainText();
        initDescription = ui->init_Action->toPlainText();
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
    sizeChanged = false;
    textChanged = false;
    QDialog::accept();
}

void StateProperties::reject()
{
    sizeChanged = false;
    textChanged = false;
    QDialog::reject();
}
