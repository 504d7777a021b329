#ifndef TREEITEM_H
#define TREEITEM_H

#include <QString>
#include <QVariant>
#include <QVector>

// One node of the project browser tree. Owns its children; column 0 holds the
// node label, and the four numbers are the node identity.
class TreeItem
{
public:
    explicit TreeItem(const QVector<QVariant>& data, TreeItem* parent = nullptr);
    ~TreeItem();

    TreeItem(const TreeItem&) = delete;
    TreeItem& operator=(const TreeItem&) = delete;

    TreeItem* child(int row) const;
    int childCount() const;
    int childNumber() const;
    int columnCount() const;
    QVariant data(int column) const;
    bool setData(int column, const QVariant& value);
    TreeItem* parent() const;

    bool insertChildren(int position, int count, int columns);
    bool removeChildren(int position, int count);
    bool insertColumns(int position, int columns);
    bool removeColumns(int position, int columns);
    void insertItemData(int position, const QVariant& value);
    void clearChildItems();

    int getChildPos(int level, int id, int parentId, int grandParentId,
                    const QString& label, bool* found) const;

    void setLevel(int value) { level = value; }
    void setId(int value) { id = value; }
    void setParentId(int value) { parentId = value; }
    void setGrandParentId(int value) { grandParentId = value; }
    int getLevel() const { return level; }
    int getId() const { return id; }
    int getParentId() const { return parentId; }
    int getGrandParentId() const { return grandParentId; }

private:
    QVector<TreeItem*> childItems;
    QVector<QVariant> itemData;
    TreeItem* parentItem = nullptr;
    int level = 0;
    int id = 0;
    int parentId = 0;
    int grandParentId = 0;
};

#endif // TREEITEM_H
