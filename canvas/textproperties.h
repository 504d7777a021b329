#ifndef TEXTPROPERTIES_H
#define TEXTPROPERTIES_H

#include <QDialog>
#include <QString>
#include <QStringList>

namespace Ui {
class TextProperties;
}

// Properties dialog of one text item. Held by value in every text item, so
// the form is built only when the dialog is first filled; the values live in
// the plain fields below, which the text item reads and writes directly.
class TextProperties : public QDialog
{
    Q_OBJECT

public:
    explicit TextProperties(QWidget* parent = nullptr);
    ~TextProperties() override;

    void fillProperties();
    void setAutoDimensions();
    int getAutoWidth() const { return autoWidth; }
    int getAutoHeight() const { return autoHeight; }

    // OK and Cancel, and any other way of closing, take the same road.
    void accept() override;
    void reject() override;

    int width = 150;
    int height = 75;
    int itemType = 0;
    QString text;
    // Indexed by item type.
    const QStringList typeNames {QStringLiteral("Default"), QStringLiteral("Includes"),
                                 QStringLiteral("Macros")};

private slots:
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();
    void on_pushButton_clicked();

private:
    void buildForm();

    Ui::TextProperties* ui = nullptr;
    int autoWidth = 150;
    int autoHeight = 75;
    bool sizeChanged = false;
    bool textChanged = false;
};

#endif // TEXTPROPERTIES_H
