// Memory items: naming through the add command, undo and redo with their
// dataflows, deletion, the data-store drawing and size, the dialog that
// renames dataflows, loading, and the floating mirrors of a child canvas.

#include <QtTest>

#include <QLineEdit>
#include <QPointer>
#include <QTextEdit>
#include <QUndoStack>

#include "addmemorycommand.h"
#include "blockcanvas.h"
#include "dataflowline.h"
#include "deletememorycommand.h"
#include "floatinglinkitem.h"
#include "floatingmemoryitem.h"
#include "itemrecords.h"
#include "modalanswerer.h"
#include "testenvironment.h"

namespace {

// What the main window does when a process's child canvas is opened.
void refreshFloatingMemories(Canvas* child, ProcessItem* process)
{
    child->removeAllFloatingMemoryItems();
    for (DataflowItem* dataflow : process->getDataflows())
        child->addFloatingMemoryItem(dataflow->getLabel(), dataflow->getDatatype(),
                                     dataflow->getBackgroundColor());
}

qreal averageCharWidth(const QFont& font)
{
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    return QFontMetricsF(font, &probe).averageCharWidth();
}

} // namespace

class TestMemoryItem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void namesFollowLevelAndCount_data();
    void namesFollowLevelAndCount();
    void newItemIsCentredAndRegistered();
    void undoTakesDataflowsAlong();
    void discardedCommandDestroysItsItem();
    void deleteCommandRoundTrip();
    void widthFollowsLongerText_data();
    void widthFollowsLongerText();
    void drawingHasBarsAndBand();
    void renameRenamesDataflowsAndMirrors();
    void loadingKeepsStoredPosition();
    void removeAllDataflowItemsDetachesBothEnds();
    void floatingMemoriesStackInAColumn();
    void floatingMirrorsStayInsideWithoutOverlap_data();
    void floatingMirrorsStayInsideWithoutOverlap();
};

void TestMemoryItem::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestMemoryItem::namesFollowLevelAndCount_data()
{
    QTest::addColumn<int>("canvasLevel");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QStringList>("types");

    QTest::newRow("level-1 canvas") << 1 << QStringList {"var_20", "var_21"}
                                    << QStringList {"type_20", "type_21"};
    QTest::newRow("level-0 canvas") << 0 << QStringList {"var_10"} << QStringList {"type_10"};
    QTest::newRow("state machine") << 5 << QStringList {"var_60", "var_61", "var_62"}
                                   << QStringList {"type_60", "type_61", "type_62"};
    // The first item is renamed to "var_31": the next takes the lowest free number.
    QTest::newRow("lowest free name") << 2 << QStringList {"var_31", "var_30", "var_32"}
                                      << QStringList {"type_30", "type_30", "type_32"};
}

void TestMemoryItem::namesFollowLevelAndCount()
{
    QFETCH(int, canvasLevel);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, types);

    BlockCanvas board(canvasLevel, 2, 3, 1);
    for (int i = 0; i < labels.size(); ++i) {
        MemoryItem* memory = board.placeMemory(QPointF(200 + 200 * i, 300));
        if (i == 0 && labels.at(0) == QLatin1String("var_31"))
            memory->setLabel(labels.at(0));
        QCOMPARE(memory->getLabel(), labels.at(i));
        QCOMPARE(memory->getDatatype(), types.at(i));
        QCOMPARE(memory->getLevel(), canvasLevel + 1);
        QCOMPARE(memory->getParentId(), 2);
        QCOMPARE(memory->getGrandParentId(), 3);
    }
    QCOMPARE(board.canvas.undoStack()->count(), labels.size());
    QCOMPARE(board.canvas.getMode(), Canvas::SelectItem);
}

void TestMemoryItem::newItemIsCentredAndRegistered()
{
    BlockCanvas board(3);
    const double before = board.canvas.zCounter;
    MemoryItem* memory = board.placeMemory(QPointF(300.5, 200));
    QCOMPARE(memory->pos(), QPointF(250.5, 168));
    QCOMPARE(memory->getWidth(), 100);
    QCOMPARE(memory->getHeight(), 64);
    QCOMPARE(memory->getBackgroundColor(), QColor(192, 192, 192));
    QCOMPARE(memory->zValue(), before + 1);
    QCOMPARE(board.canvas.newMemoryItem, memory);
    QCOMPARE(board.canvas.memoryItems, QVector<MemoryItem*> {memory});
}

