// Links: the box between two processes, its two lines with the one arrow
// head, its size from the label, its dialog, and the floating mirrors of a
// process's links on the child canvas.

#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTextEdit>

#include "blockcanvas.h"
#include "floatinglinkitem.h"
#include "itemrecords.h"
#include "linkline.h"
#include "modalanswerer.h"
#include "testenvironment.h"

namespace {


QPointF centroid(const QPolygonF& polygon)
{
    QPointF sum;
    for (const QPointF& point : polygon)
        sum += point;
    return sum / polygon.size();
}

// What the main window does when a process's child canvas is opened.
void refreshFloatingLinks(Canvas* child, ProcessItem* process)
{
    child->removeAllFloatingLinkItems();
    for (LinkItem* link : process->getLinks())
        child->addFloatingLinkItem(link->getLabel(), link->startItem() == process ? 1 : 0);
}

} // namespace

class TestLinkItem : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dragCreatesCentredLinkWithIdentity();
    void linesJoinOutlinesAndOnlyEndLineHasArrow();
    void boxSizeFollowsLabelAndFont_data();
    void boxSizeFollowsLabelAndFont();
    void emptyLabelBoxAndDefaultColour();
    void overlappingProcessesHideLink();
    void dialogRoundTripAndCancel();
    void loadingPlacesBoxAtStoredPosition();
    void removeLinkLinesDestroysLines();
    void floatingLinksMirrorProcessLinks();
    void floatingLinkOutlinesByDirection_data();
    void floatingLinkOutlinesByDirection();
};

void TestLinkItem::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
}

void TestLinkItem::dragCreatesCentredLinkWithIdentity()
{
    BlockCanvas board(3, 1, 1, 1);
    ProcessItem* a = board.placeProcess(QPointF(200, 200));
    ProcessItem* b = board.placeProcess(QPointF(800, 301));
    LinkItem* link = board.drawLink(QPointF(200, 200), QPointF(800, 301));
    QVERIFY(link);
    QCOMPARE(link->type(), 36);
    QCOMPARE(link->startItem(), a);
    QCOMPARE(link->endItem(), b);
    QCOMPARE(link->getLevel(), 4);
    QCOMPARE(link->getParentId(), 1);
    QCOMPARE(link->getGrandParentId(), 1);
    QCOMPARE(a->getLinks(), QList<LinkItem*> {link});
    QCOMPARE(b->getLinks(), QList<LinkItem*> {link});
    // Centres (200,200) and (800,301): midpoint (500,250.5), box 100 x 21.
    QCOMPARE(link->getMidPos(), QPointF(500, 250.5));
    QCOMPARE(link->pos(), QPointF(450, 240.5));
    QCOMPARE(link->getWidth(), 100);
    QCOMPARE(link->getHeight(), 21);
    QVERIFY(link->zValue() > b->zValue());

    // A drag that does not end on another process makes nothing.
    QVERIFY(!board.drawLink(QPointF(200, 200), QPointF(1500, 900)));
    QVERIFY(!board.drawLink(QPointF(200, 200), QPointF(210, 210)));
    QCOMPARE(board.canvas.linkItems.size(), 1);
}

void TestLinkItem::linesJoinOutlinesAndOnlyEndLineHasArrow()
{
    BlockCanvas board(3);
    ProcessItem* a = board.placeProcess(QPointF(200, 200));
    ProcessItem* b = board.placeProcess(QPointF(800, 200));
    LinkItem* link = board.drawLink(QPointF(200, 200), QPointF(800, 200));
    QVERIFY(link);
    LinkLine* first = link->getStartLine();
    LinkLine* second = link->getEndLine();
    QVERIFY(first && second);

    QCOMPARE(first->getLineType(), 1);
    QCOMPARE(first->getProcess(), a);
    QCOMPARE(second->getLineType(), 2);
    QCOMPARE(second->getProcess(), b);

    // Each line runs from the outline of its end item back to the centre of
    // its start item.
    QCOMPARE(first->line(), QLineF(QPointF(450, 200), QPointF(200, 200)));
    QCOMPARE(second->line(), QLineF(QPointF(650, 200), QPointF(500, 200)));

    const QImage firstImage = paintOnce(first);
    const QImage secondImage = paintOnce(second);
    // Half way between the arrow's middle and one of its wings: off the line,
    // inside the head.
    const QPointF firstTip = (centroid(first->getArrowHead()) + first->getArrowHead().at(1)) / 2;
    const QPointF secondTip = (centroid(second->getArrowHead()) + second->getArrowHead().at(1)) / 2;
    QCOMPARE(qAlpha(firstImage.pixel(firstTip.toPoint())), 0);
    QCOMPARE(QColor(secondImage.pixel(secondTip.toPoint())), QColor(Qt::black));
    // The arrow of the second line points into the end process.
    QVERIFY(secondTip.x() < 650);
    QVERIFY(qAbs(centroid(second->getArrowHead()).y() - 200) < 1);

    // The lines follow a moved process on their next paint.
    b->setPos(b->pos() + QPointF(0, 100));
    paintOnce(second);
    QCOMPARE(second->line().p2(), QPointF(500, 200));
    QCOMPARE(second->line().p1().x(), 650.0);
    QVERIFY(second->line().p1().y() > 200);
}

