// The block items' dialogs, opened through the items as a double click does:
// what OK takes back and Cancel leaves, read-only dataflow names, the colour
// swatch, and the names a process, memory item or state may not take.

#include <QtTest>

#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

#include "blockcanvas.h"
#include "stateitem.h"
#include "testenvironment.h"

namespace {
template <typename T>
T* field(QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QLatin1String(name));
}
} // namespace

class TestBlockDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void processDialogRoundTrip();
    void connectorTexts_data();
    void connectorTexts();
    void namesAreCheckedOnOk_data();
    void namesAreCheckedOnOk();
};

void TestBlockDialogs::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestBlockDialogs::processDialogRoundTrip()
{
    BlockCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(400, 300), 2);
    auto fill = [](QWidget* dialog) {
        field<QLineEdit>(dialog, "LE_Label")->setText(QStringLiteral("Door_Ctrl"));
        field<QLineEdit>(dialog, "LE_Meta")->setText(QStringLiteral("rev 2"));
        field<QSpinBox>(dialog, "spinBox")->setValue(420);
        field<QSpinBox>(dialog, "spinBox_2")->setValue(180);
        field<QRadioButton>(dialog, "radioButton")->setChecked(true);
        field<QTextEdit>(dialog, "textEdit")->setPlainText(QStringLiteral("Opens\nthe door"));
    };
    ModalAnswerer cancel;
    cancel.pressButton(QDialogButtonBox::Cancel, fill);
    QVERIFY(!process->displayProperties());
    QCOMPARE(process->getLabel(), QStringLiteral("process_41"));
    QCOMPARE(process->getCode(), QString());
    QCOMPARE(process->getWidth(), 300);
    QCOMPARE(process->getShape(), 2);
    QCOMPARE(process->getDescription(), QString());

    ModalAnswerer ok;
    ok.pressButton(QDialogButtonBox::Ok, fill);
    QVERIFY(process->displayProperties());
    QCOMPARE(process->getLabel(), QStringLiteral("Door_Ctrl"));
    QCOMPARE(process->getCode(), QStringLiteral("rev 2"));
    QCOMPARE(QSize(process->getWidth(), process->getHeight()), QSize(420, 180));
    QCOMPARE(process->getShape(), 1);
    QCOMPARE(process->getDescription(), QStringLiteral("Opens\nthe door"));
    QCOMPARE(process->boundingRect(), QRectF(0, 0, 420, 180));

    // The next opening shows what was stored; OK without edits is no change.
    QString shown;
    ModalAnswerer again;
    again.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        shown = field<QLineEdit>(dialog, "LE_Label")->text() + ' '
            + QString::number(field<QSpinBox>(dialog, "spinBox")->value()) + ' '
            + QString::number(field<QRadioButton>(dialog, "radioButton")->isChecked());
    });
    QVERIFY(!process->displayProperties());
    QCOMPARE(shown, QStringLiteral("Door_Ctrl 420 1"));
}

void TestBlockDialogs::connectorTexts_data()
{
    QTest::addColumn<bool>("dataflow");
    QTest::addColumn<bool>("accept");
    QTest::newRow("link, OK") << false << true;
    QTest::newRow("link, Cancel") << false << false;
    QTest::newRow("dataflow, OK") << true << true;
}

