// Dataflows: direction and line types both ways, the arrow head at the right
// end, the box copying the memory item's name, the read-only dialog fields,
// loading and the removal of the lines.

#include <QtTest>

#include <QLineEdit>
#include <QPointer>
#include <QTextEdit>

#include "blockcanvas.h"
#include "dataflowline.h"
#include "itemrecords.h"
#include "modalanswerer.h"
#include "testenvironment.h"

namespace {
QPointF insideArrowHead(const QPolygonF& head)
{
    // Half way between the head's middle and one wing: off the line itself.
    const QPointF middle = (head.at(0) + head.at(1) + head.at(2)) / 3;
    return (middle + head.at(1)) / 2;
}
} // namespace

class TestDataflowItem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void directionsAndLineTypes_data();
    void directionsAndLineTypes();
    void boxTakesMemoryNameAndSitsBetweenEnds();
    void emptyLabelBoxSize();
    void overlappingEndsDrawNothing();
    void dialogEditsOnlyDescription();
    void loadingRestoresDirectionAndPlace();
    void removeDataflowLinesDestroysLines();
};

void TestDataflowItem::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestDataflowItem::directionsAndLineTypes_data()
{
    QTest::addColumn<bool>("fromProcess");
    QTest::addColumn<int>("lineType");
    QTest::addColumn<int>("firstType");
    QTest::addColumn<int>("secondType");
    QTest::addColumn<QPointF>("secondStart");

    // Process centred at (200,200), memory item at (800,200) (700..900 wide);
    // the box sits at (500,200), 450..550.
    QTest::newRow("process writes memory") << true << 1 << 11 << 22 << QPointF(750, 200);
    QTest::newRow("process reads memory") << false << 2 << 12 << 21 << QPointF(350, 200);
}

void TestDataflowItem::directionsAndLineTypes()
{
    QFETCH(bool, fromProcess);
    QFETCH(int, lineType);
    QFETCH(int, firstType);
    QFETCH(int, secondType);
    QFETCH(QPointF, secondStart);

    BlockCanvas board(3, 1, 1, 1);
    ProcessItem* process = board.placeProcess(QPointF(200, 200));
    MemoryItem* memory = board.placeMemory(QPointF(800, 200));
    const QPointF p(200, 200);
    const QPointF m(800, 200);
    DataflowItem* dataflow = fromProcess ? board.drawDataflow(p, m) : board.drawDataflow(m, p);
    QVERIFY(dataflow);
    QCOMPARE(dataflow->getLineType(), lineType);
    QCOMPARE(dataflow->getProcess(), process);
    QCOMPARE(dataflow->getMemory(), memory);
    QCOMPARE(dataflow->startItem(), fromProcess ? static_cast<QGraphicsItem*>(process) : memory);
    QCOMPARE(process->getDataflows(), QList<DataflowItem*> {dataflow});
    QCOMPARE(memory->getDataflows(), QList<DataflowItem*> {dataflow});

    DataflowLine* first = dataflow->getStartLine();
    DataflowLine* second = dataflow->getEndLine();
    QCOMPARE(first->getLineType(), firstType);
    QCOMPARE(second->getLineType(), secondType);
    QVERIFY(!first->hasArrowHead());
    QVERIFY(second->hasArrowHead());
    // The first line ends on the box outline, the second on the far end's.
    QCOMPARE(first->line().p1(), QPointF(fromProcess ? 450 : 550, 200));
    QCOMPARE(second->line(), QLineF(secondStart, QPointF(500, 200)));

    const QImage firstImage = paintOnce(first);
    const QImage secondImage = paintOnce(second);
    QCOMPARE(qAlpha(firstImage.pixel(insideArrowHead(first->getArrowHead()).toPoint())), 0);
    QCOMPARE(QColor(secondImage.pixel(insideArrowHead(second->getArrowHead()).toPoint())),
             QColor(Qt::black));
}

void TestDataflowItem::boxTakesMemoryNameAndSitsBetweenEnds()
{
    BlockCanvas board(1);
    board.placeProcess(QPointF(200, 201));
    MemoryItem* memory = board.placeMemory(QPointF(801, 400));
    DataflowItem* dataflow = board.drawDataflow(QPointF(200, 201), QPointF(801, 400));
    QCOMPARE(dataflow->getLabel(), QStringLiteral("var_20"));
    QCOMPARE(dataflow->getDatatype(), QStringLiteral("type_20"));
    QCOMPARE(dataflow->getBackgroundColor(), QColor(249, 231, 159));
    // Centres: process (200,201); memory at (751,368) + (50,32) = (801,400).
    QCOMPARE(memory->pos(), QPointF(751, 368));
    QCOMPARE(dataflow->getMidPos(), QPointF(500.5, 300.5));
    QCOMPARE(dataflow->pos(), QPointF(450.5, 290.5));
    QCOMPARE(dataflow->boundingRect(), QRectF(0, 0, 100, 21));
    QVERIFY(dataflow->zValue() > memory->zValue());
}

void TestDataflowItem::emptyLabelBoxSize()
{
    BlockCanvas board(3);
    board.placeProcess(QPointF(200, 200));
    t_memoryItemReadFromXML record;
    record.xCoord = 750;
    record.yCoord = 168;
    QVERIFY(board.canvas.addMemoryItem(&record));
    DataflowItem* dataflow = board.drawDataflow(QPointF(200, 200), QPointF(800, 200));
    QVERIFY(dataflow);
    QVERIFY(dataflow->getLabel().isEmpty());
    QFont big;
    big.setPointSize(20);
    const QImage image = paintOnce(dataflow, big, QSize(200, 50));
    QCOMPARE(dataflow->getWidth(), 100);
    QCOMPARE(dataflow->getHeight(), 21);
    QCOMPARE(QColor(image.pixel(50, 10)), QColor(249, 231, 159));

    // A named one grows by the link-box rule.
    board.canvas.memoryItems.last()->setLabel(QStringLiteral("x"));
    dataflow->setLabel(QStringLiteral("level"));
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    const QFontMetricsF metrics(big, &probe);
    paintOnce(dataflow, big);
    QCOMPARE(dataflow->getWidth(), int((5 + 14) * metrics.averageCharWidth()));
    QCOMPARE(dataflow->getHeight(), int(metrics.height() + metrics.averageCharWidth()));
}