void TestLinkItem::boxSizeFollowsLabelAndFont_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("pointSize");

    QTest::newRow("bus, small font") << "bus" << 8;
    QTest::newRow("bus, default size") << "bus" << 10;
    QTest::newRow("bus, large font") << "bus" << 17;
    QTest::newRow("long label") << "can_bus_frame_rx" << 11;
}

void TestLinkItem::boxSizeFollowsLabelAndFont()
{
    QFETCH(QString, label);
    QFETCH(int, pointSize);

    BlockCanvas board(3);
    board.placeProcess(QPointF(200, 200));
    board.placeProcess(QPointF(800, 200));
    LinkItem* link = board.drawLink(QPointF(200, 200), QPointF(800, 200));
    editTexts(link, label);
    QCOMPARE(link->getLabel(), label);

    QFont font;
    font.setPointSize(pointSize);
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    const QFontMetricsF metrics(font, &probe);
    const qreal c = metrics.averageCharWidth();
    const qreal h = metrics.height();
    const int width = int((label.length() + 14) * c);
    const int height = int(h + c);

    paintOnce(link, font);
    QCOMPARE(link->getWidth(), width);
    QCOMPARE(link->getHeight(), height);
    QCOMPARE(link->boundingRect(), QRectF(0, 0, width, height));
    QCOMPARE(link->myPolygon(),
             QPolygonF({QPointF(0, 0), QPointF(width, 0), QPointF(width, height),
                        QPointF(0, height), QPointF(0, 0)}));
    // The box keeps its place while it grows.
    QCOMPARE(link->pos(), QPointF(450, 190));
}

void TestLinkItem::emptyLabelBoxAndDefaultColour()
{
    BlockCanvas board(3);
    board.placeProcess(QPointF(200, 200));
    board.placeProcess(QPointF(800, 200));
    LinkItem* link = board.drawLink(QPointF(200, 200), QPointF(800, 200));
    QVERIFY(!link->getBackgroundColor().isValid());
    editTexts(link, QStringLiteral("a_rather_long_label"));
    paintOnce(link);
    QVERIFY(link->getWidth() > 100);

    editTexts(link, QString());
    const QImage image = paintOnce(link);
    QCOMPARE(link->getWidth(), 100);
    QCOMPARE(link->getHeight(), 21);
    QCOMPARE(link->getBackgroundColor(), QColor(229, 231, 233));
    QCOMPARE(QColor(image.pixel(50, 10)), QColor(229, 231, 233));
    QCOMPARE(QColor(image.pixel(0, 10)), QColor(Qt::black));
}

void TestLinkItem::overlappingProcessesHideLink()
{
    BlockCanvas board(3);
    ProcessItem* a = board.placeProcess(QPointF(200, 200));
    ProcessItem* b = board.placeProcess(QPointF(300, 250));
    QVERIFY(a->collidesWithItem(b));
    LinkItem* link = board.drawLink(QPointF(60, 80), QPointF(440, 370));
    QVERIFY(link);
    QCOMPARE(link->startItem(), a);
    QCOMPARE(link->endItem(), b);
    QVERIFY(isBlank(paintOnce(link)));
    QVERIFY(isBlank(paintOnce(link->getStartLine())));
    QVERIFY(isBlank(paintOnce(link->getEndLine())));

    // Pulled apart, all three show again.
    b->setPos(900, 500);
    QVERIFY(!isBlank(paintOnce(link)));
    QVERIFY(!isBlank(paintOnce(link->getEndLine())));
}

