// The single-instance guard, within one process and across processes.

#include <QtTest>

#include <QProcess>
#include <QSharedMemory>
#include <QSystemSemaphore>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUuid>
#include <algorithm>
#include <memory>
#include <vector>

#include "runguard.h"

namespace {

QString uniqueKey()
{
    return QStringLiteral("korvel_test_") + QUuid::createUuid().toString(QUuid::Id128);
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
    void secondGuardIsRefusedWhileFirstHolds();
    void tenSimultaneousStartsLeaveOneRunning();
};

void TestRunGuard::secondGuardIsRefusedWhileFirstHolds()
{
    const QString key = uniqueKey();
    RunGuard first(key);
    QVERIFY(first.tryToRun());
    QVERIFY(!first.isAnotherRunning()); // it is the running one

    {
        RunGuard second(key);
        QVERIFY(second.isAnotherRunning());
        QVERIFY(!second.tryToRun());
    }
    first.release();
    RunGuard next(key);
    QVERIFY(!next.isAnotherRunning());
    QVERIFY(next.tryToRun());
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

QTEST_GUILESS_MAIN(TestRunGuard)
#include "tst_runguard.moc"
