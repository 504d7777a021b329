#ifndef FLOATINGMEMORYITEM_H
#define FLOATINGMEMORYITEM_H

#include <QColor>
#include <QGraphicsItem>
#include <QObject>
#include <QPen>
#include <QPolygonF>
#include <QString>
#include <QVector>

#include "itemtype.h"

// On a child canvas, the mirror of one dataflow of the owning process, drawn
// as the memory item it reads or writes.
class FloatingMemoryItem : public QObject, public QGraphicsItem
{
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)

public:
    enum { Type = FloatingMemoryType };

    explicit FloatingMemoryItem(QPointF pos);

    int type() const override { return Type; }

    QString getLabel() const { return label; }
    QString getDatatype() const { return datatype; }
    QString getDescription() const { return description; }
    QColor getBackgroundColor() const { return colour; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    void setLabel(const QString& text);
    void setDatatype(const QString& text);
    void setBackgroundColor(const QColor& colour);

    QPolygonF myPolygon() const { return QPolygonF(polygon); }
    void updatePolygon();

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

private:
    int width = 100;
    int height = 64;
    QString label;
    QString datatype;
    QString description;
    QColor colour;
    QVector<QPointF> polygon;
    QPen pen;
};

#endif // FLOATINGMEMORYITEM_H
