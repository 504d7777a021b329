#include "tourtip.h"

#include <QPainter>
#include <QPainterPath>

#include "tourbox.h"

TourTip::TourTip(QWidget* parent)
    : QLabel(parent)
    , owner(qobject_cast<TourBox*>(parent))
{
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setMaximumWidth(int(sideLength));
}

void TourTip::setSideLength(double value)
{
    sideLength = value;
    setMaximumWidth(int(sideLength));
    update();
}

void TourTip::paintEvent(QPaintEvent* event)
{
    const int s = int(sideLength);
    const int d = verticalDrop;
    const int e = baseHalfExtension;
    // Halving the side in real numbers before truncating keeps the base at
    // (11, 14) to (11, 35) for the default sizes.
    QPainterPath triangle;
    triangle.moveTo(tipPos);
    triangle.lineTo(s, int(d - s / 2.0 - e));
    triangle.lineTo(s, int(e + s / 2.0 + d));
    triangle.lineTo(tipPos);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.fillPath(triangle, QColor(38, 166, 91));
    painter.end();

    QLabel::paintEvent(event);
}
