#ifndef EXACTVALUES_H
#define EXACTVALUES_H

#include <QPointF>
#include <QVector>

#include <cmath>

// Equality of the numbers an element holds, exactly as the file would write
// them: Qt's comparison of points is fuzzy, and 0 and -0 are written apart.
namespace ExactValues {

inline bool same(double a, double b)
{
    return a == b && std::signbit(a) == std::signbit(b);
}

inline bool same(const QPointF& a, const QPointF& b)
{
    return same(a.x(), b.x()) && same(a.y(), b.y());
}

inline bool same(const QVector<QPointF>& a, const QVector<QPointF>& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (!same(a.at(i), b.at(i)))
            return false;
    return true;
}

} // namespace ExactValues

#endif // EXACTVALUES_H
