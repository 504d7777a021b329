// Processes, memory items, links and dataflows drawn by gestures: names on
// placement, where connectors run and stop, the memory commands with their
// dataflows, removal without dangling pointers, and the floating mirrors of
// a process's connections on its child canvas; and their dialogs, opened
// through the items as a double click does: what OK takes back and Cancel
// leaves, read-only dataflow names, and the names a process, memory item or
// state may not take.

#include <QtTest>

#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>
#include <QUndoStack>

#include <type_traits>

#include "dataflowline.h"
#include "blockitemscommand.h"
#include "floatinglinkitem.h"
#include "floatingmemoryitem.h"
#include "itemrecords.h"
#include "linkline.h"
#include "stateitem.h"
#include "testcanvas.h"
#include "testenvironment.h"

namespace {

// What the main window does when a process's child canvas is opened.
void refreshMirrors(Canvas* child, ProcessItem* process)
{
    child->removeAllFloatingLinkItems();
    child->removeAllFloatingMemoryItems();
    for (LinkItem* link : process->getLinks())
        child->addFloatingLinkItem(link->getLabel(), link->startItem() == process ? 1 : 0);
    for (DataflowItem* dataflow : process->getDataflows())
        child->addFloatingMemoryItem(dataflow->getLabel(), dataflow->getDatatype(), dataflow->getBackgroundColor());
}

// Half way between an arrow head's middle and one wing: off the line itself.
QPoint insideHead(const QPolygonF& head)
{
    return (((head.at(0) + head.at(1) + head.at(2)) / 3 + head.at(1)) / 2).toPoint();
}


template <typename T>
T* field(QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QLatin1String(name));
}
} // namespace

class TestBlockItems : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void placementNames_data();
    void placementNames();
    void connectorLines_data();
    void connectorLines();
    void removalTakesConnectorsAlongAndUndoPutsAllBack();
    void mirrorsFollowTheParentsConnections();
    void processDialogRoundTrip();
    void connectorTexts_data();
    void connectorTexts();
    void namesAreCheckedOnOk_data();
    void namesAreCheckedOnOk();
};

void TestBlockItems::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestBlockItems::placementNames_data()
{
    QTest::addColumn<bool>("memory");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("firstRenamed"); // before the others are placed
    QTest::addColumn<QString>("label");        // of the last one placed
    QTest::addColumn<QString>("datatype");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("process, second on level 2") << false << 2 << 2 << "" << "process_32" << "" << QColor(254, 195, 9);
    QTest::newRow("process, third on level 1") << false << 1 << 3 << "" << "process_23" << "" << QColor(254, 195, 9);
    QTest::newRow("state machine is red") << false << 4 << 1 << "" << "process_51" << "" << QColor(Qt::red);
    // As after deleting a process: the count alone would repeat a name.
    QTest::newRow("process, lowest free name") << false << 3 << 2 << "process_42" << "process_41" << "" << QColor(254, 195, 9);
    QTest::newRow("process, taken names skipped") << false << 3 << 3 << "process_42" << "process_43" << "" << QColor(254, 195, 9);
    QTest::newRow("memory, level 0") << true << 0 << 1 << "" << "var_1" << "int" << QColor(192, 192, 192);
    QTest::newRow("memory, third on level 5") << true << 5 << 3 << "" << "var_3" << "int" << QColor(192, 192, 192);
    QTest::newRow("memory, lowest free name") << true << 2 << 2 << "var_2" << "var_1" << "int" << QColor(192, 192, 192);
}

