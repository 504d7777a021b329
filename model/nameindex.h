#ifndef NAMEINDEX_H
#define NAMEINDEX_H

#include <QString>
#include <QVector>

#include <vector>

// Names with a number each, kept in two blocks sized once: a machine of
// 100,000 states has hundreds of thousands of names, which a hash's node
// each would scatter over the heap and free one by one.
class NameIndex
{
public:
    explicit NameIndex(int expected = 0);

    // The number of name, or -1.
    int value(const QString& name) const;
    // Gives name the number, and gives the number it had, or -1.
    int insert(const QString& name, int number);
    // Gives a new name the number and gives -1; a known name keeps its
    // number, which it gives.
    int insertNew(const QString& name, int number);

private:
    struct Entry
    {
        QString name;
        int number;
    };
    struct Slot
    {
        uint hash;
        int entry; // -1: free
    };

    int slotOf(const QString& name, uint hash) const;
    std::size_t freeSlot(uint hash) const;
    int add(const QString& name, uint hash, int number);
    void grow();

    QVector<Entry> entries;
    std::vector<Slot> table;
};

#endif // NAMEINDEX_H
