#ifndef HOMESCREEN_H
#define HOMESCREEN_H

#include <QGraphicsScene>

enum enHomeScreenState {
    HOME_NORMAL
};

// The welcome scene shown while no project is open: no items, only a text
// drawn on the background.
class HomeScreen : public QGraphicsScene
{
    Q_OBJECT

public:
    static HomeScreen* getInstance();
    void setState(enHomeScreenState value);
    enHomeScreenState getState() const { return state; }
    QString getWelcomeText() const { return welcomeText; }

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override;

private:
    HomeScreen();

    QString welcomeText;
    enHomeScreenState state = HOME_NORMAL;
};

#endif // HOMESCREEN_H
