#ifndef PROCESSPROPERTIES_H
#define PROCESSPROPERTIES_H

#include <QColor>
#include <QDialog>
#include <QStringList>
#include <QString>

namespace Ui {
class ProcessProperties;
}

// Properties dialog of a process item. The item writes the public fields,
// calls fillProperties() and exec(), and reads the fields back on acceptance.
class ProcessProperties : public QDialog
{
    Q_OBJECT

public:
    explicit ProcessProperties(QWidget* parent = nullptr);
    ~ProcessProperties() override;

    void fillProperties();
    bool eventFilter(QObject* watched, QEvent* event) override;

    QString label;
    QString code;
    int width = 0;
    int height = 0;
    int shape = 1;
    QString description;
    QColor currentColor;
    QColor chosenColor;

    // The labels of the other items of this kind on the canvas; OK refuses them.
    void setSiblingLabels(const QStringList& labels) { siblingLabels = labels; }

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    // The widgets are built when the dialog is first filled.
    void ensureForm();

    Ui::ProcessProperties* ui = nullptr;
    QStringList siblingLabels;
};

#endif // PROCESSPROPERTIES_H
