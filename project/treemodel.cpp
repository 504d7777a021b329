#include "treemodel.h"

#include "treeitem.h"

TreeModel* projmodel = nullptr;

namespace {

const int deepestLevel = 5;

void assignIdentities(TreeItem* parent, int level, int parentId, int grandParentId)
{
    if (level > deepestLevel)
        return;
    for (int row = 0; row < parent->childCount(); ++row) {
        TreeItem* node = parent->child(row);
        const QVariant label = node->data(0);
        if (label.userType() != QMetaType::QString)
            continue;
        node->setLevel(level);
        node->setId(row + 1);
        node->setParentId(parentId);
        node->setGrandParentId(grandParentId);
        assignIdentities(node, level + 1, row + 1, parentId);
    }
}

} // namespace

TreeModel::TreeModel(const QStringList& headers, const QString& data, QObject* parent)
    : QAbstractItemModel(parent)
{
    QVector<QVariant> rootData;
    for (const QString& header : headers)
        rootData << header;
    rootItem = new TreeItem(rootData);
    setupModelData(data.split(QLatin1Char('\n')), rootItem, false);
}

TreeModel::~TreeModel()
{
    delete rootItem;
}

TreeItem* TreeModel::getItem(const QModelIndex& index) const
{
    if (index.isValid()) {
        if (auto* item = static_cast<TreeItem*>(index.internalPointer()))
            return item;
    }
    return rootItem;
}

QModelIndex TreeModel::indexOf(TreeItem* item) const
{
    if (!item || item == rootItem)
        return QModelIndex();
    return createIndex(item->childNumber(), 0, item);
}

int TreeModel::columnCount(const QModelIndex& /*parent*/) const
{
    return rootItem->columnCount();
}

int TreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return getItem(parent)->childCount();
}

QVariant TreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    return getItem(index)->data(index.column());
}

QVariant TreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return rootItem->data(section);
    return QVariant();
}

Qt::ItemFlags TreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEditable | QAbstractItemModel::flags(index);
}

QModelIndex TreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return QModelIndex();
    if (column < 0 || column >= columnCount())
        return QModelIndex();
    TreeItem* childItem = getItem(parent)->child(row);
    if (!childItem)
        return QModelIndex();
    return createIndex(row, column, childItem);
}

QModelIndex TreeModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return QModelIndex();
    TreeItem* parentItem = getItem(index)->parent();
    if (!parentItem || parentItem == rootItem)
        return QModelIndex();
    return createIndex(parentItem->childNumber(), 0, parentItem);
}

bool TreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    const bool result = getItem(index)->setData(index.column(), value);
    if (result)
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return result;
}

bool TreeModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                              int role)
{
    if (role != Qt::EditRole || orientation != Qt::Horizontal)
        return false;
    const bool result = rootItem->setData(section, value);
    if (result)
        emit headerDataChanged(orientation, section, section);
    return result;
}

bool TreeModel::insertColumns(int position, int columns, const QModelIndex& parent)
{
    if (columns <= 0 || position < 0 || position > rootItem->columnCount())
        return false;
    beginInsertColumns(parent, position, position + columns - 1);
    const bool success = rootItem->insertColumns(position, columns);
    endInsertColumns();
    return success;
}

bool TreeModel::removeColumns(int position, int columns, const QModelIndex& parent)
{
    if (columns <= 0 || position < 0 || position + columns > rootItem->columnCount())
        return false;
    beginRemoveColumns(parent, position, position + columns - 1);
    const bool success = rootItem->removeColumns(position, columns);
    endRemoveColumns();
    if (rootItem->columnCount() == 0)
        removeRows(0, rowCount());
    return success;
}

bool TreeModel::insertRows(int position, int rows, const QModelIndex& parent)
{
    TreeItem* parentItem = getItem(parent);
    if (rows <= 0 || position < 0 || position > parentItem->childCount())
        return false;
    beginInsertRows(parent, position, position + rows - 1);
    const bool success = parentItem->insertChildren(position, rows, rootItem->columnCount());
    endInsertRows();
    return success;
}

bool TreeModel::removeRows(int position, int rows, const QModelIndex& parent)
{
    TreeItem* parentItem = getItem(parent);
    if (rows <= 0 || position < 0 || position + rows > parentItem->childCount())
        return false;
    beginRemoveRows(parent, position, position + rows - 1);
    const bool success = parentItem->removeChildren(position, rows);
    endRemoveRows();
    return success;
}

void TreeModel::setupModelData(const QStringList& lines, TreeItem* parent, bool removeFirst)
{
    if (!parent)
        return;
    if (removeFirst && parent->childCount() > 0) {
        const QModelIndex parentIndex = indexOf(parent);
        beginRemoveRows(parentIndex, 0, 0);
        parent->removeChildren(0, 1);
        endRemoveRows();
    }

    QVector<TreeItem*> parents {parent};
    QVector<int> indentations {0};

    for (const QString& line : lines) {
        int position = 0;
        while (position < line.length() && line.at(position) == QLatin1Char(' '))
            ++position;
        const QString lineData = line.mid(position).trimmed();
        if (lineData.isEmpty())
            continue;
        const QStringList columnStrings = lineData.split(QLatin1Char('\t'), Qt::SkipEmptyParts);

        if (position > indentations.last()) {
            // Only a node that already has children can start a deeper level.
            if (parents.last()->childCount() > 0) {
                parents << parents.last()->child(parents.last()->childCount() - 1);
                indentations << position;
            }
        } else {
            while (position < indentations.last() && parents.size() > 1) {
                parents.pop_back();
                indentations.pop_back();
            }
        }

        TreeItem* target = parents.last();
        const int row = target->childCount();
        beginInsertRows(indexOf(target), row, row);
        target->insertChildren(row, 1, rootItem->columnCount());
        TreeItem* node = target->child(row);
        for (int column = 0; column < columnStrings.size() && column < node->columnCount(); ++column)
            node->setData(column, columnStrings.at(column));
        endInsertRows();
    }
}

void TreeModel::updateProjectModel()
{
    assignIdentities(rootItem, 1, 1, 1);
}
