#include "homescreen.h"

#include <QPainter>

HomeScreen::HomeScreen()
{
    welcomeText = QStringLiteral("Welcome to Korvel") + "\n" + "______________________" + "\n\n"
        + "File > Open to open an existing Project" + "\n"
        + "File > New to create a new Korvel Project" + "\n"
        + "File > Open Examples to open template Projects" + "\n\n"
        + "Use Help menu to take a tour of Korvel";
}

HomeScreen* HomeScreen::getInstance()
{
    // Lives until the process ends; the view may still show it at exit.
    static HomeScreen* instance = new HomeScreen();
    return instance;
}

void HomeScreen::setState(enHomeScreenState value)
{
    state = value;
    update();
}

void HomeScreen::drawBackground(QPainter* painter, const QRectF& rect)
{
    painter->setPen(Qt::darkGray);
    painter->setFont(QFont(QStringLiteral("Arial"), 12));
    painter->drawText(rect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextDontClip, welcomeText);
}