void TestBlockItems::placementNames()
{
    QFETCH(bool, memory);
    QFETCH(int, level);
    QFETCH(int, count);
    QFETCH(QString, firstRenamed);
    QFETCH(QString, label);
    QFETCH(QString, datatype);
    QFETCH(QColor, colour);
    TestCanvas board(level, 3, 2);
    auto check = [&](auto* item, int i) {
        if (i == 0 && !firstRenamed.isEmpty())
            board.rename(item, firstRenamed);
        if (i < count - 1)
            return;
        QCOMPARE(item->getLabel(), label);
        QCOMPARE(item->getBackgroundColor(), colour);
        // A process carries its canvas's identity: its diagram is found by it.
        if constexpr (std::is_same<std::decay_t<decltype(*item)>, ProcessItem>::value) {
            QCOMPARE(item->getLevel(), level + 1);
            QCOMPARE(item->getParentId(), board.canvas.getId());
            QCOMPARE(item->getGrandParentId(), board.canvas.getParentId());
        }
    };
    for (int i = 0; i < count; ++i) {
        const QPointF at(200 + 400 * i, 300);
        if (memory)
            check(board.placeMemory(at), i);
        else
            check(board.placeProcess(at), i);
    }
    QCOMPARE(board.canvas.getMode(), Canvas::SelectItem);
    if (memory) {
        QCOMPARE(board.canvas.memoryItems.last()->getDatatype(), datatype);
        QCOMPARE(board.canvas.undoStack()->count(), count);
    } else {
        QCOMPARE(board.canvas.processItems.last()->getId(), count);
        QCOMPARE(board.canvas.processItems.last()->getNos(), count);
    }
}

void TestBlockItems::connectorLines_data()
{
    QTest::addColumn<bool>("dataflow");
    QTest::addColumn<bool>("leftwards");
    QTest::addColumn<int>("firstType");
    QTest::addColumn<int>("secondType");
    QTest::addColumn<qreal>("secondStart"); // where the second line meets the far end
    // A process centred at (200, 200); at (800, 200) another process, 650..950
    // wide, or a memory item, 750..850. The box sits at (500, 200).
    QTest::newRow("link rightwards") << false << false << 1 << 2 << 650.0;
    QTest::newRow("link leftwards") << false << true << 1 << 2 << 350.0;
    QTest::newRow("process writes memory") << true << false << 11 << 22 << 750.0;
    QTest::newRow("process reads memory") << true << true << 12 << 21 << 350.0;
}

void TestBlockItems::connectorLines()
{
    QFETCH(bool, dataflow);
    QFETCH(bool, leftwards);
    QFETCH(int, firstType);
    QFETCH(int, secondType);
    QFETCH(qreal, secondStart);
    TestCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(200, 200));
    QGraphicsItem* other = dataflow ? static_cast<QGraphicsItem*>(board.placeMemory(QPointF(800, 200)))
                                    : board.placeProcess(QPointF(800, 200));
    const QPointF from = leftwards ? QPointF(800, 200) : QPointF(200, 200);
    const QPointF to = leftwards ? QPointF(200, 200) : QPointF(800, 200);
    QGraphicsItem* end = leftwards ? static_cast<QGraphicsItem*>(process) : other;
    auto check = [&](auto* box) {
        QVERIFY(box);
        QCOMPARE(box->pos(), QPointF(450, 190));
        QVERIFY(box->zValue() > other->zValue());
        auto* first = box->getStartLine();
        auto* second = box->getEndLine();
        QCOMPARE(first->getLineType(), firstType);
        QCOMPARE(second->getLineType(), secondType);
        // The first line runs from the box outline back to the start centre, the
        // second from the far end's outline to the box centre; only it has a head.
        const QImage firstImage = paintOnce(first);
        const QImage secondImage = paintOnce(second);
        QCOMPARE(first->line(), QLineF(QPointF(leftwards ? 550 : 450, 200), from));
        QCOMPARE(second->line(), QLineF(QPointF(secondStart, 200), QPointF(500, 200)));
        QCOMPARE(qAlpha(firstImage.pixel(insideHead(first->getArrowHead()))), 0);
        QCOMPARE(QColor(secondImage.pixel(insideHead(second->getArrowHead()))), QColor(Qt::black));
        // The lines follow a moved end on their next paint.
        end->setPos(end->pos() + QPointF(0, 100));
        paintOnce(second);
        QCOMPARE(second->line().p2(), QPointF(500, 200));
        QCOMPARE(second->line().p1().x(), secondStart);
        QVERIFY(second->line().p1().y() > 200);
        // Back where its document has it: no step moved it.
        end->setPos(end->pos() - QPointF(0, 100));
    };
    if (dataflow) {
        DataflowItem* item = board.drawDataflow(from, to);
        check(item);
        QCOMPARE(item->getMemory(), static_cast<MemoryItem*>(other));
        QCOMPARE(process->getDataflows(), QList<DataflowItem*>({item}));
    } else {
        LinkItem* item = board.drawLink(from, to);
        check(item);
        QCOMPARE(item->endItem(), end);
        QCOMPARE(process->getLinks(), QList<LinkItem*>({item}));
        QCOMPARE(static_cast<ProcessItem*>(other)->getLinks(), QList<LinkItem*>({item}));
    }
}

