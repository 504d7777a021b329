#ifndef CODEGENPROPERTIES_H
#define CODEGENPROPERTIES_H

#include <QDialog>
#include <QString>

namespace Ui {
class CodegenProperties;
}

// Settings of the code generator: author, organization, version and output
// folder. The caller writes the public fields, calls fillProperties() and
// exec(), and reads the fields back when the dialog was accepted. The form is
// built on first use, so a generator that never asks costs no widgets.
class CodegenProperties : public QDialog
{
    Q_OBJECT

public:
    explicit CodegenProperties(QWidget* parent = nullptr);
    ~CodegenProperties() override;

    void fillProperties();
    void setVisible(bool visible) override;

    QString filePath;
    QString author;
    QString organization;
    double versionNo = 1.0;

private slots:
    void on_toolButton_clicked();
    void on_buttonBox_accepted();

private:
    void ensureForm();

    Ui::CodegenProperties* ui = nullptr;
};

#endif // CODEGENPROPERTIES_H
