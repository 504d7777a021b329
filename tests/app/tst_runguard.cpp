// The single-instance guard, within one process and across processes.

#include <QtTest>

#include <QProcess>
#include <QSharedMemory>
#include <QSystemSemaphore>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUuid>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "runguard.h"

namespace {

QString uniqueKey()
{
    return QStringLiteral("korvel_test_") + QUuid::createUuid().toString(QUuid::Id128);
}

// The test binary doubles as a guard-holding child process (see main below).
QProcess* startChild(const QString& mode, const QString& key)
{
    auto* child = new QProcess;
    child->setProgram(QCoreApplication::applicationFilePath());
    child->setArguments({QStringLiteral("--guard-child"), mode, key});
    child->setProcessChannelMode(QProcess::SeparateChannels);
    child->start();
    return child;
}

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

class TestRunGuard : public QObject
{
    Q_OBJECT

private slots:
    void keyHashIsSha1OfKeyAndSalt_data();
    void keyHashIsSha1OfKeyAndSalt();
    void secondGuardIsRefusedWhileFirstHolds();
    void releasedGuardLetsTheNextOneRun();
    void crashedHolderDoesNotBlockNextStart();
    void twoProcessesStartedTogetherLeaveOneSurvivor();
    void secondApplicationExitsWithZero();
    void tenSimultaneousStartsLeaveOneRunning();
};

void TestRunGuard::keyHashIsSha1OfKeyAndSalt_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("salt");
    QTest::addColumn<QString>("hash");
    // sha1("abc") and sha1("") are well-known digests.
    QTest::newRow("abc split") << "ab" << "c" << "a9993e364706816aba3e25717850c26c9cd0d89d";
    QTest::newRow("empty") << "" << "" << "da39a3ee5e6b4b0d3255bfef95601890afd80709";
    QTest::newRow("utf-8 bytes") << QString::fromUtf8("\xc3\xa9") << ""
                                 << QString::fromLatin1(QCryptographicHash::hash("\xc3\xa9", QCryptographicHash::Sha1).toHex());
}

void TestRunGuard::keyHashIsSha1OfKeyAndSalt()
{
    QFETCH(QString, key);
    QFETCH(QString, salt);
    QFETCH(QString, hash);
    QCOMPARE(RunGuard::generateKeyHash(key, salt), hash);

    RunGuard guard(QStringLiteral("instance_anchor_probe"));
    QCOMPARE(guard.lockName(), RunGuard::generateKeyHash("instance_anchor_probe", "_semTagName"));
    QCOMPARE(guard.segmentName(), RunGuard::generateKeyHash("instance_anchor_probe", "_segmentLabel"));
    QCOMPARE(guard.segmentName().size(), 40);
}

void TestRunGuard::secondGuardIsRefusedWhileFirstHolds()
{
    const QString key = uniqueKey();
    RunGuard first(key);
    QVERIFY(first.tryToRun());
    QVERIFY(!first.isAnotherRunning()); // it is the running one

    RunGuard second(key);
    QVERIFY(second.isAnotherRunning());
    QVERIFY(!second.tryToRun());
}

void TestRunGuard::releasedGuardLetsTheNextOneRun()
{
    const QString key = uniqueKey();
    {
        RunGuard first(key);
        QVERIFY(first.tryToRun());
    }
    RunGuard next(key);
    QVERIFY(!next.isAnotherRunning());
    QVERIFY(next.tryToRun());
}

void TestRunGuard::crashedHolderDoesNotBlockNextStart()
{
    const QString key = uniqueKey();
    std::unique_ptr<QProcess> child(startChild(QStringLiteral("crash"), key));
    QVERIFY(child->waitForFinished(10000));
    QCOMPARE(child->exitStatus(), QProcess::CrashExit);

    // The holder died without detaching; its segment is still there.
    RunGuard next(key);
    QVERIFY(!next.isAnotherRunning());
    QVERIFY(next.tryToRun());
}

void TestRunGuard::twoProcessesStartedTogetherLeaveOneSurvivor()
{
    const QString key = uniqueKey();
    std::unique_ptr<QProcess> a(startChild(QStringLiteral("race"), key));
    std::unique_ptr<QProcess> b(startChild(QStringLiteral("race"), key));
    QVERIFY(a->waitForFinished(15000));
    QVERIFY(b->waitForFinished(15000));
    QCOMPARE(a->exitStatus(), QProcess::NormalExit);
    QCOMPARE(b->exitStatus(), QProcess::NormalExit);
    // A winner holds the guard for a while and then exits with 3; a loser
    // exits with 0 at once, like a second Korvel.
    QList<int> codes {a->exitCode(), b->exitCode()};
    std::sort(codes.begin(), codes.end());
    QCOMPARE(codes, QList<int>({0, 3}));
}

void TestRunGuard::secondApplicationExitsWithZero()
{
    const QString korvel = QStringLiteral(KORVEL_BINARY_DIR "/korvel");
    if (!QFile::exists(korvel))
        QSKIP("the korvel executable is not built");
    RunGuard holder(QStringLiteral("instance_anchor"));
    if (!holder.tryToRun())
        QSKIP("another Korvel runs on this machine");

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(korvel, QStringList());
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardError().isEmpty());
}

void TestRunGuard::tenSimultaneousStartsLeaveOneRunning()
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

int runGuardChild(const QString& mode, const QString& key)
{
    RunGuard guard(key);
    if (!guard.tryToRun())
        return 0;
    if (mode == QLatin1String("crash"))
        std::abort(); // dies holding the segment
    // Hold long enough for the other racer to try.
    QThread::msleep(1500);
    return 3;
}

int main(int argc, char* argv[])
{
    if (argc == 4 && std::strcmp(argv[1], "--guard-child") == 0)
        return runGuardChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    QCoreApplication app(argc, argv);
    TestRunGuard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_runguard.moc"
