// The welcome scene shown while no project is open.

#include <QtTest>

#include <QGraphicsView>
#include <QPainter>
#include <QSettings>

#include "homescreen.h"
#include "mainwindow.h"
#include "testenvironment.h"

class TestHomeScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void welcomeTextIsExact();
    void paintsTheTextCentredInDarkGrey();
    void blankStateShowsItAtScaleOne();
};

void TestHomeScreen::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
}

void TestHomeScreen::welcomeTextIsExact()
{
    QCOMPARE(HomeScreen::getInstance(), HomeScreen::getInstance());
    QCOMPARE(HomeScreen::getInstance()->getWelcomeText(),
             QString("Welcome to Korvel\n______________________\n\n"
                     "File > Open to open an existing Project\n"
                     "File > New to create a new Korvel Project\n"
                     "File > Open Examples to open template Projects\n\n"
                     "Use Help menu to take a tour of Korvel"));
    QVERIFY(HomeScreen::getInstance()->items().isEmpty());
}

void TestHomeScreen::paintsTheTextCentredInDarkGrey()
{
    HomeScreen* home = HomeScreen::getInstance();
    home->setState(HOME_NORMAL);
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        home->render(&painter, QRectF(image.rect()), QRectF(1000, 1000, 800, 600));
    }

    QRect drawn;
    int darkest = 255;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel == qRgb(255, 255, 255))
                continue;
            drawn |= QRect(x, y, 1, 1);
            darkest = qMin(darkest, qGray(pixel));
            QCOMPARE(qRed(pixel), qGreen(pixel)); // grey, never coloured
        }
    }
    QVERIFY(drawn.isValid());
    QCOMPARE(darkest, QColor(Qt::darkGray).red());
    // Centred in the painted area, whatever part of the scene that is.
    QVERIFY2(qAbs(drawn.center().x() - 400) <= 4 && qAbs(drawn.center().y() - 300) <= 4,
             qPrintable(QString("%1,%2").arg(drawn.center().x()).arg(drawn.center().y())));
    QVERIFY(drawn.height() > 100 && drawn.width() > 200); // all seven lines
}

void TestHomeScreen::blankStateShowsItAtScaleOne()
{
    {
        QSettings store(QStringLiteral("Pelmora"), QStringLiteral("Korvel"));
        store.setValue(QStringLiteral("scale_x"), 2.5);
        store.setValue(QStringLiteral("scale_y"), 2.5);
    }
    MainWindow window;
    QCOMPARE(window.graphicsView()->scene(), static_cast<QGraphicsScene*>(HomeScreen::getInstance()));
    QCOMPARE(window.graphicsView()->transform().m11(), 1.0);
    QCOMPARE(window.graphicsView()->transform().m22(), 1.0);
    QCOMPARE(window.actionsState(), STATE_BLANK);
}

QTEST_MAIN(TestHomeScreen)
#include "tst_homescreen.moc"
