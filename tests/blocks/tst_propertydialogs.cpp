// The four hierarchy property dialogs: exact titles, sizes, tabs, texts and
// limits, loading and taking back the fields, and the colour swatch chooser.

#include <QtTest>

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>

#include <memory>

#include "dataflowproperties.h"
#include "linkproperties.h"
#include "memoryproperties.h"
#include "modalanswerer.h"
#include "processproperties.h"
#include "stateproperties.h"
#include "testenvironment.h"

namespace {

enum Kind { Process, Link, Memory, Dataflow };

// One dialog of any kind, driven through the fields every item uses.
struct AnyDialog
{
    std::unique_ptr<QDialog> dialog;
    Kind kind;

    explicit AnyDialog(Kind which) : kind(which)
    {
        switch (kind) {
        case Process: dialog.reset(new ProcessProperties); break;
        case Link: dialog.reset(new LinkProperties); break;
        case Memory: dialog.reset(new MemoryProperties); break;
        case Dataflow: dialog.reset(new DataflowProperties); break;
        }
    }

    template <typename Action>
    void visit(Action action)
    {
        switch (kind) {
        case Process: action(*static_cast<ProcessProperties*>(dialog.get())); break;
        case Link: action(*static_cast<LinkProperties*>(dialog.get())); break;
        case Memory: action(*static_cast<MemoryProperties*>(dialog.get())); break;
        case Dataflow: action(*static_cast<DataflowProperties*>(dialog.get())); break;
        }
    }

    void load(const QString& label, const QString& description, const QColor& colour)
    {
        visit([&](auto& d) {
            d.label = label;
            d.description = description;
            d.currentColor = colour;
            d.chosenColor = colour;
            d.fillProperties();
        });
    }
    QString label()
    {
        QString out;
        visit([&](auto& d) { out = d.label; });
        return out;
    }
    QString description()
    {
        QString out;
        visit([&](auto& d) { out = d.description; });
        return out;
    }
    QColor colour()
    {
        QColor out;
        visit([&](auto& d) { out = d.currentColor; });
        return out;
    }
    template <typename T>
    T* find(const char* name) const
    {
        return dialog->findChild<T*>(QLatin1String(name));
    }
    void press(QDialogButtonBox::StandardButton which)
    {
        find<QDialogButtonBox>("buttonBox")->button(which)->click();
    }
};

} // namespace

class TestPropertyDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void formAsShown_data();
    void formAsShown();
    void fieldsRoundTrip_data();
    void fieldsRoundTrip();
    void processOnlyFields();
    void datatypeFields_data();
    void datatypeFields();
    void swatchChooser_data();
    void swatchChooser();
    void otherSwatchEventsAreIgnored();
    void labelRules_data();
    void labelRules();
};

void TestPropertyDialogs::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestPropertyDialogs::formAsShown_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("labelHint");
    QTest::addColumn<QString>("descriptionHint");
    QTest::newRow("process") << int(Process) << "Korvel - Process Item Properties"
                             << "Enter label for process item"
                             << "Write description for process item here";
    QTest::newRow("link") << int(Link) << "Korvel - Link Item Properties"
                          << "Enter label for link item" << "Write description for link item here";
    QTest::newRow("memory") << int(Memory) << "Memory Item Properties" << "Enter variable name"
                            << "Write description for memory item here";
    QTest::newRow("dataflow") << int(Dataflow) << "Korvel - Dataflow Item Properties"
                              << "Enter label for global variable"
                              << "Write description for dataflow item here";
}

void TestPropertyDialogs::formAsShown()
{
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QString, labelHint);
    QFETCH(QString, descriptionHint);
    // The form as it is shown: built on first use, when the item fills it.
    AnyDialog any {Kind(kind)};
    any.load(QString(), QString(), QColor());
    QCOMPARE(any.dialog->windowTitle(), title);
    QCOMPARE(any.dialog->minimumSize(), QSize(592, 594));
    QCOMPARE(any.dialog->maximumSize(), QSize(592, 594));
    QVERIFY(any.find<QLineEdit>("LE_Label"));
    QCOMPARE(any.find<QLineEdit>("LE_Label")->placeholderText(), labelHint);
    QCOMPARE(any.find<QTextEdit>("textEdit")->placeholderText(), descriptionHint);
    QCOMPARE(any.find<QLineEdit>("LE_Label")->isReadOnly(), kind == Dataflow);
}

