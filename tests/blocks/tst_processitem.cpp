// Process items: numbering and naming on placement, painting defaults, the
// properties dialog round trip, loading, highlight, connectors meeting the
// drawn outline and connection removal.

#include <QtTest>

#include <QColorDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>

#include "blockcanvas.h"
#include "connectorgeometry.h"
#include "dataflowline.h"
#include "itemrecords.h"
#include "linkline.h"
#include "modalanswerer.h"
#include "testenvironment.h"

namespace {
const QColor defaultColor(254, 195, 9);

template <typename T>
T* field(QWidget* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QLatin1String(name));
    if (!widget)
        qWarning("no widget %s", name);
    return widget;
}
} // namespace

class TestProcessItem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void placementNumbersAndNames_data();
    void placementNumbersAndNames();
    void newProcessIsCentredOnClick();
    void defaultColourOnFirstPaint();
    void shapesAreDrawnDifferently();
    void cancelLeavesEverythingUnchanged();
    void dialogEditsAreTakenBack();
    void cancelledColourChooserGivesDefaultColour();
    void loadingKeepsStoredPositionAndValues();
    void connectorsEndOnDrawnOutline_data();
    void connectorsEndOnDrawnOutline();
    void clippingWithoutCrossingEndsOnNearestEdge();
    void removeLinksDestroysLinksAndLines();
    void removeAllDataflowItemsDestroysDataflows();
};

void TestProcessItem::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestProcessItem::placementNumbersAndNames_data()
{
    QTest::addColumn<int>("canvasLevel");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QColor>("colour");
    // The first process is renamed to this before the others are placed.
    QTest::addColumn<QString>("firstRenamed");

    QTest::newRow("second on a level-2 canvas") << 2 << 2 << "process_32" << QColor() << QString();
    QTest::newRow("third on a level-1 canvas") << 1 << 3 << "process_23" << QColor() << QString();
    QTest::newRow("second on a level-3 canvas") << 3 << 2 << "process_42" << QColor() << QString();
    QTest::newRow("state machine is red") << 4 << 1 << "process_51" << QColor(Qt::red) << QString();
    // As after deleting a process: the count alone would repeat a name.
    QTest::newRow("lowest free name") << 3 << 2 << "process_41" << QColor() << "process_42";
    QTest::newRow("taken names skipped") << 3 << 3 << "process_43" << QColor() << "process_42";
}

void TestProcessItem::placementNumbersAndNames()
{
    QFETCH(int, canvasLevel);
    QFETCH(int, count);
    QFETCH(QString, label);
    QFETCH(QColor, colour);
    QFETCH(QString, firstRenamed);

    BlockCanvas board(canvasLevel, 3, 2, 1);
    QSignalSpy added(&board.processAdded, &QAction::triggered);
    ProcessItem* process = nullptr;
    double previousZ = 0;
    for (int i = 0; i < count; ++i) {
        process = board.placeProcess(QPointF(200 + 400 * i, 300));
        if (i == 0 && !firstRenamed.isEmpty())
            process->setLabel(firstRenamed);
        QVERIFY(process->zValue() > previousZ);
        previousZ = process->zValue();
    }
    QCOMPARE(added.count(), count);
    QCOMPARE(board.canvas.getMode(), Canvas::SelectItem);
    QCOMPARE(process->getLabel(), label);
    QCOMPARE(process->getId(), count);
    QCOMPARE(process->getNos(), count);
    QCOMPARE(process->getLevel(), canvasLevel + 1);
    QCOMPARE(process->getParentId(), 3);
    QCOMPARE(process->getGrandParentId(), 2);
    QCOMPARE(process->getBackgroundColor(), colour);
}

void TestProcessItem::newProcessIsCentredOnClick()
{
    BlockCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(400.5, 300), 2);
    QCOMPARE(process->pos(), QPointF(250.5, 175));
    QCOMPARE(process->myPolygon(),
             QPolygonF({QPointF(0, 0), QPointF(300, 0), QPointF(300, 250), QPointF(0, 250),
                        QPointF(0, 0)}));
}

void TestProcessItem::defaultColourOnFirstPaint()
{
    BlockCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(400, 300));
    QVERIFY(!process->getBackgroundColor().isValid());
    const QImage image = paintOnce(process);
    QCOMPARE(process->getBackgroundColor(), defaultColor);
    QCOMPARE(QColor(image.pixel(150, 60)), defaultColor);
    // Painting again does not change the colour it settled on.
    paintOnce(process);
    QCOMPARE(process->getBackgroundColor(), defaultColor);
}

