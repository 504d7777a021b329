#ifndef FOREIGNCONTENT_H
#define FOREIGNCONTENT_H

#include <QPair>
#include <QString>
#include <QVector>

// An element that a newer Korvel wrote and this one does not know.
struct ForeignElement
{
    QString name;
    QVector<QPair<QString, QString>> attributes;
    // Its text, when it has no elements inside.
    QString text;
    QVector<ForeignElement> children;

    bool operator==(const ForeignElement& other) const
    {
        return name == other.name && attributes == other.attributes && text == other.text
            && children == other.children;
    }
};

// What an element of a project file carries that this version does not
// know: kept as it was read and written back with the element, so that a
// file from a newer Korvel survives a save by this one.
struct ForeignContent
{
    QVector<QPair<QString, QString>> attributes;
    QVector<ForeignElement> children;

    bool isEmpty() const { return attributes.isEmpty() && children.isEmpty(); }
    bool operator==(const ForeignContent& other) const
    {
        return attributes == other.attributes && children == other.children;
    }
};

#endif // FOREIGNCONTENT_H
