#ifndef TOURTIP_H
#define TOURTIP_H

#include <QLabel>
#include <QPoint>

class TourBox;

// The pointer triangle on the left of the tour box.
class TourTip : public QLabel
{
    Q_OBJECT

public:
    explicit TourTip(QWidget* parent);

    void setTipPos(QPoint value) { tipPos = value; update(); }
    void setTipY(int value) { tipPos.setY(value); update(); }
    void setSideLength(double value);
    void setVerticalDrop(int value) { verticalDrop = value; update(); }
    QPoint getTipPos() const { return tipPos; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double sideLength = 11.0;
    QPoint tipPos {0, 25};
    TourBox* owner = nullptr;
    int verticalDrop = 25;
    int baseHalfExtension = 5;
};

#endif // TOURTIP_H
