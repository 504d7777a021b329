// The single-instance guard, within one process and across processes.

#include <QtTest>

#include <QProcess>
#include <QSharedMemory>
#include <QUuid>
#include <cstdlib>
#include <cstring>

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
