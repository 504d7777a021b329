// A second start hands its file to the running instance: the server part and
// a real window in this process, the client part sending from another thread
// as a second process would.

#include <QtTest>

#include <QThread>

#include <atomic>
#include <memory>

#include "instancemessenger.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "testenvironment.h"

namespace {

// A key of its own, so that no Korvel running on this machine takes part.
const QString key = QStringLiteral("instance_anchor_handover_test");

// Sends from a thread of its own while this thread runs the event loop.
class Sender
{
public:
    explicit Sender(const QString& path)
        : thread(QThread::create([this, path] { sent = InstanceMessenger::send(key, path, 10000); }))
    {
        thread->start();
    }
    ~Sender() { thread->wait(); }
    bool finished() const { return thread->isFinished(); }
    bool wasSent() const { return sent; }

private:
    std::atomic<bool> sent {false};
    std::unique_ptr<QThread> thread;
};

} // namespace

class TestInstanceHandover : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::useThrowAwaySettings(); }
    void fileIsOpenedAfterAskingAboutChanges();
    void requestsWaitForARunningDialog();
};

void TestInstanceHandover::fileIsOpenedAfterAskingAboutChanges()
{
    ProjectFixture fixture;
    const QString first = fixture.copyExample("Example_1.vorn");
    const QString second = fixture.copyExample("Example_2.vorn");
    MainWindow w;
    InstanceMessenger messenger(key);
    connect(&messenger, &InstanceMessenger::openRequested, &w, &MainWindow::openRequestedFile);
    QVERIFY(messenger.listen());
    w.openFile(first);
    w.markModified();

    // A relative path is made absolute by the sender, against its own folder.
    fixture.enter();
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Discard);
    Sender sender("Example_2.vorn");
    QTRY_VERIFY(sender.finished());
    QVERIFY(sender.wasSent());
    QTRY_COMPARE(w.projectIO().getFilePath(), second);
    QCOMPARE(answer.text(), QString("There are unsaved changes in project."));
    QVERIFY(w.isVisible());

    // A missing file is named; the open project stays.
    answer.accept();
    Sender missing(fixture.path("gone.vorn"));
    QTRY_COMPARE(answer.answeredCount(), 2);
    QCOMPARE(answer.text(), "The project file " + fixture.path("gone.vorn") + " cannot be opened: it does not exist.");
    QCOMPARE(w.projectIO().getFilePath(), second);
    QVERIFY(!w.getCanvases().isEmpty());
}

void TestInstanceHandover::requestsWaitForARunningDialog()
{
    ProjectFixture fixture;
    const QString file = fixture.copyExample("Example_1.vorn");
    MainWindow w;
    QMessageBox dialog(QMessageBox::Information, "Korvel", "busy", QMessageBox::Ok, &w);
    QString openWhileBusy = "not asked";
    ModalAnswerer answer;
    // The request comes while the box runs: the project must not change under it.
    answer.accept([&](QWidget*) {
        w.openRequestedFile(file);
        openWhileBusy = w.projectIO().getFilePath();
    });
    dialog.exec();
    QCOMPARE(openWhileBusy, QString());
    QTRY_COMPARE(w.projectIO().getFilePath(), file);
}

QTEST_MAIN(TestInstanceHandover)
#include "tst_instancehandover.moc"