void TestMemoryItem::undoTakesDataflowsAlong()
{
    BlockCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(200, 200));
    MemoryItem* memory = board.placeMemory(QPointF(800, 200));
    DataflowItem* dataflow = board.drawDataflow(QPointF(200, 200), QPointF(800, 200));
    QVERIFY(dataflow);

    board.canvas.undoStack()->undo();
    QCOMPARE(memory->scene(), nullptr);
    QCOMPARE(dataflow->scene(), nullptr);
    QCOMPARE(dataflow->getStartLine()->scene(), nullptr);
    QCOMPARE(dataflow->getEndLine()->scene(), nullptr);
    QVERIFY(board.canvas.dataflowItems.isEmpty());
    QVERIFY(process->getDataflows().isEmpty());

    board.canvas.undoStack()->redo();
    QCOMPARE(memory->scene(), &board.canvas);
    QCOMPARE(dataflow->scene(), &board.canvas);
    QCOMPARE(dataflow->getEndLine()->scene(), &board.canvas);
    QCOMPARE(board.canvas.dataflowItems, QVector<DataflowItem*> {dataflow});
    QCOMPARE(process->getDataflows(), QList<DataflowItem*> {dataflow});
    QCOMPARE(memory->getDataflows(), QList<DataflowItem*> {dataflow});
}

void TestMemoryItem::discardedCommandDestroysItsItem()
{
    BlockCanvas board(3);
    board.placeProcess(QPointF(200, 200));
    QPointer<MemoryItem> memory = board.placeMemory(QPointF(800, 200));
    QPointer<DataflowItem> dataflow = board.drawDataflow(QPointF(800, 200), QPointF(200, 200));
    QPointer<DataflowLine> line = dataflow->getStartLine();
    board.canvas.undoStack()->undo();
    QVERIFY(memory && dataflow);

    // A new command drops the undone one, and with it the item it held.
    QPointer<MemoryItem> next = board.placeMemory(QPointF(800, 600));
    QVERIFY(!memory);
    QVERIFY(!dataflow);
    QVERIFY(!line);
    QCOMPARE(board.canvas.newMemoryItem, next.data());
    QCOMPARE(next->getLabel(), QStringLiteral("var_40"));

    // Items on the scene stay when the stack goes.
    board.canvas.undoStack()->clear();
    QVERIFY(next);
    QCOMPARE(next->scene(), &board.canvas);
}

void TestMemoryItem::deleteCommandRoundTrip()
{
    BlockCanvas board(3);
    MemoryItem* first = board.placeMemory(QPointF(300, 200));
    MemoryItem* second = board.placeMemory(QPointF(600, 200));
    board.canvas.undoStack()->push(new DeleteMemoryCommand(&board.canvas, first, nullptr));
    QCOMPARE(first->scene(), nullptr);
    QCOMPARE(board.canvas.memoryItems, QVector<MemoryItem*> {second});

    board.canvas.undoStack()->undo();
    QCOMPARE(first->scene(), &board.canvas);
    QCOMPARE(board.canvas.memoryItems, (QVector<MemoryItem*> {second, first}));
    QVERIFY(first->zValue() > second->zValue());

    QPointer<MemoryItem> held = first;
    board.canvas.undoStack()->redo();
    board.canvas.undoStack()->clear();
    QVERIFY(!held);
    QCOMPARE(board.canvas.memoryItems, QVector<MemoryItem*> {second});
}

void TestMemoryItem::widthFollowsLongerText_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("datatype");
    QTest::addColumn<int>("longer");

    QTest::newRow("count / unsigned long") << "count" << "unsigned long" << 13;
    QTest::newRow("long name / int") << "motor_speed_setpoint" << "int" << 20;
    QTest::newRow("equal lengths") << "abcd" << "wxyz" << 4;
    QTest::newRow("only a label") << "flag" << "" << 4;
}

void TestMemoryItem::widthFollowsLongerText()
{
    QFETCH(QString, label);
    QFETCH(QString, datatype);
    QFETCH(int, longer);

    BlockCanvas board(3);
    MemoryItem* memory = board.placeMemory(QPointF(300, 200));
    editTexts(memory, label, datatype);
    QFont font;
    font.setPointSize(12);
    const qreal c = averageCharWidth(font);
    paintOnce(memory, font);
    QCOMPARE(memory->getWidth(), int(2 * 3 * c + (longer + 8) * c));
    QCOMPARE(memory->getHeight(), 64);
    QCOMPARE(memory->myPolygon().at(1), QPointF(memory->getWidth(), 0));
}

