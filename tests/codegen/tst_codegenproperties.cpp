// The settings dialog of the code generator: its form, filling it from the
// fields and reading the fields back on OK only.

#include <QtTest>

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "codegenerator.h"
#include "codegenproperties.h"
#include "modalanswerer.h"
#include "testenvironment.h"

namespace {

QLineEdit* edit(QWidget* dialog, const char* name)
{
    return dialog->findChild<QLineEdit*>(QLatin1String(name));
}

QDoubleSpinBox* spin(QWidget* dialog)
{
    return dialog->findChild<QDoubleSpinBox*>(QStringLiteral("doubleSpinBox"));
}

} // namespace

class TestCodegenProperties : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void formIsBuiltOnFirstUse();
    void formLayout();
    void fillShowsFields();
    void okReadsAuthorOrganizationAndVersion();
    void cancelKeepsFields();
    void typedPathIsNotReadBack();
    void generatorHoldsItsDialog();
};

void TestCodegenProperties::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestCodegenProperties::formIsBuiltOnFirstUse()
{
    CodegenProperties dialog;
    QVERIFY(dialog.findChildren<QWidget*>().isEmpty());
    dialog.fillProperties();
    QVERIFY(!dialog.findChildren<QWidget*>().isEmpty());
}

void TestCodegenProperties::formLayout()
{
    CodegenProperties dialog;
    dialog.fillProperties();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Korvel - Code Generator Properties"));
    QCOMPARE(dialog.size(), QSize(463, 268));
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    labels.sort();
    QCOMPARE(labels, QStringList({"Author :", "File Path :", "Organization :", "Version :"}));
    QDoubleSpinBox* version = spin(&dialog);
    QVERIFY(version);
    QCOMPARE(version->minimum(), 0.0);
    QCOMPARE(version->maximum(), 99.99);
    QCOMPARE(version->decimals(), 2);
    QCOMPARE(version->singleStep(), 1.0);
    QToolButton* chooser = dialog.findChild<QToolButton*>(QStringLiteral("toolButton"));
    QVERIFY(chooser);
    QCOMPARE(chooser->text(), QStringLiteral("..."));
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    QVERIFY(buttons);
    QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(buttons->orientation(), Qt::Horizontal);
}

void TestCodegenProperties::fillShowsFields()
{
    CodegenProperties dialog;
    dialog.author = QStringLiteral("dev");
    dialog.organization = QStringLiteral("lab");
    dialog.filePath = QStringLiteral("/tmp/out/");
    dialog.versionNo = 1.5;
    dialog.fillProperties();
    QCOMPARE(edit(&dialog, "LE_Author")->text(), QStringLiteral("dev"));
    QCOMPARE(edit(&dialog, "LE_Organization")->text(), QStringLiteral("lab"));
    QCOMPARE(edit(&dialog, "LE_FilePath")->text(), QStringLiteral("/tmp/out/"));
    QCOMPARE(spin(&dialog)->value(), 1.5);

    // Shown clamped to the spin box range.
    dialog.versionNo = 250.0;
    dialog.fillProperties();
    QCOMPARE(spin(&dialog)->value(), 99.99);
}

void TestCodegenProperties::okReadsAuthorOrganizationAndVersion()
{
    CodegenProperties dialog;
    dialog.fillProperties();
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [](QWidget* modal) {
        edit(modal, "LE_Author")->setText(QStringLiteral("ann"));
        edit(modal, "LE_Organization")->setText(QStringLiteral("works"));
        spin(modal)->setValue(2.25);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(dialog.author, QStringLiteral("ann"));
    QCOMPARE(dialog.organization, QStringLiteral("works"));
    QCOMPARE(dialog.versionNo, 2.25);
}

void TestCodegenProperties::cancelKeepsFields()
{
    CodegenProperties dialog;
    dialog.author = QStringLiteral("dev");
    dialog.versionNo = 1.0;
    dialog.fillProperties();
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Cancel, [](QWidget* modal) {
        edit(modal, "LE_Author")->setText(QStringLiteral("other"));
        spin(modal)->setValue(7);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(dialog.author, QStringLiteral("dev"));
    QCOMPARE(dialog.versionNo, 1.0);
}

void TestCodegenProperties::typedPathIsNotReadBack()
{
    CodegenProperties dialog;
    dialog.filePath = QStringLiteral("/chosen/");
    dialog.fillProperties();
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [](QWidget* modal) {
        edit(modal, "LE_FilePath")->setText(QStringLiteral("/typed/"));
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(dialog.filePath, QStringLiteral("/chosen/"));
}

void TestCodegenProperties::generatorHoldsItsDialog()
{
    CodeGenerator generator;
    QVERIFY(!generator.properties().parent());
    QVERIFY(generator.properties().findChildren<QWidget*>().isEmpty());
}

QTEST_MAIN(TestCodegenProperties)
#include "tst_codegenproperties.moc"
