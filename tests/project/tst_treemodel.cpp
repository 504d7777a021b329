// The project browser model: building the tree from indented lines, node
// identities, the node operations and the model's notifications.

#include <QtTest>

#include <QAbstractItemModelTester>

#include "testenvironment.h"
#include "treeitem.h"
#include "treemodel.h"

namespace {

// (level, id, parent id, grandparent id) of a node.
QVector<int> identity(const TreeItem* node)
{
    return {node->getLevel(), node->getId(), node->getParentId(), node->getGrandParentId()};
}

QString label(const TreeItem* node)
{
    return node ? node->data(0).toString() : QStringLiteral("<none>");
}

// One line per node, indented by depth, with its identity, for whole-tree checks.
void describe(const TreeItem* node, int depth, QStringList* out)
{
    for (int row = 0; row < node->childCount(); ++row) {
        const TreeItem* child = node->child(row);
        out->append(QString(depth * 2, QLatin1Char(' '))
                    + QStringLiteral("%1 (%2,%3,%4,%5)")
                          .arg(label(child))
                          .arg(child->getLevel())
                          .arg(child->getId())
                          .arg(child->getParentId())
                          .arg(child->getGrandParentId()));
        describe(child, depth + 1, out);
    }
}

QStringList describe(TreeModel& model)
{
    QStringList out;
    describe(model.getItem(QModelIndex()), 0, &out);
    return out;
}

} // namespace

class TestTreeModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void buildsFourLineExampleWithIdentities();
    void buildsFromLines_data();
    void buildsFromLines();
    void identitiesDownToLevelFive();
    void removeFirstReplacesTheProjectNode();
    void tabsSplitIntoColumnsAndExtraColumnsAreDropped();
    void notificationsAreConsistent();
    void setDataAndHeaderAnnounceChanges();
    void removingLastColumnRemovesRows();
    void childPositionNeedsLabelAndIdentity();
    void nodeOperationBounds_data();
    void nodeOperationBounds();
    void columnsAreInsertedInDescendants();
};

void TestTreeModel::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestTreeModel::buildsFourLineExampleWithIdentities()
{
    TreeModel model(QStringList {QString()}, QStringLiteral("P\n    A\n        B\n    C"));
    model.updateProjectModel();
    QCOMPARE(describe(model),
             (QStringList {QStringLiteral("P (1,1,1,1)"), QStringLiteral("  A (2,1,1,1)"),
                           QStringLiteral("    B (3,1,1,1)"), QStringLiteral("  C (2,2,1,1)")}));
    TreeItem* p = model.getItem(model.index(0, 0));
    QCOMPARE(p->child(0)->child(0)->parent(), p->child(0));
    QCOMPARE(p->child(1)->childNumber(), 1);
}

void TestTreeModel::buildsFromLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("tree");

    QTest::newRow("deeper line under a parent without children")
        << QStringLiteral("        X\n            Y\n    Z")
        // The root has no children when X comes: X joins it without starting
        // a level, so Y (deeper) nests under X and Z pops back to the root.
        << QStringList {QStringLiteral("X (0,0,0,0)"), QStringLiteral("  Y (0,0,0,0)"),
                        QStringLiteral("Z (0,0,0,0)")};
    QTest::newRow("same indentation after an indented first line nests")
        << QStringLiteral("    X\n    Y")
        << QStringList {QStringLiteral("X (0,0,0,0)"), QStringLiteral("  Y (0,0,0,0)")};
    QTest::newRow("deeper line after a sibling nests under it")
        << QStringLiteral("P\n        deep\n    back")
        << QStringList {QStringLiteral("P (0,0,0,0)"), QStringLiteral("  deep (0,0,0,0)"),
                        QStringLiteral("back (0,0,0,0)")};
    QTest::newRow("blank lines and lines of spaces are skipped")
        << QStringLiteral("\nP\n\n    \n    A\n\n")
        << QStringList {QStringLiteral("P (0,0,0,0)"), QStringLiteral("  A (0,0,0,0)")};
    QTest::newRow("carriage returns are trimmed")
        << QStringLiteral("P\r\n    A\r\n    B\r\n\r\n")
        << QStringList {QStringLiteral("P (0,0,0,0)"), QStringLiteral("  A (0,0,0,0)"),
                        QStringLiteral("  B (0,0,0,0)")};
    QTest::newRow("inner spaces are kept")
        << QStringLiteral("My Project\n    Hardware Module  \n        Microcontroller")
        << QStringList {QStringLiteral("My Project (0,0,0,0)"),
                        QStringLiteral("  Hardware Module (0,0,0,0)"),
                        QStringLiteral("    Microcontroller (0,0,0,0)")};
    QTest::newRow("empty text gives no rows") << QString() << QStringList();
}

