// The guided tour over the example project: how it starts, every step, and
// how it ends.

#include <QtTest>

#include <QAction>
#include <QGraphicsView>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeView>

#include "canvas.h"
#include "createproject.h"
#include "homescreen.h"
#include "linkitem.h"
#include "mainwindow.h"
#include "memoryitem.h"
#include "modalanswerer.h"
#include "processitem.h"
#include "stateitem.h"
#include "testenvironment.h"
#include "textitem.h"
#include "tourbox.h"
#include "tourtext.h"
#include "tourtip.h"
#include "transitionitem.h"

namespace {

const QString bundledExample = QStringLiteral(KORVEL_SOURCE_DIR "/Examples/Example_1.vorn");
const QString askText = QStringLiteral(
    "App tour can can only be taken on sample project. Korvel would attempt to save changes and close "
    "this project to open a sample project from this system.");
const QString missingText = QStringLiteral(
    "App tour can only be taken on Sample Projects. Korvel could not find a sample project on this "
    "computer.");
const QStringList allTitles = {"Project Browser", "Process Item",   "Link Item",   "Initial State Item",
                               "State Item",      "Transition Item", "Memory Item", "Text Item"};

// Clicks a footer link where it is drawn, as a user does.
bool clickLink(TourText* text, const QString& href)
{
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href)
                continue;
            QTextCursor cursor(text->document());
            cursor.setPosition(fragment.position() + fragment.length() / 2);
            QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, text->cursorRect(cursor).center());
            return true;
        }
    }
    return false;
}

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
    void missingExampleChangesNothing_data();
    void missingExampleChangesNothing();
    void nextWalksEveryStepOfTheBundledExample();
    void exampleWithoutTextOrLinksEndsAfterMemory();
    void quitAtAnyStepReturnsHome_data();
    void quitAtAnyStepReturnsHome();
    void tipDrawsThePointerTriangle();

private:
    MainWindow* newWindow();
    QString installExample();
    // Clicks "Next" until the tour ends; returns the titles shown on the way.
    QStringList walk(MainWindow* window);

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