void TestBlockItems::removalTakesConnectorsAlongAndUndoPutsAllBack()
{
    TestCanvas board(3);
    ProcessItem* a = board.placeProcess(QPointF(200, 200));
    ProcessItem* b = board.placeProcess(QPointF(800, 200));
    ProcessItem* c = board.placeProcess(QPointF(800, 700));
    QPointer<MemoryItem> memory = board.placeMemory(QPointF(1500, 400));
    QPointer<LinkItem> ab = board.drawLink(QPointF(200, 200), QPointF(800, 200));
    QPointer<LinkItem> ca = board.drawLink(QPointF(800, 700), QPointF(200, 200));
    QPointer<LinkItem> bc = board.drawLink(QPointF(800, 200), QPointF(800, 700));
    QPointer<DataflowItem> writes = board.drawDataflow(QPointF(200, 200), QPointF(1500, 400));
    QPointer<DataflowItem> reads = board.drawDataflow(QPointF(1500, 400), QPointF(800, 700));
    QPointer<LinkLine> abStart = ab->getStartLine();
    QPointer<DataflowLine> readsEnd = reads->getEndLine();
    QUndoStack* stack = board.stack();
    const int itemsOnBoard = board.canvas.items().size();
    const int steps = stack->count();

    // A process takes the links and dataflows it ends along, and the canvas
    // forgets them.
    board.canvas.currentLink = ab;
    board.canvas.currentDataflow = writes;
    stack->push(new BlockItemsCommand(&board.canvas, nullptr, {a}, BlockItemsCommand::Remove, "Delete Process"));
    for (const QGraphicsItem* gone : std::initializer_list<const QGraphicsItem*> {a, ab, ca, abStart, writes})
        QVERIFY(!board.canvas.holds(gone));
    QCOMPARE(board.canvas.processItems, QVector<ProcessItem*>({b, c}));
    QCOMPARE(board.canvas.linkItems, QVector<LinkItem*>({bc}));
    QCOMPARE(board.canvas.dataflowItems, QVector<DataflowItem*>({reads}));
    QCOMPARE(board.canvas.currentLink, nullptr);
    QCOMPARE(board.canvas.currentDataflow, nullptr);
    QCOMPARE(b->getLinks(), QList<LinkItem*>({bc}));
    QCOMPARE(memory->getDataflows(), QList<DataflowItem*>({reads}));

    // Undo puts every item back in its place in the registries,
    stack->undo();
    QCOMPARE(board.canvas.processItems, QVector<ProcessItem*>({a, b, c}));
    QCOMPARE(board.canvas.linkItems, QVector<LinkItem*>({ab, ca, bc}));
    QCOMPARE(board.canvas.dataflowItems, QVector<DataflowItem*>({writes, reads}));
    // and every box's connections in their order, which the mirrors follow.
    QCOMPARE(a->getLinks(), QList<LinkItem*>({ab, ca}));
    QCOMPARE(c->getLinks(), QList<LinkItem*>({ca, bc}));
    QCOMPARE(memory->getDataflows(), QList<DataflowItem*>({writes, reads}));
    QCOMPARE(board.canvas.items().size(), itemsOnBoard);

    // A new step drops the undone one, whose items are on the canvas again.
    stack->push(new BlockItemsCommand(&board.canvas, nullptr, {memory}, BlockItemsCommand::Remove, "Delete"));
    QCOMPARE(stack->count(), steps + 1);
    QVERIFY(ab && ca && writes);
    QCOMPARE(c->getDataflows(), QList<DataflowItem*>());
    // The memory item and its dataflows belong to the step now; they go with it.
    stack->clear();
    QVERIFY(!memory && !writes && !reads && !readsEnd);
    QCOMPARE(board.canvas.items().size(), itemsOnBoard - 7); // the memory item, two boxes, four lines

    // Undoing a placement takes the item off; the next one takes the same name.
    MemoryItem* placed = board.placeMemory(QPointF(800, 200));
    QCOMPARE(placed->getLabel(), QStringLiteral("var_1"));
    stack->undo();
    QVERIFY(!board.canvas.holds(placed));
    QCOMPARE(board.placeMemory(QPointF(800, 200))->getLabel(), QStringLiteral("var_1"));

    // A line destroyed on its own, as in a scene teardown, is forgotten by its box.
    delete bc->getStartLine();
    QCOMPARE(bc->getStartLine(), nullptr);
}

