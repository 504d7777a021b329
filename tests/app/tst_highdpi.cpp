// On a screen scaled to 200 %, message boxes show their icons drawn at
// twice the size, not a 32-pixel image blown up.

#include <QtTest>

#include <QMessageBox>

#include "korvelresources.h"
#include "korvelstyle.h"
#include "testenvironment.h"

class TestHighDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void messageBoxIconsAreSharp_data();
    void messageBoxIconsAreSharp();
};

void TestHighDpi::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
}

void TestHighDpi::messageBoxIconsAreSharp_data()
{
    QTest::addColumn<int>("icon");
    QTest::newRow("question") << int(QMessageBox::Question);
    QTest::newRow("information") << int(QMessageBox::Information);
    QTest::newRow("warning") << int(QMessageBox::Warning);
    QTest::newRow("critical") << int(QMessageBox::Critical);
}

void TestHighDpi::messageBoxIconsAreSharp()
{
    QFETCH(int, icon);
    QMessageBox box(QMessageBox::Icon(icon), QStringLiteral("Korvel"), QStringLiteral("Save the changes?"));
    const QPixmap pixmap = box.iconPixmap();
    // Whatever size the style asks for, it gets twice as many pixels.
    const int size = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    QCOMPARE(pixmap.devicePixelRatio(), 2.0);
    QCOMPARE(pixmap.size(), QSize(2 * size, 2 * size));
}

int main(int argc, char** argv)
{
    // A scaled screen must be known before the application object exists.
    qputenv("QT_SCALE_FACTOR", "2");
    enableHighDpiScaling();
    QApplication app(argc, argv);
    QApplication::setStyle(new KorvelStyle);
    TestHighDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_highdpi.moc"