void TestPropertyDialogs::fieldsRoundTrip_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("process") << int(Process);
    QTest::newRow("link") << int(Link);
    QTest::newRow("memory") << int(Memory);
    QTest::newRow("dataflow") << int(Dataflow);
}

void TestPropertyDialogs::fieldsRoundTrip()
{
    QFETCH(int, kind);
    AnyDialog any {Kind(kind)};
    any.load(QStringLiteral("name"), QStringLiteral("line 1\nline 2"), QColor(12, 34, 56));
    auto* labelEdit = any.find<QLineEdit>("LE_Label");
    auto* description = any.find<QTextEdit>("textEdit");
    QCOMPARE(labelEdit->text(), QStringLiteral("name"));
    QCOMPARE(description->toPlainText(), QStringLiteral("line 1\nline 2"));
    QCOMPARE(any.find<QLabel>("LB_Color")->styleSheet(),
             QStringLiteral("background-color:rgb(12,34,56);"));

    // Cancel takes nothing back.
    labelEdit->setText(QStringLiteral("other"));
    description->setPlainText(QStringLiteral("<b>plain</b>"));
    any.press(QDialogButtonBox::Cancel);
    QCOMPARE(any.dialog->result(), int(QDialog::Rejected));
    QCOMPARE(any.description(), QStringLiteral("line 1\nline 2"));

    // OK takes the widgets back; the description as plain text.
    any.press(QDialogButtonBox::Ok);
    QCOMPARE(any.dialog->result(), int(QDialog::Accepted));
    QCOMPARE(any.description(), QStringLiteral("<b>plain</b>"));
    QCOMPARE(any.colour(), QColor(12, 34, 56));
    // The dataflow's edits are read-only for the user, not for the program.
    QCOMPARE(any.label(), QStringLiteral("other"));
}

void TestPropertyDialogs::processOnlyFields()
{
    ProcessProperties dialog;
    dialog.width = 300;
    dialog.height = 250;
    dialog.code = QStringLiteral("m");
    dialog.label = QStringLiteral("p");
    dialog.shape = 2;
    dialog.fillProperties();

    auto* rectangular = dialog.findChild<QRadioButton*>(QStringLiteral("radioButton"));
    auto* rounded = dialog.findChild<QRadioButton*>(QStringLiteral("radioButton_2"));
    QVERIFY(rounded->isChecked());
    QVERIFY(!rectangular->isChecked());

    auto* widthBox = dialog.findChild<QSpinBox*>(QStringLiteral("spinBox"));
    auto* heightBox = dialog.findChild<QSpinBox*>(QStringLiteral("spinBox_2"));
    QCOMPARE(widthBox->value(), 300);
    QCOMPARE(heightBox->value(), 250);
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("LE_Meta"))->text(), QStringLiteral("m"));

    rectangular->setChecked(true);
    widthBox->setValue(10000);
    heightBox->setValue(77);
    dialog.findChild<QLineEdit*>(QStringLiteral("LE_Meta"))->setText(QStringLiteral("new meta"));
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(dialog.shape, 1);
    QCOMPARE(dialog.width, 9999);
    QCOMPARE(dialog.height, 77);
    QCOMPARE(dialog.code, QStringLiteral("new meta"));

    // Shape 1 opens with "Rectangular" selected; any other shape with "Rounded".
    dialog.shape = 7;
    dialog.fillProperties();
    QVERIFY(rounded->isChecked());
    dialog.shape = 1;
    dialog.fillProperties();
    QVERIFY(rectangular->isChecked());
}