void TestBlockItems::mirrorsFollowTheParentsConnections()
{
    TestCanvas board(3);
    ProcessItem* p = board.placeProcess(QPointF(1000, 500));
    board.placeProcess(QPointF(200, 150));
    board.placeProcess(QPointF(1700, 500));
    MemoryItem* memory = board.placeMemory(QPointF(1000, 900));
    board.placeMemory(QPointF(200, 900));
    LinkItem* out = board.drawLink(QPointF(1000, 500), QPointF(200, 150));
    LinkItem* in = board.drawLink(QPointF(1700, 500), QPointF(1000, 500));
    DataflowItem* writes = board.drawDataflow(QPointF(1000, 500), QPointF(1000, 900));
    board.drawDataflow(QPointF(200, 900), QPointF(1000, 500));
    editTexts(out, QStringLiteral("cmd"));
    editTexts(in, QStringLiteral("status"));
    QCOMPARE(writes->getLabel(), QStringLiteral("var_1"));

    // Renaming a memory item renames its dataflows.
    editTexts(memory, QStringLiteral("speed"), QStringLiteral("uint16_t"), QStringLiteral("rpm"));
    QCOMPARE(memory->getDescription(), QStringLiteral("rpm"));
    QCOMPARE(writes->getLabel(), QStringLiteral("speed"));
    QCOMPARE(writes->getDatatype(), QStringLiteral("uint16_t"));

    TestCanvas child(4);
    for (int visit = 0; visit < 2; ++visit)
        refreshMirrors(&child.canvas, p);
    QCOMPARE(child.canvas.items().size(), 4);
    const QVector<FloatingLinkItem*>& links = child.canvas.floatingLinkItems;
    QCOMPARE(links.size(), 2);
    QCOMPARE(links.at(0)->getLabel(), QStringLiteral("cmd"));
    QCOMPARE(links.at(0)->getDirection(), 1);
    QCOMPARE(links.at(1)->getLabel(), QStringLiteral("status"));
    QCOMPARE(links.at(1)->getDirection(), 0);
    const QVector<FloatingMemoryItem*>& memories = child.canvas.floatingMemoryItems;
    QCOMPARE(memories.size(), 2);
    QCOMPARE(memories.at(0)->getLabel(), QStringLiteral("speed"));
    QCOMPARE(memories.at(0)->getDatatype(), QStringLiteral("uint16_t"));
    QCOMPARE(memories.at(1)->getLabel(), QStringLiteral("var_2"));
}