void TestProcessItem::shapesAreDrawnDifferently()
{
    BlockCanvas board(3);
    ProcessItem* rectangular = board.placeProcess(QPointF(200, 300), 1);
    ProcessItem* rounded = board.placeProcess(QPointF(800, 300), 2);

    const QImage box = paintOnce(rectangular);
    const QImage ellipse = paintOnce(rounded);
    // Inside the corner radius of 27 the rounded rectangle is empty; a little
    // further in it is filled, where the ellipse is still empty.
    QCOMPARE(qAlpha(box.pixel(5, 5)), 0);
    QCOMPARE(QColor(box.pixel(30, 30)), defaultColor);
    QCOMPARE(QColor(box.pixel(3, 125)), defaultColor);
    QCOMPARE(qAlpha(ellipse.pixel(30, 30)), 0);
    QCOMPARE(QColor(ellipse.pixel(150, 3)), defaultColor);
    QCOMPARE(QColor(ellipse.pixel(150, 60)), defaultColor);
}

void TestProcessItem::cancelLeavesEverythingUnchanged()
{
    BlockCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(400, 300), 2);
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Cancel, [](QWidget* dialog) {
        field<QLineEdit>(dialog, "LE_Label")->setText(QStringLiteral("changed"));
        field<QLineEdit>(dialog, "LE_Meta")->setText(QStringLiteral("meta"));
        field<QSpinBox>(dialog, "spinBox")->setValue(10);
        field<QRadioButton>(dialog, "radioButton")->setChecked(true);
        field<QTextEdit>(dialog, "textEdit")->setPlainText(QStringLiteral("text"));
    });
    process->displayProperties();
    QCOMPARE(answer.answeredCount(), 1);
    QCOMPARE(process->getLabel(), QStringLiteral("process_41"));
    QCOMPARE(process->getCode(), QString());
    QCOMPARE(process->getWidth(), 300);
    QCOMPARE(process->getShape(), 2);
    QCOMPARE(process->getDescription(), QString());
    QVERIFY(!process->getBackgroundColor().isValid());
}

void TestProcessItem::dialogEditsAreTakenBack()
{
    BlockCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(400, 300), 2);
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Ok, [](QWidget* dialog) {
        field<QLineEdit>(dialog, "LE_Label")->setText(QStringLiteral("Door_Ctrl"));
        field<QLineEdit>(dialog, "LE_Meta")->setText(QStringLiteral("rev 2"));
        field<QSpinBox>(dialog, "spinBox")->setValue(420);
        field<QSpinBox>(dialog, "spinBox_2")->setValue(180);
        field<QRadioButton>(dialog, "radioButton")->setChecked(true);
        field<QTextEdit>(dialog, "textEdit")->setPlainText(QStringLiteral("Opens\nthe door"));
    });
    process->displayProperties();
    QCOMPARE(process->getLabel(), QStringLiteral("Door_Ctrl"));
    QCOMPARE(process->getCode(), QStringLiteral("rev 2"));
    QCOMPARE(process->getWidth(), 420);
    QCOMPARE(process->getHeight(), 180);
    QCOMPARE(process->getShape(), 1);
    QCOMPARE(process->getDescription(), QStringLiteral("Opens\nthe door"));
    QCOMPARE(process->boundingRect(), QRectF(0, 0, 420, 180));
    QCOMPARE(process->myPolygon().at(2), QPointF(420, 180));

    // The next opening shows what was stored. The dialog is the same widget,
    // so a fresh answerer takes it.
    QString shownLabel;
    int shownWidth = 0;
    bool rectangularShown = false;
    ModalAnswerer again;
    again.reject([&](QWidget* dialog) {
        shownLabel = field<QLineEdit>(dialog, "LE_Label")->text();
        shownWidth = field<QSpinBox>(dialog, "spinBox")->value();
        rectangularShown = field<QRadioButton>(dialog, "radioButton")->isChecked();
    });
    process->displayProperties();
    QCOMPARE(shownLabel, QStringLiteral("Door_Ctrl"));
    QCOMPARE(shownWidth, 420);
    QVERIFY(rectangularShown);
}

