#ifndef TEXTPROPERTIES_H
#define TEXTPROPERTIES_H

#include <QDialog>
#include <QSize>
#include <QString>
#include <QStringList>

namespace Ui {
class TextProperties;
}

// Properties dialog of one text item, made for one edit and gone after it.
// The item writes the plain fields below, fillProperties() builds the form
// from them, and an accepted dialog leaves the edited values there.
class TextProperties : public QDialog
{
    Q_OBJECT

public:
    explicit TextProperties(QWidget* parent = nullptr);
    ~TextProperties() override;

    void fillProperties();
    void setAutoDimensions();
    // The size a text item takes to show this text.
    static QSize autoSize(const QString& text);
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