void TestMemoryItem::drawingHasBarsAndBand()
{
    BlockCanvas board(3);
    MemoryItem* memory = board.placeMemory(QPointF(300, 200));
    // The dialog refuses a blank name; a file may still hold one.
    memory->setLabel(QString());
    memory->setDatatype(QString());
    const QImage image = paintOnce(memory, QFont(), QSize(200, 100));
    QCOMPARE(memory->getWidth(), 100);
    QCOMPARE(memory->getHeight(), 64);
    const QColor bar(139, 0, 139);
    QCOMPARE(QColor(image.pixel(50, 1)), bar);
    QCOMPARE(QColor(image.pixel(50, 61)), bar);
    QCOMPARE(QColor(image.pixel(50, 30)), QColor(192, 192, 192));
    QCOMPARE(QColor(image.pixel(99, 54)), QColor(192, 192, 192));
    // Between the band and the bottom bar nothing is drawn.
    QCOMPARE(qAlpha(image.pixel(50, 57)), 0);
    QCOMPARE(qAlpha(image.pixel(101, 30)), 0);
}

void TestMemoryItem::renameRenamesDataflowsAndMirrors()
{
    BlockCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(200, 200));
    board.placeProcess(QPointF(200, 700));
    MemoryItem* memory = board.placeMemory(QPointF(800, 400));
    DataflowItem* writes = board.drawDataflow(QPointF(200, 200), QPointF(800, 400));
    DataflowItem* reads = board.drawDataflow(QPointF(800, 400), QPointF(200, 700));
    QVERIFY(writes && reads);
    QCOMPARE(writes->getLabel(), QStringLiteral("var_40"));

    BlockCanvas child(4);
    refreshFloatingMemories(&child.canvas, process);
    QCOMPARE(child.canvas.floatingMemoryItems.first()->getLabel(), QStringLiteral("var_40"));

    editTexts(memory, QStringLiteral("speed"), QStringLiteral("uint16_t"), QStringLiteral("rpm"));
    QCOMPARE(memory->getLabel(), QStringLiteral("speed"));
    QCOMPARE(memory->getDescription(), QStringLiteral("rpm"));
    for (DataflowItem* dataflow : {writes, reads}) {
        QCOMPARE(dataflow->getLabel(), QStringLiteral("speed"));
        QCOMPARE(dataflow->getDatatype(), QStringLiteral("uint16_t"));
    }
    refreshFloatingMemories(&child.canvas, process);
    QCOMPARE(child.canvas.floatingMemoryItems.size(), 1);
    FloatingMemoryItem* mirror = child.canvas.floatingMemoryItems.first();
    QCOMPARE(mirror->getLabel(), QStringLiteral("speed"));
    QCOMPARE(mirror->getDatatype(), QStringLiteral("uint16_t"));
    QCOMPARE(mirror->getBackgroundColor(), QColor(249, 231, 159));
}

void TestMemoryItem::loadingKeepsStoredPosition()
{
    BlockCanvas board(3);
    t_memoryItemReadFromXML record;
    record.level = 4;
    record.parentId = 2;
    record.grandParentId = 1;
    record.xCoord = 77.25;
    record.yCoord = 12;
    record.label = QStringLiteral("buffer");
    record.description = QStringLiteral("ring");
    record.datatype = QStringLiteral("char[64]");
    record.polygon = {QPoint(0, 0), QPoint(140, 0), QPoint(140, 64), QPoint(0, 64), QPoint(0, 0)};
    QVERIFY(board.canvas.addMemoryItem(&record));
    MemoryItem* memory = board.canvas.memoryItems.last();
    QCOMPARE(memory->pos(), QPointF(77.25, 12));
    QCOMPARE(memory->getWidth(), 100);
    QCOMPARE(memory->getHeight(), 64);
    QCOMPARE(memory->getLabel(), QStringLiteral("buffer"));
    QCOMPARE(memory->getDatatype(), QStringLiteral("char[64]"));
    QCOMPARE(memory->getDescription(), QStringLiteral("ring"));
    QCOMPARE(memory->myPolygon().at(1), QPointF(140, 0));
    // A stored invalid colour falls back to the default when painted.
    QVERIFY(!memory->getBackgroundColor().isValid());
    paintOnce(memory);
    QCOMPARE(memory->getBackgroundColor(), QColor(229, 231, 233));
}

