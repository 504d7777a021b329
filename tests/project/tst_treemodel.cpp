// The project browser model: the tree built from indented lines, the
// numbers each node gets, and finding a node again.

#include <QtTest>

#include "testenvironment.h"
#include "treeitem.h"
#include "treemodel.h"

namespace {

// One line per node, indented by depth: "label (level,id,parent,grandparent)".
void describe(const TreeItem* node, int depth, QStringList* out)
{
    for (int row = 0; row < node->childCount(); ++row) {
        const TreeItem* child = node->child(row);
        out->append(QString(depth * 2, QLatin1Char(' '))
                    + QStringLiteral("%1 (%2,%3,%4,%5)")
                          .arg(child->data(0).toString())
                          .arg(child->getLevel())
                          .arg(child->getId())
                          .arg(child->getParentId())
                          .arg(child->getGrandParentId()));
        QCOMPARE(child->parent(), node);
        QCOMPARE(child->childNumber(), row);
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
    void initTestCase() { TestEnvironment::useThrowAwaySettings(); }
    void buildsFromLines_data();
    void buildsFromLines();
    void childPositionNeedsLabelAndIdentity();
};

void TestTreeModel::buildsFromLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("tree");

    QTest::newRow("numbered down to level five")
        << "Proj\n    HW\n        MCU\n            SW1\n                SM1\n            SW2\n"
           "                SM1\n                SM2\n                    Six\n    HW2"
        << QStringList {"Proj (1,1,1,1)", "  HW (2,1,1,1)", "    MCU (3,1,1,1)", "      SW1 (4,1,1,1)",
                        "        SM1 (5,1,1,1)", "      SW2 (4,2,1,1)", "        SM1 (5,1,2,1)",
                        "        SM2 (5,2,2,1)", "          Six (0,0,0,0)", "  HW2 (2,2,1,1)"};
    // The root has no children when X comes: X joins it without starting a
    // level, so Y nests under X and Z pops back to the root.
    QTest::newRow("deeper line under a parent without children")
        << "        X\n            Y\n    Z" << QStringList {"X (1,1,1,1)", "  Y (2,1,1,1)", "Z (1,2,1,1)"};
    QTest::newRow("same indentation after an indented first line nests")
        << "    X\n    Y" << QStringList {"X (1,1,1,1)", "  Y (2,1,1,1)"};
    QTest::newRow("blank lines, carriage returns, inner spaces")
        << "\nMy Project\r\n\n    \n    Hardware Module  \r\n\r\n"
        << QStringList {"My Project (1,1,1,1)", "  Hardware Module (2,1,1,1)"};
    QTest::newRow("empty text gives no rows") << QString() << QStringList();
}

void TestTreeModel::buildsFromLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, tree);
    TreeModel model(QStringList {QString()}, text);
    model.updateProjectModel();
    QCOMPARE(describe(model), tree);
}

void TestTreeModel::childPositionNeedsLabelAndIdentity()
{
    TreeModel model(QStringList {QString()}, QStringLiteral("P\n    A\n    B\n    B"));
    model.updateProjectModel();
    TreeItem* p = model.getItem(model.index(0, 0));
    bool found = false;
    QCOMPARE(p->getChildPos(2, 3, 1, 1, QStringLiteral("B"), &found), 2);
    QVERIFY(found);
    QCOMPARE(p->getChildPos(2, 1, 1, 1, QStringLiteral("B"), &found), 0); // right label, wrong identity
    QVERIFY(!found);
    found = true;
    QCOMPARE(p->getChildPos(2, 1, 1, 1, QStringLiteral("a"), &found), 0); // right identity, wrong label
    QVERIFY(!found);
}

QTEST_MAIN(TestTreeModel)
#include "tst_treemodel.moc"
