#ifndef TREEMODEL_H
#define TREEMODEL_H

#include <QAbstractItemModel>
#include <QModelIndex>
#include <QStringList>
#include <QVariant>

class TreeItem;

// The project browser model: an invisible root whose item data are the column
// headers, and below it the project tree of TreeItem nodes.
class TreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    TreeModel(const QStringList& headers, const QString& data, QObject* parent = nullptr);
    ~TreeModel() override;

    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    bool insertColumns(int position, int columns, const QModelIndex& parent = QModelIndex()) override;
    bool removeColumns(int position, int columns, const QModelIndex& parent = QModelIndex()) override;
    bool insertRows(int position, int rows, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int position, int rows, const QModelIndex& parent = QModelIndex()) override;

    TreeItem* getItem(const QModelIndex& index) const;
    // The model index of a node, invalid for the root.
    QModelIndex indexOf(TreeItem* item) const;
    void setupModelData(const QStringList& lines, TreeItem* parent, bool removeFirst);
    // Gives every node down to level 5 its identity from its tree position.
    void updateProjectModel();

private:
    TreeItem* rootItem = nullptr;
};

extern TreeModel* projmodel;

#endif // TREEMODEL_H
