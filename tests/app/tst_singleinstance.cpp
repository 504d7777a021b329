// One Korvel at a time per user: ten simultaneous starts leave one running,
// a second user gets a window of their own, and a second start hands its file
// to the running instance (the server part and a real window in this process,
// the client part sending from another thread as a second process would) or
// says that it could not.

#include <QtTest>

#include <QLocalSocket>
#include <QProcess>
#include <QSystemSemaphore>
#include <QTcpServer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include <unistd.h>

#include "instancemessenger.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "runguard.h"
#include "testenvironment.h"
#include "unprivileged.h"

namespace {

// A key of its own, so that no Korvel running on this machine takes part,
// nor another run of this test at the same time.
const QString key = QStringLiteral("instance_anchor_handover_test_%1").arg(QCoreApplication::applicationPid());

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
// Korvel leaves them behind; this removes them, for this user and the other
// one, when the test ends, however it ends.
class GuardLeftoverRemover
{
public:
    explicit GuardLeftoverRemover(const QString& tempPath) : tempPath(tempPath) {}
    ~GuardLeftoverRemover()
    {
        const QByteArray oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(tempPath));
        for (const uint uid : {uint(geteuid()), Unprivileged::secondUserId()}) {
            const QString key = RunGuard::userKey(QStringLiteral("instance_anchor"), uid);
            {
                // Attaching to the orphaned segment and detaching removes it.
                RunGuard leftover(key);
            }
            // A semaphore opened in Create mode is removed on destruction: the
            // guard's own lock, and the one Qt keeps for the segment's key.
            for (const QString& name : {RunGuard::generateKeyHash(key, QStringLiteral("_semTagName")),
                                        RunGuard::generateKeyHash(key, QStringLiteral("_segmentLabel"))})
                QSystemSemaphore(name, 1, QSystemSemaphore::Create);
        }
        if (oldTemp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", oldTemp);
    }

private:
    const QString tempPath;
};

// Home, settings and temp folders of their own for the Korvels a test
// starts: the guard's names come from TMPDIR, so no Korvel of the user's
// interferes. Every user may write them.
struct KorvelFolders
{
    QTemporaryDir home, otherHome, config, otherConfig, temp;

    bool isValid() const
    {
        for (const QTemporaryDir* dir : {&home, &otherHome, &config, &otherConfig, &temp}) {
            if (!dir->isValid() || !Unprivileged::makeShared(dir->path()))
                return false;
        }
        return true;
    }

    QProcessEnvironment environment(bool otherUser) const
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 closedPort = probe.serverPort();
        probe.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), (otherUser ? otherHome : home).path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), (otherUser ? otherConfig : config).path());
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const char* name : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
            env.remove(QLatin1String(name));
        // The check at start goes nowhere.
        env.insert(QStringLiteral("KORVEL_UPDATE_URL"),
                   QStringLiteral("http://127.0.0.1:%1/updates.json").arg(closedPort));
        return env;
    }

    // The hand-over sockets of the Korvels listening now.
    int listening() const
    {
        return QDir(temp.path()).entryList({QStringLiteral("korvel-*")}, QDir::System).size();
    }
};

const QString korvel = QStringLiteral(KORVEL_BINARY_DIR "/korvel");

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { TestEnvironment::useThrowAwaySettings(); }
    void fileIsOpenedAfterAskingAboutChanges();
    void requestsWaitForARunningDialog();
    void unansweredHandOverIsReported_data();
    void unansweredHandOverIsReported();
    void idleAndSurplusConnectionsAreDropped();
    void tenSimultaneousStartsLeaveOneRunning();
    void eachUserGetsAWindowOfTheirOwn();
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

void TestSingleInstance::unansweredHandOverIsReported_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");
    QTest::newRow("a file") << "plan.vorn" << "Korvel is already running but did not answer, so plan.vorn was not opened.";
    QTest::newRow("no file") << "" << "Korvel is already running but did not answer.";
}

void TestSingleInstance::unansweredHandOverIsReported()
{
    QFETCH(QString, path);
    QFETCH(QString, message);
    ModalAnswerer answer;
    answer.accept();
    QCOMPARE(InstanceMessenger::handOver(QStringLiteral("instance_anchor_nobody_listens"), path, 300), 1);
    QCOMPARE(answer.texts(), QStringList {message});
}

void TestSingleInstance::idleAndSurplusConnectionsAreDropped()
{
    InstanceMessenger messenger(key);
    QSignalSpy requests(&messenger, &InstanceMessenger::openRequested);
    QVERIFY(messenger.listen());
    messenger.setRequestTimeLimit(600000);

    // One connection more than may be open: the last is closed at once.
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i <= InstanceMessenger::mostConnections; ++i) {
        if (i == InstanceMessenger::mostConnections)
            QTRY_COMPARE(messenger.connectionCount(), i);
        idle.emplace_back(new QLocalSocket);
        idle.back()->connectToServer(messenger.serverName());
        QVERIFY(idle.back()->waitForConnected(10000));
    }
    QTRY_COMPARE(idle.back()->state(), QLocalSocket::UnconnectedState);
    for (int i = 0; i < InstanceMessenger::mostConnections; ++i)
        QCOMPARE(idle.at(size_t(i))->state(), QLocalSocket::ConnectedState);
    // Closed ones make room again.
    idle.clear();
    QTRY_COMPARE(messenger.connectionCount(), 0);
    {
        Sender sender {QString()};
        QTRY_VERIFY(sender.finished());
        QVERIFY(sender.wasSent());
    }

    // Half a request is no request: the connection ends when its time is up.
    messenger.setRequestTimeLimit(100);
    QLocalSocket slow;
    slow.connectToServer(messenger.serverName());
    QVERIFY(slow.waitForConnected(10000));
    slow.write("/half/a/pa");
    QTRY_COMPARE_WITH_TIMEOUT(slow.state(), QLocalSocket::UnconnectedState, 20000);
    QCOMPARE(requests.size(), 1);
}

void TestSingleInstance::tenSimultaneousStartsLeaveOneRunning()
{
    QVERIFY2(QFile::exists(korvel), "the korvel executable is not built");
    KorvelFolders folders;
    QVERIFY(folders.isValid());
    const QProcessEnvironment env = folders.environment(false);

    // Declared first, so it runs after every process below is gone.
    GuardLeftoverRemover remover(folders.temp.path());
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

// Two users with one temporary folder: the second user's Korvel neither
// waits for the first user's nor gives up because of it.
void TestSingleInstance::eachUserGetsAWindowOfTheirOwn()
{
    KorvelFolders folders;
    QVERIFY(folders.isValid());
    GuardLeftoverRemover remover(folders.temp.path());
    QProcess mine, theirs;
    mine.setProcessEnvironment(folders.environment(false));
    mine.start(korvel, QStringList());
    QTRY_COMPARE_WITH_TIMEOUT(folders.listening(), 1, 25000);

    const QStringList other = Unprivileged::secondUserCommand(korvel);
    theirs.setProcessEnvironment(folders.environment(true));
    theirs.start(other.first(), other.mid(1));
    QTRY_COMPARE_WITH_TIMEOUT(folders.listening(), 2, 25000);
    QCOMPARE(mine.state(), QProcess::Running);
    QCOMPARE(theirs.state(), QProcess::Running);
    for (QProcess* process : {&mine, &theirs}) {
        process->kill();
        QVERIFY(process->waitForFinished(10000));
    }
}

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