QStringList TestTour::walk(MainWindow* w)
{
    auto* box = w->findChild<TourBox*>();
    QStringList titles;
    while (box && box->isVisible() && titles.size() < 10) {
        titles << shownTitle(box);
        if (!clickLink(box->textBrowser(), QStringLiteral("next")))
            break;
    }
    return titles;
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

void TestTour::missingExampleChangesNothing_data()
{
    QTest::addColumn<bool>("projectOpen");
    QTest::newRow("blank state") << false;
    QTest::newRow("project open") << true;
}

void TestTour::missingExampleChangesNothing()
{
    QFETCH(bool, projectOpen);
    MainWindow* w = newWindow();
    const QString mine = work->filePath(QStringLiteral("Mine.vorn"));
    if (projectOpen) {
        QCOMPARE(CreateProject::getInstance(w)->processNewProject(mine), 1);
        w->openFile(mine);
    }
    const int canvases = w->getCanvases().size();
    const enKorvelActionsState state = w->actionsState();

    ModalAnswerer answer;
    if (projectOpen)
        answer.pressButton(QMessageBox::Yes);
    answer.accept().reject();
    w->findChild<QAction*>(QStringLiteral("actionAppTour"))->trigger();

    QCOMPARE(answer.texts(), projectOpen ? QStringList({askText, missingText}) : QStringList({missingText}));
    QCOMPARE(answer.titles().last(), QString("Korvel"));
    QCOMPARE(w->getCanvases().size(), canvases);
    QCOMPARE(w->actionsState(), state);
    QCOMPARE(w->projectIO().getFilePath(), projectOpen ? mine : QString());
    QVERIFY(!w->findChild<TourBox*>()->isVisible());
}

void TestTour::nextWalksEveryStepOfTheBundledExample()
{
    const QString example = installExample();
    if (example.isEmpty())
        QSKIP("the bundled example is not there yet");
    QFile file(example);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    MainWindow* w = newWindow();
    ModalAnswerer unexpected;
    unexpected.reject();

    w->findChild<QAction*>(QStringLiteral("actionAppTour"))->trigger();
    auto* box = w->findChild<TourBox*>();
    QVERIFY(box && box->isVisible());
    QGraphicsView* view = w->graphicsView();
    auto* tree = w->findChild<QTreeView*>(QStringLiteral("treeView"));

    QStringList titles;
    for (int step = 0; box->isVisible() && step < 10; ++step) {
        titles << shownTitle(box);
        QCOMPARE(w->actionsState(), STATE_TOUR);
        QCOMPARE(box->width(), 350);
        QCOMPARE(box->height(), box->textBrowser()->getDocumentHeight());

        // Where the box belongs: beside the item the message is about.
        const QVector<Canvas*>& canvases = w->getCanvases();
        QPoint expected(tree->width(), tree->y() + 100);
        auto beside = [&](auto* item) {
            QVERIFY(item);
            QCOMPARE(item->scene(), static_cast<QGraphicsScene*>(w->getCurrentCanvas()));
            expected = view->mapToParent(view->mapFromScene(item->scenePos())) + QPoint(item->getWidth(), 0);
        };
        auto state = [&](bool initial) {
            for (StateItem* s : canvases.at(4)->stateItems) {
                if (s->initialStatus() == initial)
                    return s;
            }
            return static_cast<StateItem*>(nullptr);
        };
        switch (step) {
        case 1: beside(w->getCurrentCanvas()->processItems.value(0)); break;
        case 2: beside(canvases.at(2)->linkItems.value(0)); break;
        case 3: beside(state(true)); break;
        case 4: beside(state(false)); break;
        case 5: beside(canvases.at(4)->transitionItems.value(0)); break;
        case 6: beside(canvases.at(4)->memoryItems.value(0)); break;
        case 7: beside(canvases.at(4)->textItems.value(0)); break;
        default: break;
        }
        // A box that would stick out of the window is pulled back inside.
        expected.setX(qMax(0, qMin(expected.x(), w->width() - box->width())));
        expected.setY(qMax(0, qMin(expected.y(), w->height() - box->height())));
        QCOMPARE(box->pos(), expected);

        QVERIFY(clickLink(box->textBrowser(), QStringLiteral("next")));
    }

    QCOMPARE(titles, allTitles);
    QCOMPARE(w->actionsState(), STATE_BLANK);
    QCOMPARE(view->scene(), static_cast<QGraphicsScene*>(HomeScreen::getInstance()));
    QVERIFY(w->getCanvases().isEmpty());
    QVERIFY(!w->actionAt(POS_SAVE)->isEnabled());
    QCOMPARE(unexpected.answeredCount(), 0);
    file.seek(0);
    QCOMPARE(file.readAll(), original);
}

void TestTour::exampleWithoutTextOrLinksEndsAfterMemory()
{
    const QString example = installExample();
    if (example.isEmpty())
        QSKIP("the bundled example is not there yet");
    {
        // Remove the link of canvas 2 and the text items of canvas 4 with the
        // Delete command, then save the result as the example.
        MainWindow editor;
        editor.openFile(example);
        QVERIFY(editor.getCanvases().size() > 4);
        for (int pos : {2, 4}) {
            editor.setActiveScene(pos);
            Canvas* canvas = editor.getCanvases().at(pos);
            for (LinkItem* link : canvas->linkItems)
                link->setSelected(true);
            for (TextItem* text : canvas->textItems)
                text->setSelected(true);
            editor.findChild<QAction*>(QStringLiteral("actionDelete"))->trigger();
        }
        QVERIFY(editor.getCanvases().at(2)->linkItems.isEmpty());
        QVERIFY(editor.getCanvases().at(4)->textItems.isEmpty());
        QVERIFY(!editor.getCanvases().at(4)->memoryItems.isEmpty());
        QVERIFY(editor.saveDataToFile());
    }

    MainWindow* w = newWindow();
    w->findChild<QAction*>(QStringLiteral("actionAppTour"))->trigger();
    QCOMPARE(walk(w), QStringList({"Project Browser", "Process Item", "Initial State Item", "State Item",
                                   "Transition Item", "Memory Item"}));
    QCOMPARE(w->actionsState(), STATE_BLANK);
    QCOMPARE(w->graphicsView()->scene(), static_cast<QGraphicsScene*>(HomeScreen::getInstance()));
}

void TestTour::quitAtAnyStepReturnsHome_data()
{
    QTest::addColumn<int>("step");
    for (int step = 0; step < allTitles.size(); ++step)
        QTest::newRow(qPrintable(allTitles.at(step))) << step;
}

void TestTour::quitAtAnyStepReturnsHome()
{
    QFETCH(int, step);
    const QString example = installExample();
    if (example.isEmpty())
        QSKIP("the bundled example is not there yet");
    MainWindow* w = newWindow();
    w->findChild<QAction*>(QStringLiteral("actionAppTour"))->trigger();
    auto* box = w->findChild<TourBox*>();
    for (int i = 0; i < step; ++i)
        QVERIFY(clickLink(box->textBrowser(), QStringLiteral("next")));
    QCOMPARE(shownTitle(box), allTitles.at(step));
    QVERIFY(!w->isProjectModified()); // the untouched example offers no save
    w->markModified(); // a changed example is asked about as usual

    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Discard);
    QVERIFY(clickLink(box->textBrowser(), QStringLiteral("quit")));
    QCOMPARE(answer.texts(), QStringList({"Project has been modified."}));

    QVERIFY(!box->isVisible());
    QCOMPARE(w->actionsState(), STATE_BLANK);
    QCOMPARE(w->graphicsView()->scene(), static_cast<QGraphicsScene*>(HomeScreen::getInstance()));
    QVERIFY(w->getCanvases().isEmpty());

    // The next tour starts from the beginning again.
    w->findChild<QAction*>(QStringLiteral("actionAppTour"))->trigger();
    QVERIFY(box->isVisible());
    QCOMPARE(shownTitle(box), allTitles.first());
}

void TestTour::tipDrawsThePointerTriangle()
{
    TourTip tip(nullptr);
    QCOMPARE(tip.maximumWidth(), 11);
    tip.resize(11, 60);
    QImage image(11, 60, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    tip.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);

    const QColor green(38, 166, 91);
    QCOMPARE(image.pixelColor(6, 25), green);
    QCOMPARE(image.pixelColor(10, 16), green);
    QCOMPARE(image.pixelColor(10, 33), green);
    // The base runs from y 14 (halving the side in whole numbers would lose
    // this row) to 35 at x 11; nothing is drawn outside the triangle.
    QVERIFY(image.pixelColor(10, 14).alpha() > 0);
    for (QPoint outside : {QPoint(10, 12), QPoint(10, 37), QPoint(2, 18), QPoint(2, 32), QPoint(5, 50)})
        QCOMPARE(image.pixelColor(outside).alpha(), 0);
}

QTEST_MAIN(TestTour)
#include "tst_tour.moc"
