#ifndef FLOATINGLINKITEM_H
#define FLOATINGLINKITEM_H

#include <QColor>
#include <QGraphicsItem>
#include <QObject>
#include <QPolygonF>
#include <QString>
#include <QVector>

#include "itemtype.h"

// On a child canvas, the mirror of one link of the owning process: an arrow
// box pointing right (green) for a link that ends at the process, left (red)
// for one that starts there.
class FloatingLinkItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum { Type = FloatingLinkType };

    FloatingLinkItem(QPointF pos, int direction, QString label, QGraphicsItem* parent = nullptr);

    int type() const override { return Type; }

    QString getLabel() const { return label; }
    int getDirection() const { return direction; }
    QColor getColor() const { return colour; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    QPolygonF myPolygon() const { return QPolygonF(polygon); }
    void updatePolygon(int direction);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

private:
    QString label;
    int width = 100;
    int height = 21;
    int direction = 0;
    QColor colour;
    QVector<QPointF> polygon;
};

#endif // FLOATINGLINKITEM_H
