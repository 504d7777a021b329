#ifndef TRANSITIONPROPERTIES_H
#define TRANSITIONPROPERTIES_H

#include <QColor>
#include <QDialog>
#include <QSize>
#include <QString>

namespace Ui {
class TransitionProperties;
}

// Properties dialog of one transition, made for one edit and gone after it.
// The transition writes the plain fields below, fillProperties() builds the
// form from them, and an accepted dialog leaves the edited values there.
class TransitionProperties : public QDialog
{
    Q_OBJECT

public:
    explicit TransitionProperties(QWidget* parent = nullptr);
    ~TransitionProperties() override;

    void fillProperties();
    void setAutoDimensions();
    // The size a transition takes to show this label, action and condition.
    static QSize autoSize(const QString& label, const QString& action, const QString& condition);
    int getAutoWidth() const { return autoWidth; }
    int getAutoHeight() const { return autoHeight; }

    // OK and Cancel, and any other way of closing, take the same road.
    void accept() override;
    void reject() override;

    int width = 150;
    int height = 75;
    QString label;
    // The states it leaves and enters, shown and not edited.
    QString startLabel;
    QString endLabel;
    QString action;
    QString condition;
    QString description;
    QColor chosenColour;
    QColor pickedColour;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void on_pushButton_2_clicked();
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    void buildForm();

    Ui::TransitionProperties* ui = nullptr;
    int autoWidth = 150;
    int autoHeight = 75;
    bool textChanged = false;
    bool sizeChanged = false;
};

#endif // TRANSITIONPROPERTIES_H
