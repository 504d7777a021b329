// The guided tour over the example project: how it starts, every step, and
// how it ends.

#include <QtTest>

#include <QAction>
#include <QGraphicsView>

#include "createproject.h"
#include "homescreen.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "testenvironment.h"
#include "testfiles.h"
#include "tourbox.h"
#include "tourtext.h"

namespace {

const QString bundledExample = QStringLiteral(KORVEL_SOURCE_DIR "/Examples/Example_1.vorn");
const QString askText = QStringLiteral(
    "App tour can can only be taken on sample project. Korvel would attempt to save changes and close "
    "this project to open a sample project from this system.");

QString shownTitle(TourBox* box)
{
    return box->textBrowser()->toPlainText().section(QLatin1Char('\n'), 0, 0);
}

} // namespace

class TestTour : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void modifiedProjectAsksThenOffersToSave_data();
    void modifiedProjectAsksThenOffersToSave();

private:
    MainWindow* newWindow();
    QString installExample();

    QScopedPointer<QTemporaryDir> work;
    QString previousCurrent;
    std::unique_ptr<MainWindow> window;
};

void TestTour::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    TestEnvironment::loadResources();
    previousCurrent = QDir::currentPath();
}

void TestTour::init()
{
    work.reset(new QTemporaryDir);
    QVERIFY(work->isValid());
    // The examples folder is looked up relative to the working folder.
    QDir::setCurrent(work->path());
}

void TestTour::cleanup()
{
    window.reset();
    QDir::setCurrent(previousCurrent);
    work.reset();
}

MainWindow* TestTour::newWindow()
{
    window.reset(new MainWindow);
    window->resize(1600, 1000);
    window->show();
    return window.get();
}

QString TestTour::installExample()
{
    QDir(work->path()).mkpath(QStringLiteral("Examples"));
    const QString target = work->filePath(QStringLiteral("Examples/Example_1.vorn"));
    if (!QFile::copy(bundledExample, target))
        return QString();
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

void TestTour::modifiedProjectAsksThenOffersToSave_data()
{
    QTest::addColumn<bool>("goOn");
    QTest::newRow("Yes, then Discard") << true;
    QTest::newRow("No") << false;
}

void TestTour::modifiedProjectAsksThenOffersToSave()
{
    QFETCH(bool, goOn);
    const QString example = installExample();
    QVERIFY(!example.isEmpty());
    MainWindow* w = newWindow();
    const QString mine = work->filePath(QStringLiteral("Mine.vorn"));
    QCOMPARE(CreateProject::getInstance(w)->processNewProject(mine), 1);
    w->openFile(mine);
    w->markModified(); // as after an edit

    QString informative;
    ModalAnswerer answer;
    answer.pressButton(goOn ? QMessageBox::Yes : QMessageBox::No, [&](QWidget* box) {
        informative = static_cast<QMessageBox*>(box)->informativeText();
    });
    if (goOn)
        answer.pressButton(QMessageBox::Discard);
    answer.reject();
    w->findChild<QAction*>(QStringLiteral("actionAppTour"))->trigger();

    QCOMPARE(informative, QString("Do you wish to continue?"));
    auto* box = w->findChild<TourBox*>();
    QVERIFY(box);
    if (goOn) {
        QCOMPARE(answer.texts(), QStringList({askText, "There are unsaved changes in project."}));
        QCOMPARE(w->projectIO().getFilePath(), example);
        QCOMPARE(w->actionsState(), STATE_TOUR);
        QVERIFY(box->isVisible());
        QCOMPARE(shownTitle(box), QString("Project Browser"));
    } else {
        QCOMPARE(answer.texts(), QStringList({askText}));
        QCOMPARE(w->projectIO().getFilePath(), mine);
        QCOMPARE(w->actionsState(), STATE_LEVEL1);
        QVERIFY(w->actionAt(POS_SAVE)->isEnabled());
        QVERIFY(!box->isVisible());
    }
}

QTEST_MAIN(TestTour)
#include "tst_tour.moc"