void TestMemoryItem::removeAllDataflowItemsDetachesBothEnds()
{
    BlockCanvas board(3);
    ProcessItem* a = board.placeProcess(QPointF(200, 200));
    ProcessItem* b = board.placeProcess(QPointF(200, 700));
    MemoryItem* memory = board.placeMemory(QPointF(800, 400));
    QPointer<DataflowItem> writes = board.drawDataflow(QPointF(200, 200), QPointF(800, 400));
    QPointer<DataflowItem> reads = board.drawDataflow(QPointF(800, 400), QPointF(200, 700));
    QCOMPARE(memory->getDataflows(), (QList<DataflowItem*> {writes, reads}));
    board.canvas.currentDataflow = writes;
    memory->removeAllDataflowItems();
    QVERIFY(!writes && !reads);
    QVERIFY(board.canvas.dataflowItems.isEmpty());
    QCOMPARE(board.canvas.currentDataflow, nullptr);
    QVERIFY(memory->getDataflows().isEmpty());
    QVERIFY(a->getDataflows().isEmpty());
    QVERIFY(b->getDataflows().isEmpty());
    QCOMPARE(board.canvas.items().size(), 3);
}

void TestMemoryItem::floatingMemoriesStackInAColumn()
{
    BlockCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(200, 500));
    board.placeMemory(QPointF(800, 200));
    board.placeMemory(QPointF(800, 500));
    board.placeMemory(QPointF(800, 800));
    board.drawDataflow(QPointF(200, 500), QPointF(800, 200));
    board.drawDataflow(QPointF(800, 500), QPointF(200, 500));
    board.drawDataflow(QPointF(200, 500), QPointF(800, 800));

    BlockCanvas child(4);
    for (int visit = 0; visit < 2; ++visit)
        refreshFloatingMemories(&child.canvas, process);
    const QVector<FloatingMemoryItem*>& mirrors = child.canvas.floatingMemoryItems;
    QCOMPARE(mirrors.size(), 3);
    QCOMPARE(child.canvas.items().size(), 3);
    const QStringList labels {QStringLiteral("var_40"), QStringLiteral("var_41"),
                              QStringLiteral("var_42")};
    for (int k = 0; k < 3; ++k) {
        FloatingMemoryItem* mirror = mirrors.at(k);
        QCOMPARE(mirror->type(), 41);
        QCOMPARE(mirror->pos(), QPointF(10, 40 + 74 * k));
        QCOMPARE(mirror->getLabel(), labels.at(k));
        QCOMPARE(mirror->getDatatype(), QString(labels.at(k)).replace(QLatin1String("var"),
                                                                       QLatin1String("type")));
        QCOMPARE(mirror->boundingRect(), QRectF(0, 0, 100, 64));
    }
}

void TestMemoryItem::floatingMirrorsStayInsideWithoutOverlap_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one of each") << 1;
    QTest::newRow("three of each") << 3;
    QTest::newRow("ten of each") << 10;
}

void TestMemoryItem::floatingMirrorsStayInsideWithoutOverlap()
{
    QFETCH(int, count);
    BlockCanvas child(4);
    child.canvas.setLabel(QStringLiteral("Signal_Control"));
    for (int k = 0; k < count; ++k) {
        child.canvas.addFloatingLinkItem(QStringLiteral("link_%1").arg(k) + QString(k, QLatin1Char('x')), k % 2);
        child.canvas.addFloatingMemoryItem(QStringLiteral("var_%1").arg(k), QStringLiteral("unsigned long"),
                                           QColor());
    }

    // Painting sizes the mirrors from their texts in the painter's font; they
    // are arranged again once the paint is over.
    QImage image(500, 263, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QFont font;
    font.setPixelSize(20);
    painter.setFont(font);
    child.canvas.render(&painter);
    painter.end();
    QCoreApplication::sendPostedEvents(&child.canvas, QEvent::MetaCall);
    QVERIFY(child.canvas.floatingLinkItems.last()->getWidth() > 100);

    QList<QGraphicsItem*> placed;
    for (QGraphicsItem* item : child.canvas.items())
        placed << item; // the mirrors and the canvas title
    QCOMPARE(placed.size(), 2 * count + 1);
    const QRectF canvasRect = child.canvas.sceneRect();
    for (int i = 0; i < placed.size(); ++i) {
        const QRectF rect = placed.at(i)->sceneBoundingRect();
        QVERIFY2(canvasRect.contains(rect), qPrintable(QStringLiteral("item %1 outside").arg(i)));
        for (int j = i + 1; j < placed.size(); ++j)
            QVERIFY2(!rect.intersects(placed.at(j)->sceneBoundingRect()),
                     qPrintable(QStringLiteral("items %1 and %2 overlap").arg(i).arg(j)));
    }
    for (FloatingLinkItem* link : child.canvas.floatingLinkItems)
        QCOMPARE(link->x(), child.canvas.floatingLinkItems.first()->x());
    for (FloatingMemoryItem* memory : child.canvas.floatingMemoryItems)
        QCOMPARE(memory->x(), child.canvas.floatingMemoryItems.first()->x());
}

QTEST_MAIN(TestMemoryItem)
#include "tst_memoryitem.moc"
