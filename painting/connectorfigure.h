#ifndef CONNECTORFIGURE_H
#define CONNECTORFIGURE_H

#include <QLineF>
#include <QPolygonF>
#include <QRectF>

class QPainter;
class QPaintDevice;
class QPen;

// The lines between elements: each half of a transition, link or dataflow,
// and the initial transition, drawn from the outline of the element it meets
// (its first point) to the centre of the other, with an arrow head at the
// outline where it points there.
class ConnectorFigure
{
public:
    // The arrow head at the line's first point.
    static QPolygonF arrowHead(const QLineF& line);
    // What a line of the given pen width paints in, arrow head included.
    static QRectF bounds(const QLineF& line, int penWidth);
    // Where the line between two centres first crosses a closed outline; the
    // line's end when it does not.
    static QPointF outlinePoint(const QLineF& centres, const QPolygonF& outline);
    // The line from where the line from the centre from to the centre to
    // crosses the outline, back to from. The crossing is found with origin
    // taken away, in the coordinates the outline is given in.
    static QLineF lineTo(const QPointF& from, const QPointF& to, const QPolygonF& outline,
                         const QPointF& origin = QPointF());
    // The outline lines meet: the one given while it fits the rectangle of
    // its item, else the rectangle.
    static QPolygonF fittedOutline(const QPolygonF& outline, const QRectF& own);
    // The line from the end's outline to the start's centre; where the line
    // between the centres misses the outline, from the outline's point
    // nearest the start.
    static QLineF clippedLine(const QPointF& startCentre, const QPointF& endCentre, const QPolygonF& endOutline);
    // Cuts the line to the part inside area; false when none of it is. A
    // line inside keeps its points to the last bit.
    static bool clipTo(QLineF* line, const QRectF& area);
    // A selected line shows a dashed line on either side. The viewport is
    // the widget that shows the painting, when there is one.
    static void paint(QPainter* painter, const QPen& pen, const QLineF& line, const QPolygonF* arrowHead,
                      bool selected, bool antialiased = true, const QPaintDevice* viewport = nullptr);
};

#endif // CONNECTORFIGURE_H