void TestLinkItem::dialogRoundTripAndCancel()
{
    BlockCanvas board(3);
    board.placeProcess(QPointF(200, 200));
    board.placeProcess(QPointF(800, 200));
    LinkItem* link = board.drawLink(QPointF(200, 200), QPointF(800, 200));
    editTexts(link, QStringLiteral("spi"), QStringLiteral("uint8_t*"), QStringLiteral("bytes\nout"));
    QCOMPARE(link->getLabel(), QStringLiteral("spi"));
    QCOMPARE(link->getDatatype(), QStringLiteral("uint8_t*"));
    QCOMPARE(link->getDescription(), QStringLiteral("bytes\nout"));

    QString title;
    QString shownLabel;
    QString shownType;
    ModalAnswerer answer;
    answer.pressButton(QDialogButtonBox::Cancel, [&](QWidget* dialog) {
        title = dialog->windowTitle();
        auto* labelEdit = dialog->findChild<QLineEdit*>(QStringLiteral("LE_Label"));
        shownLabel = labelEdit->text();
        shownType = dialog->findChild<QLineEdit*>(QStringLiteral("LE_Datatype"))->text();
        labelEdit->setText(QStringLiteral("dropped"));
    });
    link->displayProperties();
    QCOMPARE(title, QStringLiteral("Korvel - Link Item Properties"));
    QCOMPARE(shownLabel, QStringLiteral("spi"));
    QCOMPARE(shownType, QStringLiteral("uint8_t*"));
    QCOMPARE(link->getLabel(), QStringLiteral("spi"));
}

void TestLinkItem::loadingPlacesBoxAtStoredPosition()
{
    BlockCanvas board(3);
    ProcessItem* a = board.placeProcess(QPointF(200, 200));
    ProcessItem* b = board.placeProcess(QPointF(800, 200));
    t_linkItemReadFromXML record;
    record.level = 4;
    record.parentId = 1;
    record.grandParentId = 1;
    record.xCoord = 333.5;
    record.yCoord = 44;
    record.label = QStringLiteral("uart");
    record.description = QStringLiteral("d");
    record.datatype = QStringLiteral("char");
    record.startItem = b->getLabel();
    record.endItem = a->getLabel();
    record.backgroundColour = QColor(5, 6, 7);
    record.polygon = {QPoint(0, 0), QPoint(110, 0), QPoint(110, 23), QPoint(0, 23), QPoint(0, 0)};
    QVERIFY(board.canvas.addLinkItem(&record));
    LinkItem* link = board.canvas.linkItems.last();
    QCOMPARE(link->pos(), QPointF(333.5, 44));
    QCOMPARE(link->startItem(), b);
    QCOMPARE(link->endItem(), a);
    QCOMPARE(link->getLabel(), QStringLiteral("uart"));
    QCOMPARE(link->getBackgroundColor(), QColor(5, 6, 7));
    QCOMPARE(link->myPolygon().at(2), QPointF(110, 23));
    QCOMPARE(b->getLinks(), QList<LinkItem*> {link});
}

void TestLinkItem::removeLinkLinesDestroysLines()
{
    BlockCanvas board(3);
    board.placeProcess(QPointF(200, 200));
    board.placeProcess(QPointF(800, 200));
    LinkItem* link = board.drawLink(QPointF(200, 200), QPointF(800, 200));
    QPointer<LinkLine> first = link->getStartLine();
    QPointer<LinkLine> second = link->getEndLine();
    link->removeLinkLines();
    QVERIFY(!first && !second);
    QCOMPARE(link->getStartLine(), nullptr);
    QCOMPARE(link->getEndLine(), nullptr);
    QCOMPARE(link->scene(), &board.canvas);

    // A line destroyed on its own is forgotten by its box.
    LinkItem* other = board.drawLink(QPointF(800, 200), QPointF(200, 200));
    delete other->getStartLine();
    QCOMPARE(other->getStartLine(), nullptr);
    QVERIFY(other->getEndLine());
}

