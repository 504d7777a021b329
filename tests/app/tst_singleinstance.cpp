// One Korvel at a time: ten simultaneous starts leave one running, and a
// second start hands its file to the running instance (the server part and a
// real window in this process, the client part sending from another thread as
// a second process would).

#include <QtTest>

#include <QProcess>
#include <QSystemSemaphore>
#include <QTcpServer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "instancemessenger.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "runguard.h"
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


// Korvel's guard lives in IPC objects named after files in TMPDIR. A killed
// Korvel leaves them behind; this removes them when the test ends, however
// it ends.
class GuardLeftoverRemover
{
public:
    explicit GuardLeftoverRemover(const QString& tempPath) : tempPath(tempPath) {}
    ~GuardLeftoverRemover()
    {
        const QByteArray oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(tempPath));
        {
            // Attaching to the orphaned segment and detaching removes it.
            RunGuard leftover(QStringLiteral("instance_anchor"));
        }
        // A semaphore opened in Create mode is removed on destruction: the
        // guard's own lock, and the one Qt keeps for the segment's key.
        const QString key = QStringLiteral("instance_anchor");
        for (const QString& name : {RunGuard::generateKeyHash(key, QStringLiteral("_semTagName")),
                                    RunGuard::generateKeyHash(key, QStringLiteral("_segmentLabel"))})
            QSystemSemaphore(name, 1, QSystemSemaphore::Create);
        if (oldTemp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTemp);
    }

private:
    const QString tempPath;
};

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::useThrowAwaySettings(); }
    void fileIsOpenedAfterAskingAboutChanges();
    void requestsWaitForARunningDialog();
    void tenSimultaneousStartsLeaveOneRunning();
};

void TestSingleInstance::fileIsOpenedAfterAskingAboutChanges()
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

void TestSingleInstance::requestsWaitForARunningDialog()
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

void TestSingleInstance::tenSimultaneousStartsLeaveOneRunning()
{
    const QString korvel = QStringLiteral(KORVEL_BINARY_DIR "/korvel");
    QVERIFY2(QFile::exists(korvel), "the korvel executable is not built");
    // Home, settings and temp folders of their own, shared by the ten: the
    // guard's names come from TMPDIR, so no Korvel of the user's interferes.
    QTemporaryDir home, config, temp;
    QVERIFY(home.isValid() && config.isValid() && temp.isValid());
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = probe.serverPort();
    probe.close();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("TMPDIR"), temp.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.remove(QStringLiteral("XDG_CACHE_HOME"));
    // The check at start goes nowhere.
    env.insert(QStringLiteral("KORVEL_UPDATE_URL"), QStringLiteral("http://127.0.0.1:%1/updates.json").arg(closedPort));

    // Declared first, so it runs after every process below is gone.
    GuardLeftoverRemover remover(temp.path());
    std::vector<std::unique_ptr<QProcess>> korvels;
    for (int i = 0; i < 10; ++i) {
        korvels.emplace_back(new QProcess);
        korvels.back()->setProcessEnvironment(env);
        korvels.back()->setProgram(korvel);
    }
    for (const auto& process : korvels)
        process->start();

    const auto stopped = [&korvels] {
        return int(std::count_if(korvels.begin(), korvels.end(), [](const std::unique_ptr<QProcess>& process) {
            return process->state() == QProcess::NotRunning;
        }));
    };
    QTRY_COMPARE_WITH_TIMEOUT(stopped(), 9, 25000);

    QProcess* survivor = nullptr;
    for (const auto& process : korvels) {
        if (process->state() != QProcess::NotRunning) {
            survivor = process.get();
            continue;
        }
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(process->exitCode(), 0);
    }
    QVERIFY(survivor);
    QCOMPARE(survivor->state(), QProcess::Running);
    survivor->kill();
    QVERIFY(survivor->waitForFinished(10000));
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
