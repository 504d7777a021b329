#ifndef PLACEMENTKEYS_H
#define PLACEMENTKEYS_H

#include <QString>
#include <QStringView>
#include <QVector>

// What deciding where states and transitions go needs, kept instead of their
// records when nothing more is wanted, so that a large file is checked in
// little memory: the identity and label of each state, and the identity,
// label and ends of each transition, in document order.
class PlacementKeys
{
public:
    struct State
    {
        int level;
        int parentId;
        int grandParentId;
        QString label;
    };
    struct Transition
    {
        int level;
        int parentId;
        int grandParentId;
        int labelAt;
        int labelSize;
        QString startItem;
        QString endItem;
    };

    void addState(int level, int parentId, int grandParentId, const QString& label);
    void addTransition(int level, int parentId, int grandParentId, QStringView label, const QString& startItem,
                       const QString& endItem);
    void append(const PlacementKeys& other);
    void clear();

    bool isEmpty() const { return stateKeys.isEmpty() && transitionKeys.isEmpty(); }
    const QVector<State>& states() const { return stateKeys; }
    const QVector<Transition>& transitions() const { return transitionKeys; }
    QString transitionLabel(int transition) const;

private:
    QVector<State> stateKeys;
    QVector<Transition> transitionKeys;
    // The transition labels end to end: a string each would take more memory
    // than all the rest of the keys.
    QString labels;
};

#endif // PLACEMENTKEYS_H
