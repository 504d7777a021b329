#ifndef DATAFLOWPROPERTIES_H
#define DATAFLOWPROPERTIES_H

#include <QColor>
#include <QDialog>
#include <QString>

namespace Ui {
class DataflowProperties;
}

// Properties dialog of a dataflow item. The item writes the public fields,
// calls fillProperties() and exec(), and reads the fields back on acceptance.
class DataflowProperties : public QDialog
{
    Q_OBJECT

public:
    explicit DataflowProperties(QWidget* parent = nullptr);
    ~DataflowProperties() override;

    void fillProperties();
    bool eventFilter(QObject* watched, QEvent* event) override;

    QString description;
    QString label;
    QString datatype;
    QColor currentColor;
    QColor chosenColor;

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    // The widgets are built when the dialog is first filled.
    void ensureForm();

    Ui::DataflowProperties* ui = nullptr;
};

#endif // DATAFLOWPROPERTIES_H