void TestTreeModel::buildsFromLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, tree);
    TreeModel model(QStringList {QString()}, text);
    QCOMPARE(describe(model), tree);
}

void TestTreeModel::identitiesDownToLevelFive()
{
    const QString text = QStringLiteral(
        "Proj\n"
        "    HW\n"
        "        MCU\n"
        "            SW1\n"
        "                SM1\n"
        "            SW2\n"
        "                SM1\n"
        "                SM2\n"
        "                    Six\n");
    TreeModel model(QStringList {QString()}, text);
    model.updateProjectModel();
    QCOMPARE(describe(model),
             (QStringList {QStringLiteral("Proj (1,1,1,1)"), QStringLiteral("  HW (2,1,1,1)"),
                           QStringLiteral("    MCU (3,1,1,1)"),
                           QStringLiteral("      SW1 (4,1,1,1)"),
                           QStringLiteral("        SM1 (5,1,1,1)"),
                           QStringLiteral("      SW2 (4,2,1,1)"),
                           QStringLiteral("        SM1 (5,1,2,1)"),
                           QStringLiteral("        SM2 (5,2,2,1)"),
                           // Below level 5 nothing is numbered.
                           QStringLiteral("          Six (0,0,0,0)")}));

    // A second project node: positions among siblings drive every number.
    TreeItem* root = model.getItem(QModelIndex());
    model.setupModelData(QStringList {QStringLiteral("Other"), QStringLiteral("    Child"),
                                      QStringLiteral("    Child2"),
                                      QStringLiteral("        Grand")},
                         root, false);
    model.updateProjectModel();
    QCOMPARE(identity(root->child(1)), (QVector<int> {1, 2, 1, 1}));
    QCOMPARE(identity(root->child(1)->child(1)), (QVector<int> {2, 2, 2, 1}));
    QCOMPARE(identity(root->child(1)->child(1)->child(0)), (QVector<int> {3, 1, 2, 2}));
}

void TestTreeModel::removeFirstReplacesTheProjectNode()
{
    TreeModel model(QStringList {QString()}, QStringLiteral("Old\n    Kid"));
    TreeItem* root = model.getItem(QModelIndex());
    model.setupModelData(QStringLiteral("New\n    Fresh").split(QLatin1Char('\n')), root, true);
    QCOMPARE(describe(model),
             (QStringList {QStringLiteral("New (0,0,0,0)"), QStringLiteral("  Fresh (0,0,0,0)")}));

    // With no first row to remove, nothing else happens.
    root->clearChildItems();
    model.setupModelData(QStringList {QStringLiteral("Only")}, root, true);
    QCOMPARE(describe(model), QStringList {QStringLiteral("Only (0,0,0,0)")});
}

void TestTreeModel::tabsSplitIntoColumnsAndExtraColumnsAreDropped()
{
    TreeModel model(QStringList {QStringLiteral("Name"), QStringLiteral("Kind")},
                    QStringLiteral("P\tproject\t\tignored\n    A\t\tmodule"));
    QCOMPARE(model.columnCount(), 2);
    const QModelIndex p = model.index(0, 0);
    QCOMPARE(model.data(p, Qt::DisplayRole).toString(), QStringLiteral("P"));
    QCOMPARE(model.data(model.index(0, 1), Qt::DisplayRole).toString(), QStringLiteral("project"));
    QCOMPARE(model.getItem(p)->columnCount(), 2);
    QCOMPARE(model.data(model.index(0, 1, p), Qt::EditRole).toString(), QStringLiteral("module"));
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Kind"));
    QVERIFY(!model.headerData(1, Qt::Vertical, Qt::DisplayRole).isValid());
    QVERIFY(!model.data(p, Qt::ToolTipRole).isValid());
}