void TestBlockDialogs::connectorTexts()
{
    QFETCH(bool, dataflow);
    QFETCH(bool, accept);
    BlockCanvas board(3);
    board.placeProcess(QPointF(200, 200));
    if (dataflow)
        board.placeMemory(QPointF(800, 200));
    else
        board.placeProcess(QPointF(800, 200));
    LinkItem* link = dataflow ? nullptr : board.drawLink(QPointF(200, 200), QPointF(800, 200));
    DataflowItem* flow = dataflow ? board.drawDataflow(QPointF(200, 200), QPointF(800, 200)) : nullptr;
    if (link)
        editTexts(link, QStringLiteral("spi"), QStringLiteral("uint8_t*"));
    QString shown;
    ModalAnswerer answer;
    answer.pressButton(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel, [&](QWidget* dialog) {
        auto* label = field<QLineEdit>(dialog, "LE_Label");
        auto* type = field<QLineEdit>(dialog, "LE_Datatype");
        shown = label->text() + ' ' + type->text();
        QTest::keyClicks(label, QStringLiteral("zzz"));
        QTest::keyClicks(type, QStringLiteral("zzz"));
        field<QTextEdit>(dialog, "textEdit")->setPlainText(QStringLiteral("bytes\nout"));
    });
    const QString texts = link ? (link->displayProperties(), link->getLabel() + ' ' + link->getDatatype() + ' ' + link->getDescription())
                               : (flow->displayProperties(), flow->getLabel() + ' ' + flow->getDatatype() + ' ' + flow->getDescription());
    // A dataflow's name and type are its memory item's, not to be typed over.
    QCOMPARE(shown, dataflow ? QStringLiteral("var_40 type_40") : QStringLiteral("spi uint8_t*"));
    QCOMPARE(texts, dataflow ? QStringLiteral("var_40 type_40 bytes\nout")
                    : accept ? QStringLiteral("spizzz uint8_t*zzz bytes\nout")
                             : QStringLiteral("spi uint8_t* "));
}

void TestBlockDialogs::namesAreCheckedOnOk_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message"); // the refusal, if any
    const QString sameName = QStringLiteral(
        "Another %1 on this diagram is already named \"taken\". Links, dataflows and transitions find "
        "their ends by name, so each %1 needs a name of its own.");
    for (const QString& kind : {QStringLiteral("process"), QStringLiteral("memory item"), QStringLiteral("state")}) {
        const QByteArray tag = kind.toLatin1();
        QTest::newRow(tag + " repeated") << kind << " taken " << sameName.arg(kind);
        QTest::newRow(tag + " blank") << kind << "  \t " << QStringLiteral("The name of a %1 cannot be blank.").arg(kind);
        QTest::newRow(tag + " trimmed") << kind << "  Pump " << QString();
    }
}

// OK with a blank or repeated name says why and leaves the dialog open with
// the text; anything else is taken back trimmed.
void TestBlockDialogs::namesAreCheckedOnOk()
{
    QFETCH(QString, kind);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    BlockCanvas board(kind == QLatin1String("state") ? 5 : 3);
    const char* edit = kind == QLatin1String("state") ? "LE_StateName" : "LE_Label";
    std::function<bool()> open;
    std::function<QString()> label;
    for (const QString& name : {QStringLiteral("taken"), QStringLiteral("mine")}) {
        const QPointF at(name == QLatin1String("taken") ? 300 : 900, 400);
        if (kind == QLatin1String("process")) {
            ProcessItem* item = board.placeProcess(at);
            item->setLabel(name);
            open = [item] { return item->displayProperties(); };
            label = [item] { return item->getLabel(); };
        } else if (kind == QLatin1String("memory item")) {
            MemoryItem* item = board.placeMemory(at);
            item->setLabel(name);
            open = [item] { return item->displayProperties(); };
            label = [item] { return item->getLabel(); };
        } else {
            board.canvas.setMode(Canvas::InsertState);
            SceneMouse::click(&board.canvas, at);
            StateItem* item = board.canvas.stateItems.last();
            StateItem::Values values = item->values();
            values.label = name;
            item->setValues(values);
            open = [item] { return item->displayProperties(false); };
            label = [item] { return item->getLabel(); };
        }
    }
    QString kept;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) { field<QLineEdit>(dialog, edit)->setText(typed); });
    if (!message.isEmpty()) {
        answer.pressButton(QMessageBox::Ok);
        answer.reject([&](QWidget* dialog) { kept = field<QLineEdit>(dialog, edit)->text(); });
    }
    open();
    QCOMPARE(answer.pendingCount(), 0);
    QCOMPARE(answer.text(), message);
    if (!message.isEmpty()) {
        QCOMPARE(answer.title(), QStringLiteral("Korvel"));
        QCOMPARE(kept, typed);
        QCOMPARE(label(), QStringLiteral("mine"));
    } else {
        QCOMPARE(label(), typed.trimmed());
    }
}

QTEST_MAIN(TestBlockDialogs)
#include "tst_blockdialogs.moc"
