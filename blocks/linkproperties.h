#ifndef LINKPROPERTIES_H
#define LINKPROPERTIES_H

#include <QColor>
#include <QDialog>
#include <QString>

namespace Ui {
class LinkProperties;
}

// Properties dialog of a link item. The item writes the public fields,
// calls fillProperties() and exec(), and reads the fields back on acceptance.
class LinkProperties : public QDialog
{
    Q_OBJECT

public:
    explicit LinkProperties(QWidget* parent = nullptr);
    ~LinkProperties() override;

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

    Ui::LinkProperties* ui = nullptr;
};

#endif // LINKPROPERTIES_H