void TestDataflowItem::overlappingEndsDrawNothing()
{
    BlockCanvas board(3);
    board.placeProcess(QPointF(200, 200));
    board.placeMemory(QPointF(380, 200));
    DataflowItem* dataflow = board.drawDataflow(QPointF(100, 200), QPointF(420, 200));
    QVERIFY(dataflow);
    QVERIFY(isBlank(paintOnce(dataflow)));
    QVERIFY(isBlank(paintOnce(dataflow->getStartLine())));
    QVERIFY(isBlank(paintOnce(dataflow->getEndLine())));
}

void TestDataflowItem::dialogEditsOnlyDescription()
{
    BlockCanvas board(3);
    board.placeProcess(QPointF(200, 200));
    board.placeMemory(QPointF(800, 200));
    DataflowItem* dataflow = board.drawDataflow(QPointF(200, 200), QPointF(800, 200));

    QString title;
    QString shownLabel;
    QString shownType;
    bool labelReadOnly = false;
    bool typeReadOnly = false;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        title = dialog->windowTitle();
        auto* labelEdit = dialog->findChild<QLineEdit*>(QStringLiteral("LE_Label"));
        auto* typeEdit = dialog->findChild<QLineEdit*>(QStringLiteral("LE_Datatype"));
        shownLabel = labelEdit->text();
        shownType = typeEdit->text();
        labelReadOnly = labelEdit->isReadOnly();
        typeReadOnly = typeEdit->isReadOnly();
        QTest::keyClicks(labelEdit, QStringLiteral("zzz"));
        QTest::keyClicks(dialog->findChild<QTextEdit*>(QStringLiteral("textEdit")),
                         QStringLiteral("set by the controller"));
    });
    dataflow->displayProperties();
    QCOMPARE(title, QStringLiteral("Korvel - Dataflow Item Properties"));
    QCOMPARE(shownLabel, QStringLiteral("var_40"));
    QCOMPARE(shownType, QStringLiteral("type_40"));
    QVERIFY(labelReadOnly);
    QVERIFY(typeReadOnly);
    QCOMPARE(dataflow->getLabel(), QStringLiteral("var_40"));
    QCOMPARE(dataflow->getDatatype(), QStringLiteral("type_40"));
    QCOMPARE(dataflow->getDescription(), QStringLiteral("set by the controller"));
    QCOMPARE(dataflow->getBackgroundColor(), QColor(249, 231, 159));
}

void TestDataflowItem::loadingRestoresDirectionAndPlace()
{
    BlockCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(200, 200));
    MemoryItem* memory = board.placeMemory(QPointF(800, 200));
    t_dataflowItemReadFromXML record;
    record.level = 4;
    record.parentId = 1;
    record.grandParentId = 1;
    record.xCoord = 480.5;
    record.yCoord = 90;
    record.lineType = 2;
    record.label = QStringLiteral("var_40");
    record.datatype = QStringLiteral("type_40");
    record.description = QStringLiteral("read");
    record.startItem = memory->getLabel();
    record.endItem = process->getLabel();
    record.backgroundColour = QColor(9, 8, 7);
    record.polygon = {QPoint(0, 0), QPoint(120, 0), QPoint(120, 24), QPoint(0, 24), QPoint(0, 0)};
    QVERIFY(board.canvas.addDataflowItem(&record));
    DataflowItem* dataflow = board.canvas.dataflowItems.last();
    QCOMPARE(dataflow->pos(), QPointF(480.5, 90));
    QCOMPARE(dataflow->getLineType(), 2);
    QCOMPARE(dataflow->startItem(), memory);
    QCOMPARE(dataflow->getStartLine()->getLineType(), 12);
    QCOMPARE(dataflow->getEndLine()->getLineType(), 21);
    QCOMPARE(dataflow->getDescription(), QStringLiteral("read"));
    QCOMPARE(dataflow->getBackgroundColor(), QColor(9, 8, 7));
    QCOMPARE(dataflow->myPolygon().at(2), QPointF(120, 24));
}

void TestDataflowItem::removeDataflowLinesDestroysLines()
{
    BlockCanvas board(3);
    board.placeProcess(QPointF(200, 200));
    board.placeMemory(QPointF(800, 200));
    DataflowItem* dataflow = board.drawDataflow(QPointF(200, 200), QPointF(800, 200));
    QPointer<DataflowLine> first = dataflow->getStartLine();
    QPointer<DataflowLine> second = dataflow->getEndLine();
    dataflow->removeDataflowLines();
    QVERIFY(!first && !second);
    QCOMPARE(dataflow->getStartLine(), nullptr);
    QCOMPARE(dataflow->scene(), &board.canvas);

    // Scene teardown in any order: lines deleted first are forgotten.
    DataflowItem* other = board.drawDataflow(QPointF(800, 200), QPointF(200, 200));
    delete other->getEndLine();
    QCOMPARE(other->getEndLine(), nullptr);
    QVERIFY(other->getStartLine());
}

QTEST_MAIN(TestDataflowItem)
#include "tst_dataflowitem.moc"