void TestBlockItems::processDialogRoundTrip()
{
    TestCanvas board(3);
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
    QVERIFY(!board.editProcess(process));
    QCOMPARE(process->getLabel(), QStringLiteral("process_41"));
    QCOMPARE(process->getCode(), QString());
    QCOMPARE(process->getWidth(), 300);
    QCOMPARE(process->getShape(), 2);
    QCOMPARE(process->getDescription(), QString());

    ModalAnswerer ok;
    ok.pressButton(QDialogButtonBox::Ok, fill);
    QVERIFY(board.editProcess(process));
    QCOMPARE(process->getLabel(), QStringLiteral("Door_Ctrl"));
    QCOMPARE(process->getCode(), QStringLiteral("rev 2"));
    QCOMPARE(QSize(process->getWidth(), process->getHeight()), QSize(420, 180));
    QCOMPARE(process->getShape(), 1);
    QCOMPARE(process->getDescription(), QStringLiteral("Opens\nthe door"));
    QCOMPARE(process->ownRect(), QRectF(0, 0, 420, 180));

    // The next opening shows what was stored; OK without edits is no change.
    QString shown;
    ModalAnswerer again;
    again.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        shown = field<QLineEdit>(dialog, "LE_Label")->text() + ' '
            + QString::number(field<QSpinBox>(dialog, "spinBox")->value()) + ' '
            + QString::number(field<QRadioButton>(dialog, "radioButton")->isChecked());
    });
    QVERIFY(!board.editProcess(process));
    QCOMPARE(shown, QStringLiteral("Door_Ctrl 420 1"));
}

void TestBlockItems::connectorTexts_data()
{
    QTest::addColumn<bool>("dataflow");
    QTest::addColumn<bool>("accept");
    QTest::newRow("link, OK") << false << true;
    QTest::newRow("link, Cancel") << false << false;
    QTest::newRow("dataflow, OK") << true << true;
}

void TestBlockItems::connectorTexts()
{
    QFETCH(bool, dataflow);
    QFETCH(bool, accept);
    TestCanvas board(3);
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
    board.canvas.editProperties(link ? static_cast<QGraphicsItem*>(link) : flow);
    const QString texts = link ? link->getLabel() + ' ' + link->getDatatype() + ' ' + link->getDescription()
                               : flow->getLabel() + ' ' + flow->getDatatype() + ' ' + flow->getDescription();
    // A dataflow's name and type are its memory item's, not to be typed over.
    QCOMPARE(shown, dataflow ? QStringLiteral("var_1 int") : QStringLiteral("spi uint8_t*"));
    QCOMPARE(texts, dataflow ? QStringLiteral("var_1 int bytes\nout")
                    : accept ? QStringLiteral("spizzz uint8_t*zzz bytes\nout")
                             : QStringLiteral("spi uint8_t* "));
}

void TestBlockItems::namesAreCheckedOnOk_data()
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
void TestBlockItems::namesAreCheckedOnOk()
{
    QFETCH(QString, kind);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    TestCanvas board(kind == QLatin1String("state") ? 5 : 3);
    const char* edit = kind == QLatin1String("state") ? "LE_StateName" : "LE_Label";
    std::function<bool()> open;
    std::function<QString()> label;
    for (const QString& name : {QStringLiteral("taken"), QStringLiteral("mine")}) {
        const QPointF at(name == QLatin1String("taken") ? 300 : 900, 400);
        if (kind == QLatin1String("process")) {
            ProcessItem* item = board.placeProcess(at);
            board.rename(item, name);
            open = [&board, item] { return board.editProcess(item); };
            label = [item] { return item->getLabel(); };
        } else if (kind == QLatin1String("memory item")) {
            MemoryItem* item = board.placeMemory(at);
            board.rename(item, name);
            open = [&board, item] {
                board.canvas.currentMemory = item;
                return board.canvas.displayMemoryItemProperties();
            };
            label = [item] { return item->getLabel(); };
        } else {
            board.canvas.setMode(Canvas::InsertState);
            SceneMouse::click(&board.canvas, at);
            StateItem* item = board.canvas.stateItems.last();
            StateItem::Values values = item->values();
            values.label = name;
            applyValues(&board.canvas, item, values);
            open = [&board, item] {
                board.canvas.currentState = item;
                return board.canvas.displayStateProperties();
            };
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

QTEST_MAIN(TestBlockItems)
#include "tst_blockitems.moc"