void TestProcessItem::cancelledColourChooserGivesDefaultColour()
{
    BlockCanvas board(4);
    ProcessItem* process = board.placeProcess(QPointF(400, 300));
    ModalAnswerer properties;
    ModalAnswerer chooser;
    QString swatch;
    QString chooserTitle;
    properties.pressButton(QDialogButtonBox::Ok, [&](QWidget* dialog) {
        chooser.reject([&](QWidget* colourDialog) { chooserTitle = colourDialog->windowTitle(); });
        QTest::mouseClick(field<QLabel>(dialog, "LB_Color"), Qt::LeftButton);
        swatch = field<QLabel>(dialog, "LB_Color")->styleSheet();
    });
    process->displayProperties();
    QCOMPARE(chooserTitle, QStringLiteral("Select Color"));
    QCOMPARE(swatch, QStringLiteral("background-color:rgb(0,0,0);"));
    QVERIFY(!process->getBackgroundColor().isValid());
    paintOnce(process);
    QCOMPARE(process->getBackgroundColor(), defaultColor);
}

void TestProcessItem::loadingKeepsStoredPositionAndValues()
{
    BlockCanvas board(3);
    t_processItemReadFromXML record;
    record.level = 4;
    record.id = 2;
    record.Nos = 3;
    record.label = QStringLiteral("Motor");
    record.parentId = 1;
    record.grandParentId = 1;
    record.code = QStringLiteral("meta");
    record.description = QStringLiteral("drives");
    record.xCoord = 123;
    record.yCoord = 456;
    record.width = 280;
    record.height = 150;
    record.shape = 2;
    record.backgroundColour = QColor(1, 2, 3);
    record.polygon = {QPoint(0, 0), QPoint(280, 0), QPoint(280, 150), QPoint(0, 150), QPoint(0, 0)};
    QVERIFY(board.canvas.addProcessItem(&record));

    ProcessItem* process = board.canvas.processItems.last();
    QCOMPARE(process->pos(), QPointF(123, 456));
    QCOMPARE(process->getLevel(), 4);
    QCOMPARE(process->getId(), 2);
    QCOMPARE(process->getNos(), 3);
    QCOMPARE(process->getLabel(), QStringLiteral("Motor"));
    QCOMPARE(process->getCode(), QStringLiteral("meta"));
    QCOMPARE(process->getDescription(), QStringLiteral("drives"));
    QCOMPARE(process->getShape(), 2);
    QCOMPARE(process->getBackgroundColor(), QColor(1, 2, 3));
    QCOMPARE(process->myPolygon().at(2), QPointF(280, 150));
    QCOMPARE(process->boundingRect(), QRectF(0, 0, 280, 150));
}

void TestProcessItem::connectorsEndOnDrawnOutline_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<bool>("dataflow");
    QTest::addColumn<QPointF>("otherCentre");

    // The loaded process is drawn 300 x 250 at (600, 400), centre (750, 525),
    // while its file gives a 500 x 500 outline.
    const QPointF left(150, 525), above(750, 60), diagonal(150, 60);
    for (int shape : {1, 2}) {
        const char* drawn = shape == 1 ? "rounded" : "ellipse";
        QTest::addRow("%s, link from the left", drawn) << shape << false << left;
        QTest::addRow("%s, link from above", drawn) << shape << false << above;
        QTest::addRow("%s, link at the corner", drawn) << shape << false << diagonal;
        QTest::addRow("%s, dataflow from the left", drawn) << shape << true << left;
        QTest::addRow("%s, dataflow at the corner", drawn) << shape << true << diagonal;
    }
}

void TestProcessItem::connectorsEndOnDrawnOutline()
{
    QFETCH(int, shape);
    QFETCH(bool, dataflow);
    QFETCH(QPointF, otherCentre);

    BlockCanvas board(2);
    t_processItemReadFromXML record;
    record.level = 3;
    record.id = 1;
    record.Nos = 1;
    record.label = QStringLiteral("Microcontroller");
    record.parentId = 1;
    record.grandParentId = 1;
    record.xCoord = 600;
    record.yCoord = 400;
    record.width = 300;
    record.height = 250;
    record.shape = shape;
    record.polygon = {QPoint(0, 0), QPoint(500, 0), QPoint(500, 500), QPoint(0, 500), QPoint(0, 0)};
    QVERIFY(board.canvas.addProcessItem(&record));
    ProcessItem* process = board.canvas.processItems.last();
    QCOMPARE(process->myPolygon().at(2), QPointF(300, 250));

    QGraphicsLineItem* line = nullptr;
    if (dataflow) {
        board.placeMemory(otherCentre);
        DataflowItem* item = board.drawDataflow(otherCentre, QPointF(750, 525));
        QVERIFY(item);
        line = item->getEndLine();
    } else {
        board.placeProcess(otherCentre);
        LinkItem* item = board.drawLink(otherCentre, QPointF(750, 525));
        QVERIFY(item);
        line = item->getEndLine();
    }
    QVERIFY(line);
    paintOnce(line);

    // The end point lies on the drawn edge: a step towards the centre is
    // inside the shape, a step away is outside.
    QPainterPath drawn;
    const QRectF bounds(600, 400, 300, 250);
    if (shape == 1)
        drawn.addRoundedRect(bounds, 27, 27, Qt::AbsoluteSize);
    else
        drawn.addEllipse(bounds);
    const QPointF end = line->line().p1();
    QLineF inward(end, QPointF(750, 525));
    inward.setLength(1.5);
    QVERIFY2(drawn.contains(inward.p2()), qPrintable(QStringLiteral("%1,%2").arg(end.x()).arg(end.y())));
    QVERIFY2(!drawn.contains(end - (inward.p2() - end)),
             qPrintable(QStringLiteral("%1,%2").arg(end.x()).arg(end.y())));
}

