#include "treeitem.h"

TreeItem::TreeItem(const QVector<QVariant>& data, TreeItem* parent)
    : itemData(data)
    , parentItem(parent)
{
}

TreeItem::~TreeItem()
{
    qDeleteAll(childItems);
}

TreeItem* TreeItem::child(int row) const
{
    if (row < 0 || row >= childItems.size())
        return nullptr;
    return childItems.at(row);
}

int TreeItem::childCount() const
{
    return childItems.size();
}

int TreeItem::childNumber() const
{
    if (parentItem)
        return parentItem->childItems.indexOf(const_cast<TreeItem*>(this));
    return 0;
}

int TreeItem::columnCount() const
{
    return itemData.size();
}

QVariant TreeItem::data(int column) const
{
    if (column < 0 || column >= itemData.size())
        return QVariant();
    return itemData.at(column);
}

bool TreeItem::setData(int column, const QVariant& value)
{
    if (column < 0 || column >= itemData.size())
        return false;
    itemData[column] = value;
    return true;
}

TreeItem* TreeItem::parent() const
{
    return parentItem;
}

bool TreeItem::insertChildren(int position, int count, int columns)
{
    if (position < 0 || position > childItems.size())
        return false;
    for (int row = 0; row < count; ++row) {
        QVector<QVariant> data(columns);
        childItems.insert(position, new TreeItem(data, this));
    }
    return true;
}

bool TreeItem::removeChildren(int position, int count)
{
    if (position < 0 || count < 0 || position + count > childItems.size())
        return false;
    for (int row = 0; row < count; ++row)
        delete childItems.takeAt(position);
    return true;
}

bool TreeItem::insertColumns(int position, int columns)
{
    if (position < 0 || position > itemData.size())
        return false;
    for (int column = 0; column < columns; ++column)
        itemData.insert(position, QVariant());
    for (TreeItem* child : qAsConst(childItems))
        child->insertColumns(position, columns);
    return true;
}

bool TreeItem::removeColumns(int position, int columns)
{
    if (position < 0 || columns < 0 || position + columns > itemData.size())
        return false;
    for (int column = 0; column < columns; ++column)
        itemData.remove(position);
    for (TreeItem* child : qAsConst(childItems))
        child->removeColumns(position, columns);
    return true;
}

void TreeItem::insertItemData(int position, const QVariant& value)
{
    itemData.insert(qBound(0, position, itemData.size()), value);
}

void TreeItem::clearChildItems()
{
    // Freed at once: nothing may keep using a node of a cleared tree.
    qDeleteAll(childItems);
    childItems.clear();
}

int TreeItem::getChildPos(int level, int id, int parentId, int grandParentId,
                          const QString& label, bool* found) const
{
    for (int row = 0; row < childItems.size(); ++row) {
        const TreeItem* child = childItems.at(row);
        if (child->data(0).toString() == label && child->level == level && child->id == id
            && child->parentId == parentId && child->grandParentId == grandParentId) {
            if (found)
                *found = true;
            return row;
        }
    }
    if (found)
        *found = false;
    return 0;
}
