#ifndef CODEGENERRORLOG_H
#define CODEGENERRORLOG_H

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QVector>

namespace Ui {
class CodegenErrorLog;
}

class QTableWidget;

// Lists the errors of one code generator run, one per row. Like the settings
// dialog, the form is built on first use, so a generator that never shows
// its log (the command-line tool) costs no widgets.
class CodegenErrorLog : public QDialog
{
    Q_OBJECT

public:
    explicit CodegenErrorLog(QWidget* parent = nullptr);
    ~CodegenErrorLog() override;

    void updateTable(QVector<QString> errors);
    void setVisible(bool visible) override;
    QTableWidget* table();

private slots:
    void on_pushButton_clicked();

private:
    void ensureForm();

    Ui::CodegenErrorLog* ui = nullptr;
    QStringList headerLabels;
};

#endif // CODEGENERRORLOG_H
