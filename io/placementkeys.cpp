#include "placementkeys.h"

void PlacementKeys::addState(int level, int parentId, int grandParentId, const QString& label)
{
    stateKeys.append({level, parentId, grandParentId, label});
}

void PlacementKeys::addTransition(int level, int parentId, int grandParentId, QStringView label,
                                  const QString& startItem, const QString& endItem)
{
    transitionKeys.append({level, parentId, grandParentId, labels.size(), int(label.size()), startItem, endItem});
    labels.append(label.data(), int(label.size()));
}

void PlacementKeys::append(const PlacementKeys& other)
{
    if (isEmpty()) {
        *this = other;
        return;
    }
    stateKeys += other.stateKeys;
    const int moved = labels.size();
    labels += other.labels;
    transitionKeys.reserve(transitionKeys.size() + other.transitionKeys.size());
    for (Transition key : other.transitionKeys) {
        key.labelAt += moved;
        transitionKeys.append(std::move(key));
    }
}

void PlacementKeys::clear()
{
    *this = PlacementKeys();
}

QString PlacementKeys::transitionLabel(int transition) const
{
    const Transition& key = transitionKeys.at(transition);
    return labels.mid(key.labelAt, key.labelSize);
}