void TestPropertyDialogs::datatypeFields_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("link") << int(Link) << false;
    QTest::newRow("memory") << int(Memory) << false;
    QTest::newRow("dataflow") << int(Dataflow) << true;
}

void TestPropertyDialogs::datatypeFields()
{
    QFETCH(int, kind);
    QFETCH(bool, readOnly);
    AnyDialog any {Kind(kind)};
    QString datatype;
    any.visit([](auto& d) {
        if constexpr (!std::is_same_v<std::decay_t<decltype(d)>, ProcessProperties>)
            d.datatype = QStringLiteral("uint32_t");
    });
    any.load(QStringLiteral("v"), QString(), QColor(1, 1, 1));
    auto* typeEdit = any.find<QLineEdit>("LE_Datatype");
    auto* labelEdit = any.find<QLineEdit>("LE_Label");
    QCOMPARE(typeEdit->text(), QStringLiteral("uint32_t"));
    QCOMPARE(typeEdit->isReadOnly(), readOnly);
    QCOMPARE(labelEdit->isReadOnly(), readOnly);
    QVERIFY(!any.find<QTextEdit>("textEdit")->isReadOnly());

    typeEdit->setText(QStringLiteral("int"));
    any.press(QDialogButtonBox::Ok);
    any.visit([&](auto& d) {
        if constexpr (!std::is_same_v<std::decay_t<decltype(d)>, ProcessProperties>)
            datatype = d.datatype;
    });
    QCOMPARE(datatype, QStringLiteral("int"));
}

void TestPropertyDialogs::swatchChooser_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("pick");
    QTest::addColumn<QString>("swatch");
    QTest::addColumn<QColor>("result");

    const QString picked = QStringLiteral("background-color:rgb(200,100,50);");
    const QString black = QStringLiteral("background-color:rgb(0,0,0);");
    QTest::newRow("process, picked") << int(Process) << true << picked << QColor(200, 100, 50);
    QTest::newRow("process, chooser cancelled") << int(Process) << false << black << QColor();
    QTest::newRow("link, picked") << int(Link) << true << picked << QColor(200, 100, 50);
    QTest::newRow("memory, chooser cancelled") << int(Memory) << false << black << QColor();
    QTest::newRow("dataflow, picked") << int(Dataflow) << true << picked << QColor(200, 100, 50);
}

void TestPropertyDialogs::swatchChooser()
{
    QFETCH(int, kind);
    QFETCH(bool, pick);
    QFETCH(QString, swatch);
    QFETCH(QColor, result);

    AnyDialog any {Kind(kind)};
    any.load(QStringLiteral("x"), QString(), QColor(1, 2, 3));
    QColor initial;
    QString chooserTitle;
    ModalAnswerer chooser;
    auto inspect = [&](QWidget* widget) {
        auto* colourDialog = qobject_cast<QColorDialog*>(widget);
        QVERIFY(colourDialog);
        chooserTitle = colourDialog->windowTitle();
        initial = colourDialog->currentColor();
        colourDialog->setCurrentColor(QColor(200, 100, 50));
    };
    if (pick)
        chooser.accept(inspect);
    else
        chooser.reject(inspect);
    auto* swatchLabel = any.find<QLabel>("LB_Color");
    QTest::mouseClick(swatchLabel, Qt::LeftButton);
    QCOMPARE(chooser.answeredCount(), 1);
    QCOMPARE(chooserTitle, QStringLiteral("Select Color"));
    QCOMPARE(initial, QColor(Qt::white));
    QCOMPARE(swatchLabel->styleSheet(), swatch);
    // Nothing is taken before OK.
    QCOMPARE(any.colour(), QColor(1, 2, 3));
    any.press(QDialogButtonBox::Ok);
    QCOMPARE(any.colour(), result);
}