void TestTreeModel::notificationsAreConsistent()
{
    TreeModel model(QStringList {QString()}, QString());
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    TreeItem* root = model.getItem(QModelIndex());
    model.setupModelData(QStringLiteral("P\n    A\n        B\n    C").split(QLatin1Char('\n')),
                         root, true);
    QCOMPARE(inserted.count(), 4);
    // B went under A: row 0 of the index of A.
    const QList<QVariant> bInsert = inserted.at(2);
    const QModelIndex aIndex = bInsert.at(0).toModelIndex();
    QCOMPARE(model.data(aIndex, Qt::DisplayRole).toString(), QStringLiteral("A"));
    QCOMPARE(bInsert.at(1).toInt(), 0);
    QCOMPARE(model.rowCount(aIndex), 1);

    // Reloading replaces the first row with notifications, too.
    model.setupModelData(QStringList {QStringLiteral("Q")}, root, true);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.data(model.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("Q"));

    // The main window's additions and removals.
    const QModelIndex q = model.index(0, 0);
    QVERIFY(model.insertRows(0, 2, q));
    QVERIFY(model.setData(model.index(1, 0, q), QStringLiteral("second")));
    QCOMPARE(model.rowCount(q), 2);
    QVERIFY(model.removeRows(0, 1, q));
    QCOMPARE(model.data(model.index(0, 0, q), Qt::DisplayRole).toString(), QStringLiteral("second"));
    QVERIFY(!model.removeRows(0, 5, q));
    QVERIFY(model.removeRows(0, model.rowCount()));
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.removeRows(0, 0));
}

void TestTreeModel::setDataAndHeaderAnnounceChanges()
{
    TreeModel model(QStringList {QStringLiteral("old")}, QStringLiteral("P"));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    qRegisterMetaType<Qt::Orientation>();
    QSignalSpy header(&model, &QAbstractItemModel::headerDataChanged);
    const QModelIndex p = model.index(0, 0);

    QVERIFY(!model.setData(p, QStringLiteral("display"), Qt::DisplayRole));
    QCOMPARE(changed.count(), 0);
    QVERIFY(model.setData(p, QStringLiteral("renamed"), Qt::EditRole));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), p);
    QCOMPARE(changed.at(0).at(1).toModelIndex(), p);
    QCOMPARE(model.getItem(p)->data(0).toString(), QStringLiteral("renamed"));

    QVERIFY(!model.setHeaderData(0, Qt::Vertical, QStringLiteral("x"), Qt::EditRole));
    QVERIFY(!model.setHeaderData(0, Qt::Horizontal, QStringLiteral("x"), Qt::DisplayRole));
    QCOMPARE(header.count(), 0);
    QVERIFY(model.setHeaderData(0, Qt::Horizontal, QString(), Qt::EditRole));
    QCOMPARE(header.count(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString());
    QVERIFY(!model.setHeaderData(3, Qt::Horizontal, QStringLiteral("x"), Qt::EditRole));
}

void TestTreeModel::removingLastColumnRemovesRows()
{
    TreeModel model(QStringList {QString()}, QStringLiteral("P\n    A"));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QVERIFY(model.insertColumns(1, 1));
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.getItem(model.index(0, 0, model.index(0, 0)))->columnCount(), 2);
    QVERIFY(model.removeColumns(0, 2));
    QCOMPARE(model.columnCount(), 0);
    QCOMPARE(model.rowCount(), 0);
}

