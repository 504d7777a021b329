#include "datastorefigure.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {
const QColor barColour(139, 0, 139);
} // namespace

int DataStoreFigure::width(QPainter* painter, const QString& label, const QString& datatype)
{
    if (label.isEmpty() && datatype.isEmpty())
        return emptyWidth;
    const qreal c = QFontMetricsF(painter->font(), painter->device()).averageCharWidth();
    const qreal labelWidth = (label.length() + 8) * c;
    const qreal typeWidth = (datatype.length() + 8) * c;
    const qreal margin = 3 * c;
    return int(2 * margin + (labelWidth >= typeWidth ? labelWidth : typeWidth));
}

void DataStoreFigure::paint(QPainter* painter, const QPen& pen, int width, const QColor& colour,
                            const QString& label, const QString& datatype)
{
    QPen barPen = pen;
    barPen.setWidth(4);
    barPen.setColor(barColour);
    painter->setPen(barPen);
    painter->drawLine(QPointF(0, 0), QPointF(width, 0));
    painter->drawLine(QPointF(0, height - 4), QPointF(width, height - 4));

    painter->fillRect(QRect(QPoint(0, 5), QPoint(width - 1, height - 10)), colour);

    if (label.isEmpty() && datatype.isEmpty())
        return;
    const qreal c = QFontMetricsF(painter->font(), painter->device()).averageCharWidth();
    const int flags = Qt::AlignCenter | Qt::TextDontClip;
    painter->setPen(QPen(QBrush(Qt::black), 1, Qt::SolidLine));
    painter->drawText(QRect(int(3 * c), 10, int((label.length() + 8) * c), 21), flags, label);
    painter->drawText(QRect(int(3 * c), 30, int((datatype.length() + 8) * c), 21), flags, datatype);
}
