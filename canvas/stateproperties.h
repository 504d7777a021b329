#ifndef STATEPROPERTIES_H
#define STATEPROPERTIES_H

#include <QColor>
#include <QDialog>
#include <QSize>
#include <QString>
#include <QStringList>

namespace Ui {
class StateProperties;
}

// Properties dialog of one state, made for one edit and gone after it. The
// state writes the plain fields below, fillProperties() builds the form from
// them, and an accepted dialog leaves the edited values there.
class StateProperties : public QDialog
{
    Q_OBJECT

public:
    explicit StateProperties(QWidget* parent = nullptr);
    ~StateProperties() override;

    void fillProperties();
    void setAutoDimensions();
    // The size a state takes to show this label and action.
    static QSize autoSize(const QString& label, const QString& action);
    int getAutoWidth() const { return autoWidth; }
    int getAutoHeight() const { return autoHeight; }

    bool isInitialStatus() const { return initial; }
    void setInitialStatus(bool status);
    void disableSetInitChkBox(bool barred);
    // The labels of the other states of the canvas; OK refuses them.
    void setSiblingLabels(const QStringList& labels) { siblingLabels = labels; }

    // OK and Cancel, and any other way of closing, take the same road.
    void accept() override;
    void reject() override;

    int width = 280;
    int height = 150;
    QString label;
    QString action;
    QString description;
    QString initDescription;
    QString initCondition;
    QColor chosenColour;
    QColor pickedColour;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void on_checkBox_stateChanged(int state);
    void on_pushButton_3_clicked();
    void on_buttonBox_accepted();
    void on_buttonBox_rejected();

private:
    void buildForm();

    Ui::StateProperties* ui = nullptr;
    QStringList siblingLabels;
    int autoWidth = 280;
    int autoHeight = 150;
    bool initial = false;
    bool initBarred = false;
    bool sizeChanged = false;
    bool textChanged = false;
};

#endif // STATEPROPERTIES_H
