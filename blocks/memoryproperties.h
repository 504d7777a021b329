#ifndef MEMORYPROPERTIES_H
#define MEMORYPROPERTIES_H

#include <QColor>
#include <QDialog>
#include <QStringList>
#include <QString>

namespace Ui {
class MemoryProperties;
}

// Properties dialog of a memory item. The item writes the public fields,
// calls fillProperties() and exec(), and reads the fields back on acceptance.
class MemoryProperties : public QDialog
{
    Q_OBJECT

public:
    explicit MemoryProperties(QWidget* parent = nullptr);
    ~MemoryProperties() override;

    void fillProperties();
    bool eventFilter(QObject* watched, QEvent* event) override;

    QString description;
    QString label;
    QString datatype;
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

    Ui::MemoryProperties* ui = nullptr;
    QStringList siblingLabels;
};

#endif // MEMORYPROPERTIES_H
