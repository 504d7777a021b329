#include "codegenerrorlog.h"
#include "ui_codegenerrorlog.h"

#include <QTableWidgetItem>

CodegenErrorLog::CodegenErrorLog(QWidget* parent)
    : QDialog(parent)
{
}

CodegenErrorLog::~CodegenErrorLog()
{
    delete ui;
}

void CodegenErrorLog::ensureForm()
{
    if (ui)
        return;
    ui = new Ui::CodegenErrorLog;
    ui->setupUi(this);
}

void CodegenErrorLog::setVisible(bool visible)
{
    if (visible)
        ensureForm();
    QDialog::setVisible(visible);
}

QTableWidget* CodegenErrorLog::table()
{
    ensureForm();
    return ui->tableWidget;
}

void CodegenErrorLog::updateTable(QVector<QString> errors)
{
    ensureForm();
    QTableWidget* view = ui->tableWidget;
    view->clearContents();
    view->setColumnCount(1);
    view->setColumnWidth(0, 600);
    view->setRowCount(errors.size());
    // The list grows with every call; with one column only its first label shows.
    headerLabels.append(QStringLiteral("Error Description"));
    view->setHorizontalHeaderLabels(headerLabels);
    for (int row = 0; row < errors.size(); ++row)
        view->setItem(row, 0, new QTableWidgetItem(errors.at(row)));
}

void CodegenErrorLog::on_pushButton_clicked()
{
    accept();
}
