#include "nameindex.h"

#include <QHash>

namespace {

// A power of two with room for count names at most half full, so that
// probes stay short.
std::size_t tableSizeFor(int count)
{
    std::size_t size = 16;
    while (size < 2 * static_cast<std::size_t>(count))
        size *= 2;
    return size;
}

} // namespace

NameIndex::NameIndex(int expected)
    : table(tableSizeFor(expected), Slot {0, -1})
{
    entries.reserve(expected);
}

int NameIndex::value(const QString& name) const
{
    const int slot = slotOf(name, qHash(name));
    return table[slot].entry < 0 ? -1 : entries.at(table[slot].entry).number;
}

int NameIndex::insert(const QString& name, int number)
{
    const uint hash = qHash(name);
    const int slot = slotOf(name, hash);
    if (table[slot].entry < 0)
        return add(name, hash, number);
    Entry& entry = entries[table[slot].entry];
    const int had = entry.number;
    entry.number = number;
    return had;
}

int NameIndex::insertNew(const QString& name, int number)
{
    const uint hash = qHash(name);
    const int slot = slotOf(name, hash);
    return table[slot].entry < 0 ? add(name, hash, number) : entries.at(table[slot].entry).number;
}

int NameIndex::slotOf(const QString& name, uint hash) const
{
    const std::size_t mask = table.size() - 1;
    std::size_t at = hash & mask;
    while (table[at].entry >= 0 && (table[at].hash != hash || entries.at(table[at].entry).name != name))
        at = (at + 1) & mask;
    return static_cast<int>(at);
}

int NameIndex::add(const QString& name, uint hash, int number)
{
    if (2 * static_cast<std::size_t>(entries.size() + 1) > table.size())
        grow();
    table[freeSlot(hash)] = {hash, entries.size()};
    entries.append({name, number});
    return -1;
}

void NameIndex::grow()
{
    std::vector<Slot> old(tableSizeFor(entries.size() + 1), Slot {0, -1});
    old.swap(table);
    for (const Slot& slot : old) {
        if (slot.entry >= 0)
            table[freeSlot(slot.hash)] = slot;
    }
}

std::size_t NameIndex::freeSlot(uint hash) const
{
    const std::size_t mask = table.size() - 1;
    std::size_t at = hash & mask;
    while (table[at].entry >= 0)
        at = (at + 1) & mask;
    return at;
}