void TestLinkItem::floatingLinksMirrorProcessLinks()
{
    BlockCanvas board(3);
    ProcessItem* p = board.placeProcess(QPointF(1000, 500));
    board.placeProcess(QPointF(200, 150));
    board.placeProcess(QPointF(200, 800));
    board.placeProcess(QPointF(1700, 500));
    LinkItem* toX = board.drawLink(QPointF(1000, 500), QPointF(200, 150));
    LinkItem* toY = board.drawLink(QPointF(1000, 500), QPointF(200, 800));
    LinkItem* fromZ = board.drawLink(QPointF(1700, 500), QPointF(1000, 500));
    QVERIFY(toX && toY && fromZ);
    editTexts(toX, QStringLiteral("cmd"));
    editTexts(fromZ, QStringLiteral("status"));

    BlockCanvas child(4);
    for (int visit = 0; visit < 2; ++visit) {
        refreshFloatingLinks(&child.canvas, p);
        QCOMPARE(child.canvas.floatingLinkItems.size(), 3);
    }
    const QVector<FloatingLinkItem*>& mirrors = child.canvas.floatingLinkItems;
    // One column, 10 apart, while the boxes have their unpainted 21 rows.
    const QVector<QPointF> places {QPointF(10, 40), QPointF(10, 71), QPointF(10, 102)};
    const QVector<int> directions {1, 1, 0};
    const QVector<QColor> colours {QColor(255, 0, 0), QColor(255, 0, 0), QColor(0, 255, 0)};
    const QStringList labels {QStringLiteral("cmd"), QString(), QStringLiteral("status")};
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(mirrors.at(k)->type(), 40);
        QCOMPARE(mirrors.at(k)->pos(), places.at(k));
        QCOMPARE(mirrors.at(k)->getDirection(), directions.at(k));
        QCOMPARE(mirrors.at(k)->getColor(), colours.at(k));
        QCOMPARE(mirrors.at(k)->getLabel(), labels.at(k));
    }
    QCOMPARE(child.canvas.items().size(), 3);
    QVERIFY(mirrors.at(2)->zValue() > mirrors.at(1)->zValue());
}

void TestLinkItem::floatingLinkOutlinesByDirection_data()
{
    QTest::addColumn<int>("direction");
    QTest::addColumn<QPolygonF>("outline");
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<QPoint>("cutCorner");
    QTest::addColumn<QPoint>("fullCorner");

    QTest::newRow("ends at the process: green, pointing right")
        << 0
        << QPolygonF({QPointF(100, 10), QPointF(90, 0), QPointF(0, 0), QPointF(0, 21), QPointF(90, 21)})
        << QColor(0, 255, 0) << QPoint(98, 2) << QPoint(3, 3);
    QTest::newRow("starts at the process: red, pointing left")
        << 1
        << QPolygonF({QPointF(0, 10), QPointF(10, 0), QPointF(100, 0), QPointF(100, 21), QPointF(10, 21)})
        << QColor(255, 0, 0) << QPoint(2, 2) << QPoint(96, 3);
}

void TestLinkItem::floatingLinkOutlinesByDirection()
{
    QFETCH(int, direction);
    QFETCH(QPolygonF, outline);
    QFETCH(QColor, fill);
    QFETCH(QPoint, cutCorner);
    QFETCH(QPoint, fullCorner);

    FloatingLinkItem item(QPointF(10, 40), direction, QString());
    QCOMPARE(item.myPolygon(), outline);
    QCOMPARE(item.boundingRect(), QRectF(0, 0, 100, 21));
    const QImage image = paintOnce(&item, QFont(), QSize(120, 40));
    QCOMPARE(qAlpha(image.pixel(cutCorner)), 0);
    QCOMPARE(QColor(image.pixel(fullCorner)), fill);

    // A direction other than 0 or 1 draws nothing.
    FloatingLinkItem odd(QPointF(0, 0), 2, QStringLiteral("x"));
    QVERIFY(odd.myPolygon().isEmpty());
    QVERIFY(isBlank(paintOnce(&odd, QFont(), QSize(120, 40))));
}

QTEST_MAIN(TestLinkItem)
#include "tst_linkitem.moc"