void TestProcessItem::clippingWithoutCrossingEndsOnNearestEdge()
{
    const QPolygonF square(QRectF(100, 100, 200, 100));
    // The start centre inside the outline: no edge is crossed.
    QCOMPARE(ConnectorGeometry::clippedLine(QPointF(280, 150), QPointF(200, 150), square).p1(),
             QPointF(300, 150));
    QCOMPARE(ConnectorGeometry::clippedLine(QPointF(150, 110), QPointF(200, 150), square).p1(),
             QPointF(150, 100));
    // Without an outline the line ends at the end centre.
    QCOMPARE(ConnectorGeometry::clippedLine(QPointF(0, 0), QPointF(200, 150), QPolygonF()).p1(),
             QPointF(200, 150));
}

void TestProcessItem::removeLinksDestroysLinksAndLines()
{
    BlockCanvas board(3);
    ProcessItem* a = board.placeProcess(QPointF(200, 200));
    ProcessItem* b = board.placeProcess(QPointF(800, 200));
    ProcessItem* c = board.placeProcess(QPointF(800, 700));
    QPointer<LinkItem> ab = board.drawLink(QPointF(200, 200), QPointF(800, 200));
    QPointer<LinkItem> ca = board.drawLink(QPointF(800, 700), QPointF(200, 200));
    QPointer<LinkItem> bc = board.drawLink(QPointF(800, 200), QPointF(800, 700));
    QVERIFY(ab && ca && bc);
    QPointer<LinkLine> abStart = ab->getStartLine();
    QPointer<LinkLine> caEnd = ca->getEndLine();
    QCOMPARE(a->getLinks(), (QList<LinkItem*> {ab, ca}));

    board.canvas.currentLink = ab;
    a->removeLinks();
    QVERIFY(!ab && !ca && !abStart && !caEnd);
    // The canvas keeps no pointer to a destroyed link.
    QCOMPARE(board.canvas.linkItems, QVector<LinkItem*> {bc});
    QCOMPARE(board.canvas.currentLink, nullptr);
    QCOMPARE(board.canvas.newLinkItem, bc.data());
    QVERIFY(a->getLinks().isEmpty());
    QCOMPARE(b->getLinks(), QList<LinkItem*> {bc});
    QCOMPARE(c->getLinks(), QList<LinkItem*> {bc});
    int lines = 0;
    for (QGraphicsItem* item : board.canvas.items()) {
        if (dynamic_cast<LinkLine*>(item))
            ++lines;
    }
    QCOMPARE(lines, 2);
}

void TestProcessItem::removeAllDataflowItemsDestroysDataflows()
{
    BlockCanvas board(3);
    ProcessItem* process = board.placeProcess(QPointF(200, 200));
    MemoryItem* memory = board.placeMemory(QPointF(700, 200));
    MemoryItem* other = board.placeMemory(QPointF(700, 500));
    QPointer<DataflowItem> writes = board.drawDataflow(QPointF(200, 200), QPointF(700, 200));
    QPointer<DataflowItem> reads = board.drawDataflow(QPointF(700, 500), QPointF(200, 200));
    QVERIFY(writes && reads);
    QPointer<DataflowLine> line = reads->getEndLine();
    QCOMPARE(process->getDataflows(), (QList<DataflowItem*> {writes, reads}));

    process->removeAllDataflowItems();
    QVERIFY(!writes && !reads && !line);
    QVERIFY(board.canvas.dataflowItems.isEmpty());
    QCOMPARE(board.canvas.newDataflowItem, nullptr);
    QVERIFY(process->getDataflows().isEmpty());
    QVERIFY(memory->getDataflows().isEmpty());
    QVERIFY(other->getDataflows().isEmpty());
    QCOMPARE(board.canvas.items().size(), 3); // the process and the two memory items
}

QTEST_MAIN(TestProcessItem)
#include "tst_processitem.moc"
