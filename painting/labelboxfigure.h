#ifndef LABELBOXFIGURE_H
#define LABELBOXFIGURE_H

#include <QColor>
#include <QPolygonF>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

// The small named box of a link or a dataflow, and the arrow-shaped mirror
// of a link on the canvas below: sized to its name in the painter's font.
class LabelBoxFigure
{
public:
    static constexpr int emptyWidth = 100;
    static constexpr int emptyHeight = 21;
    static constexpr int textFlags = Qt::AlignCenter | Qt::TextDontClip;
    // How far the tip of a mirror's arrow shape reaches in.
    static constexpr int tipDepth = 10;

    static QSize size(QPainter* painter, const QString& label);
    static QRect textRect(QPainter* painter, const QString& label);
    // A box of the given size, its name in it.
    static void paint(QPainter* painter, const QSize& size, const QString& label, const QColor& colour,
                      Qt::PenStyle penStyle);
    // An arrow head on the box's edge, pointing right for direction 1 and
    // left for -1, as wide as the margin beside the name allows.
    static void paintDirection(QPainter* painter, const QSize& size, int direction);
    // The direction of a flow along its box: the way from its start's centre
    // to the box's, or where those are level, from the box's to its end's.
    static int direction(qreal box, qreal start, qreal end)
    {
        const qreal dx = qFuzzyIsNull(box - start) ? end - box : box - start;
        return dx < 0 ? -1 : 1;
    }
    // A mirror's outline: its tip on the right for direction 0 (a link that
    // comes in), on the left for direction 1 (a link that goes out).
    static QPolygonF mirrorOutline(const QSize& size, int direction);
    static void paintMirror(QPainter* painter, const QPolygonF& outline, const QString& label,
                            const QColor& colour);
};

#endif // LABELBOXFIGURE_H
