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
    void fillShowsFields();
    void answer_data();
    void answer();
};

void TestCodegenProperties::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestCodegenProperties::formIsBuiltOnFirstUse()
{
    CodeGenerator generator;
    QVERIFY(!generator.properties().parent());
    QVERIFY(generator.properties().findChildren<QWidget*>().isEmpty());
    CodegenProperties dialog;
    dialog.fillProperties();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Korvel - Code Generator Properties"));
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    labels.sort();
    QCOMPARE(labels, QStringList({"Author :", "File Path :", "Organization :", "Version :"}));
    QCOMPARE(spin(&dialog)->decimals(), 2);
    QCOMPARE(spin(&dialog)->singleStep(), 1.0);
    QVERIFY(dialog.findChild<QToolButton*>(QStringLiteral("toolButton")));
    QCOMPARE(dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->standardButtons(),
             QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
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

    // Shown clamped to the spin box range, 0 to 99.99.
    for (double version : {250.0, -3.0}) {
        dialog.versionNo = version;
        dialog.fillProperties();
        QCOMPARE(spin(&dialog)->value(), version > 0 ? 99.99 : 0.0);
    }
}

void TestCodegenProperties::answer_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("fields"); // author, organization, version, path
    // The typed path is never read back: only the chooser sets it.
    QTest::newRow("ok") << int(QDialogButtonBox::Ok) << int(QDialog::Accepted)
                        << QStringList({"ann", "works", "2.25", "/chosen/"});
    QTest::newRow("cancel") << int(QDialogButtonBox::Cancel) << int(QDialog::Rejected)
                            << QStringList({"dev", "", "1", "/chosen/"});
}

void TestCodegenProperties::answer()
{
    QFETCH(int, button);
    QFETCH(int, result);
    QFETCH(QStringList, fields);
    CodegenProperties dialog;
    dialog.author = QStringLiteral("dev");
    dialog.versionNo = 1.0;
    dialog.filePath = QStringLiteral("/chosen/");
    dialog.fillProperties();
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::StandardButton(button), [](QWidget* modal) {
        edit(modal, "LE_Author")->setText(QStringLiteral("ann"));
        edit(modal, "LE_Organization")->setText(QStringLiteral("works"));
        edit(modal, "LE_FilePath")->setText(QStringLiteral("/typed/"));
        spin(modal)->setValue(2.25);
    });
    QCOMPARE(dialog.exec(), result);
    QCOMPARE(QStringList({dialog.author, dialog.organization, QString::number(dialog.versionNo), dialog.filePath}),
             fields);
}

QTEST_MAIN(TestCodegenProperties)
#include "tst_codegenproperties.moc"