void TestPropertyDialogs::otherSwatchEventsAreIgnored()
{
    LinkProperties dialog;
    dialog.currentColor = QColor(4, 5, 6);
    dialog.chosenColor = dialog.currentColor;
    dialog.fillProperties();
    auto* swatch = dialog.findChild<QLabel*>(QStringLiteral("LB_Color"));
    ModalAnswerer chooser;
    chooser.reject();
    for (QEvent::Type type :
         {QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease, QEvent::MouseMove}) {
        QMouseEvent event(type, QPointF(3, 3), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(swatch, &event);
    }
    QCOMPARE(chooser.answeredCount(), 0);
    QCOMPARE(swatch->styleSheet(), QStringLiteral("background-color:rgb(4,5,6);"));

    // Only a press opens the chooser.
    QTest::mouseClick(swatch, Qt::LeftButton);
    QCOMPARE(chooser.answeredCount(), 1);
    QCOMPARE(swatch->styleSheet(), QStringLiteral("background-color:rgb(0,0,0);"));
}

void TestPropertyDialogs::labelRules_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("label");   // taken back on OK; empty when refused
    QTest::addColumn<QString>("message"); // the refusal, if any

    const QString sameName = QStringLiteral(
        "Another %1 on this diagram is already named \"taken\". Links, dataflows and transitions find "
        "their ends by name, so each %1 needs a name of its own.");
    for (const QString& kind : {QStringLiteral("process"), QStringLiteral("memory item"),
                                QStringLiteral("state")}) {
        const QByteArray tag = kind.toLatin1();
        QTest::newRow(tag + " blank") << kind << "  \t " << QString()
                                      << QStringLiteral("The name of a %1 cannot be blank.").arg(kind);
        QTest::newRow(tag + " repeated") << kind << " taken " << QString() << sameName.arg(kind);
        QTest::newRow(tag + " trimmed") << kind << "  Pump " << "Pump" << QString();
        QTest::newRow(tag + " own name kept") << kind << "mine" << "mine" << QString();
    }
}

// OK with a blank or repeated label says why and leaves the dialog open with
// the text; anything else is taken back trimmed.
void TestPropertyDialogs::labelRules()
{
    QFETCH(QString, dialog);
    QFETCH(QString, typed);
    QFETCH(QString, label);
    QFETCH(QString, message);

    const QStringList siblings {QStringLiteral("taken"), QStringLiteral("other")};
    std::unique_ptr<QDialog> owner;
    QString* taken = nullptr;
    if (dialog == QLatin1String("process")) {
        auto* d = new ProcessProperties;
        owner.reset(d);
        d->label = QStringLiteral("mine");
        d->setSiblingLabels(siblings);
        d->fillProperties();
        taken = &d->label;
    } else if (dialog == QLatin1String("memory item")) {
        auto* d = new MemoryProperties;
        owner.reset(d);
        d->label = QStringLiteral("mine");
        d->setSiblingLabels(siblings);
        d->fillProperties();
        taken = &d->label;
    } else {
        auto* d = new StateProperties;
        owner.reset(d);
        d->label = QStringLiteral("mine");
        d->setSiblingLabels(siblings);
        d->fillProperties();
        taken = &d->label;
    }
    auto* edit = owner->findChild<QLineEdit*>(dialog == QLatin1String("state") ? "LE_StateName" : "LE_Label");
    QVERIFY(edit);
    edit->setText(typed);
    owner->setResult(-1);

    ModalAnswerer answer;
    if (!message.isEmpty())
        answer.pressButton(QMessageBox::Ok);
    owner->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();

    QCOMPARE(answer.answeredCount(), message.isEmpty() ? 0 : 1);
    QCOMPARE(answer.text(), message);
    if (!message.isEmpty()) {
        QCOMPARE(answer.title(), QStringLiteral("Korvel"));
        QCOMPARE(owner->result(), -1);
        QCOMPARE(edit->text(), typed);
        QCOMPARE(*taken, QStringLiteral("mine"));
    } else {
        QCOMPARE(owner->result(), int(QDialog::Accepted));
        QCOMPARE(*taken, label);
    }
}

QTEST_MAIN(TestPropertyDialogs)
#include "tst_propertydialogs.moc"