void TestTreeModel::childPositionNeedsLabelAndIdentity()
{
    TreeModel model(QStringList {QString()}, QStringLiteral("P\n    A\n    B\n    B"));
    model.updateProjectModel();
    TreeItem* p = model.getItem(model.index(0, 0));

    bool found = false;
    QCOMPARE(p->getChildPos(2, 2, 1, 1, QStringLiteral("B"), &found), 1);
    QVERIFY(found);
    QCOMPARE(p->getChildPos(2, 3, 1, 1, QStringLiteral("B"), &found), 2);
    QVERIFY(found);
    // Right label, wrong identity.
    found = true;
    QCOMPARE(p->getChildPos(2, 1, 1, 1, QStringLiteral("B"), &found), 0);
    QVERIFY(!found);
    // Right identity, wrong label.
    found = true;
    QCOMPARE(p->getChildPos(2, 1, 1, 1, QStringLiteral("a"), &found), 0);
    QVERIFY(!found);
}

void TestTreeModel::nodeOperationBounds_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("children");

    // The node starts with two children.
    QTest::newRow("insert at end") << "insert" << 2 << 1 << true << 3;
    QTest::newRow("insert at front") << "insert" << 0 << 2 << true << 4;
    QTest::newRow("insert past end") << "insert" << 3 << 1 << false << 2;
    QTest::newRow("insert negative") << "insert" << -1 << 1 << false << 2;
    QTest::newRow("remove all") << "remove" << 0 << 2 << true << 0;
    QTest::newRow("remove last") << "remove" << 1 << 1 << true << 1;
    QTest::newRow("remove too many") << "remove" << 1 << 2 << false << 2;
    QTest::newRow("remove negative") << "remove" << -1 << 1 << false << 2;
}

void TestTreeModel::nodeOperationBounds()
{
    QFETCH(QString, operation);
    QFETCH(int, position);
    QFETCH(int, count);
    QFETCH(bool, result);
    QFETCH(int, children);

    TreeItem node(QVector<QVariant> {QStringLiteral("n")});
    QVERIFY(node.insertChildren(0, 2, 3));
    const bool ok = operation == QLatin1String("insert") ? node.insertChildren(position, count, 3)
                                                         : node.removeChildren(position, count);
    QCOMPARE(ok, result);
    QCOMPARE(node.childCount(), children);
    for (int row = 0; row < node.childCount(); ++row) {
        QCOMPARE(node.child(row)->columnCount(), 3);
        QCOMPARE(node.child(row)->parent(), &node);
        QCOMPARE(node.child(row)->childNumber(), row);
    }
    QCOMPARE(node.child(children), nullptr);
    QCOMPARE(node.child(-1), nullptr);

    // A node without children cannot lose one.
    TreeItem leaf(QVector<QVariant> {QStringLiteral("leaf")});
    QVERIFY(!leaf.removeChildren(0, 1));
    QCOMPARE(leaf.childCount(), 0);
}

void TestTreeModel::columnsAreInsertedInDescendants()
{
    TreeItem node(QVector<QVariant> {QStringLiteral("a"), QStringLiteral("b")});
    QVERIFY(node.insertChildren(0, 1, 2));
    QVERIFY(node.child(0)->insertChildren(0, 1, 2));
    QVERIFY(node.insertColumns(1, 2));
    QCOMPARE(node.columnCount(), 4);
    QCOMPARE(node.data(0).toString(), QStringLiteral("a"));
    QVERIFY(!node.data(1).isValid());
    QCOMPARE(node.data(3).toString(), QStringLiteral("b"));
    QCOMPARE(node.child(0)->child(0)->columnCount(), 4);
    QVERIFY(!node.insertColumns(5, 1));
    QVERIFY(!node.removeColumns(3, 2));
    QVERIFY(node.removeColumns(1, 2));
    QCOMPARE(node.child(0)->child(0)->columnCount(), 2);
    QVERIFY(!node.data(7).isValid());
    QVERIFY(!node.setData(2, 1));
    QVERIFY(node.setData(1, 42));
    QCOMPARE(node.data(1).toInt(), 42);
    node.insertItemData(0, QStringLiteral("first"));
    QCOMPARE(node.columnCount(), 3);
    QCOMPARE(node.data(0).toString(), QStringLiteral("first"));
}

QTEST_MAIN(TestTreeModel)
#include "tst_treemodel.moc"
