// The update check against a small HTTP server on 127.0.0.1 that the test
// starts itself: manifests, redirects, failures and what the user is told.

#include <QtTest>

#include <QAction>
#include <QElapsedTimer>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>

#include "downloader.h"
#include "mainwindow.h"
#include "modalanswerer.h"
#include "projectfixture.h"
#include "qsimpleupdater.h"
#include "simpleupdateinterface.h"
#include "testenvironment.h"
#include "updater.h"

namespace {

// Answers GET requests from a table of routes; unknown paths get 404.
class LocalHttpServer
{
public:
    struct Response
    {
        int status = 200;
        QByteArray body;
        QByteArray location;
        bool hang = false;
        // After the body: spaces without end, as fast as the client takes
        // them (endless) or one every trickleMs milliseconds.
        bool endless = false;
        int trickleMs = 0;
    };

    bool start()
    {
        QObject::connect(&server, &QTcpServer::newConnection, [this] { acceptAll(); });
        return server.listen(QHostAddress::LocalHost, 0);
    }
    QString url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path);
    }
    void route(const QString& path, const Response& response) { routes.insert(path, response); }
    int hits(const QString& path) const { return requests.count(path); }

    QStringList requests;
    QStringList userAgents;

private:
    void acceptAll()
    {
        while (QTcpSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void serve(QTcpSocket* socket)
    {
        const QByteArray received = socket->property("received").toByteArray() + socket->readAll();
        socket->setProperty("received", received);
        const int end = received.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> lines = received.left(end).split('\n');
        const QString path = QString::fromLatin1(lines.first().split(' ').value(1));
        requests << path;
        for (const QByteArray& line : lines) {
            if (line.toLower().startsWith("user-agent:"))
                userAgents << QString::fromUtf8(line.mid(11).trimmed());
        }

        const Response response = routes.value(path, Response {404, "not found", {}, false});
        if (response.hang)
            return;
        const bool unending = response.endless || response.trickleMs > 0;
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + " Answer\r\n"
            + "Content-Type: application/json\r\nConnection: close\r\n";
        // Without a length the body runs until the connection closes.
        if (!unending)
            reply += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        if (!response.location.isEmpty())
            reply += "Location: " + response.location + "\r\n";
        socket->write(reply + "\r\n" + response.body);
        if (response.endless) {
            // Topped up only as the client reads, so the server's own memory stays flat.
            const QByteArray filler(64 * 1024, ' ');
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, filler] {
                if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < filler.size())
                    socket->write(filler);
            });
        } else if (response.trickleMs > 0) {
            auto* trickle = new QTimer(socket);
            QObject::connect(trickle, &QTimer::timeout, socket, [socket] { socket->write(" "); });
            trickle->start(response.trickleMs);
        } else {
            socket->disconnectFromHost();
        }
    }

    QTcpServer server;
    QHash<QString, Response> routes;
};

QByteArray manifest(const QString& version, const QString& platform = QStringLiteral("linux"),
                    const QString& extra = QString())
{
    return QStringLiteral("{\"updates\": {\"%1\": {\"open-url\": \"\", \"changelog\": \"Fixes\", "
                          "\"download-url\": \"https://korvel.example.org/files/Korvel.AppImage\", "
                          "\"latest-version\": \"%2\"%3}}}")
        .arg(platform, version, extra)
        .toUtf8();
}

QString announcement(const QString& version)
{
    return QStringLiteral("<h3>Version %1 of Korvel has been released!</h3>").arg(version);
}

const QString latestText = QStringLiteral("Korvel 1.1.3 is the latest version.");
QString failedText(const QString& reason)
{
    return QStringLiteral("Could not check for updates: ") + reason;
}
const QString malformedText = failedText("the update information from the server is malformed.");
const QString lateText = failedText("the server did not answer in time.");

// A manifest announcing 9.0.0, padded with spaces to exactly size bytes.
QByteArray paddedManifest(int size)
{
    QByteArray body = manifest("9.0.0");
    return body + QByteArray(size - body.size(), ' ');
}

// Resident memory, and its peak since resetPeakMemory(), in KiB.
qint64 memoryKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Linux resets the peak when "5" is written to clear_refs. Memory figures say
// nothing under AddressSanitizer, which keeps freed blocks in quarantine.
bool resetPeakMemory()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#endif
#endif
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// How far the peak rose above idle while work ran; -1 where it cannot be told.
template <typename Work>
qint64 peakRiseKiB(Work work)
{
    const qint64 idle = memoryKiB("VmRSS:");
    const bool measured = idle > 0 && resetPeakMemory();
    work();
    return measured ? memoryKiB("VmHWM:") - idle : -1;
}

constexpr qint64 memoryBoundKiB = 10 * 1024;

// A loopback port that nobody listens on.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace

class TestUpdater : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void compare_data();
    void compare();
    void onlySecureOrLoopbackAddressesAreFetched_data();
    void onlySecureOrLoopbackAddressesAreFetched();

    void manifestOutcomes_data();
    void manifestOutcomes();
    void acceptedUpdatePointsToTheAppImage();
    void redirectFollowedOnce();
    void redirectLoopStopsAfterFiveRedirects();
    void networkErrorSilentOnlyInDefaultCheck_data();
    void networkErrorSilentOnlyInDefaultCheck();
    void checkAtStartNeverBlocksTheWindow();
    void badManifestServersEndQuietly_data();
    void badManifestServersEndQuietly();
    void downloaderKeepsTheFileInItsFolder();
    void badDownloadsEndQuietly_data();
    void badDownloadsEndQuietly();

    // Last: the window it closes leaves update checks of its own behind.
    void mandatoryUpdateRefusedClosesTheWindowAskingFirst();

private:
    // Runs one check through the main window's front end and waits for it.
    bool check(const QString& url, bool defaultCheck, int deadlineMs = Updater::checkDeadlineMs);

    LocalHttpServer server;
};

void TestUpdater::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    QCoreApplication::setApplicationName(QStringLiteral("Korvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1.3"));
    QVERIFY(server.start());
}

bool TestUpdater::check(const QString& url, bool defaultCheck, int deadlineMs)
{
    qputenv("KORVEL_UPDATE_URL", url.toUtf8());
    QSimpleUpdater::getInstance()->getUpdater(url)->setCheckDeadline(deadlineMs);
    QSignalSpy finished(QSimpleUpdater::getInstance(), &QSimpleUpdater::checkingFinished);
    SimpleUpdateInterface().checkForUpdates(defaultCheck);
    return finished.wait(10000) && finished.size() == 1;
}

void TestUpdater::compare_data()
{
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<bool>("newer");
    QTest::newRow("minor beats longer patch") << "1.2" << "1.1.9" << true;
    QTest::newRow("extra part is newer") << "1.1.3.0" << "1.1.3" << true;
    QTest::newRow("same version") << "1.1.3" << "1.1.3" << false;
    QTest::newRow("parts compare as numbers") << "1.1.10" << "1.1.3" << true;
    QTest::newRow("older") << "1.1.3" << "1.1.10" << false;
    QTest::newRow("shorter is older") << "1.1.3" << "1.1.3.0" << false;
    QTest::newRow("empty is not newer") << "" << "1.1.3" << false;
    QTest::newRow("anything beats empty") << "1.1.3" << "" << true;
    QTest::newRow("both empty") << "" << "" << false;
    QTest::newRow("text counts as zero") << "1.x.1" << "1.0.0" << true;
    QTest::newRow("empty part counts as zero") << "1..2" << "1.0.1" << true;
}

void TestUpdater::compare()
{
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(bool, newer);
    QCOMPARE(Updater::compare(x, y), newer);
}

void TestUpdater::onlySecureOrLoopbackAddressesAreFetched_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("https") << "https://updates.korvel.example.org/updates.json" << true;
    QTest::newRow("plain http") << "http://updates.korvel.example.org/updates.json" << false;
    QTest::newRow("loopback http") << "http://127.0.0.1:8080/updates.json" << true;
    QTest::newRow("loopback v6") << "http://[::1]:8080/updates.json" << true;
    QTest::newRow("localhost") << "http://localhost/updates.json" << true;
    QTest::newRow("private network") << "http://192.168.1.2/updates.json" << false;
    QTest::newRow("loopback-looking name") << "http://127.0.0.1.example.org/updates.json" << false;
    QTest::newRow("file") << "file:///etc/passwd" << false;
    QTest::newRow("ftp") << "ftp://127.0.0.1/updates.json" << false;
    QTest::newRow("no address") << "" << false;
}

void TestUpdater::onlySecureOrLoopbackAddressesAreFetched()
{
    QFETCH(QString, address);
    QFETCH(bool, allowed);
    QCOMPARE(Updater::isAllowedAddress(QUrl(address)), allowed);
}

void TestUpdater::manifestOutcomes_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("defaultCheck");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("available");

    const int no = QMessageBox::No;
    const int close = QMessageBox::Close;
    QTest::newRow("newer version announced") << 200 << manifest("1.1.10") << true << announcement("1.1.10")
                                             << no << true;
    QTest::newRow("same version silent") << 200 << manifest("1.1.3") << true << QString() << 0 << false;
    QTest::newRow("same version, manual check") << 200 << manifest("1.1.3") << false << latestText << close
                                                << false;
    QTest::newRow("older version silent") << 200 << manifest("1.0.9") << true << QString() << 0 << false;
    QTest::newRow("markup in the version") << 200 << manifest("9.0<b>x</b>") << true
                                           << announcement("9.0&lt;b&gt;x&lt;/b&gt;") << no << true;
    QTest::newRow("not JSON, manual check") << 200 << QByteArray("<html>moved</html>") << false
                                            << malformedText << close << false;
    QTest::newRow("not JSON, default check") << 200 << QByteArray("<html>moved</html>") << true << QString()
                                             << 0 << false;
    QTest::newRow("no platform entry") << 200 << manifest("9.0.0", "windows") << false << latestText << close
                                       << false;
    QTest::newRow("no updates object") << 200 << QByteArray("{\"linux\": {\"latest-version\": \"9.0\"}}")
                                       << false << latestText << close << false;
    // %1 is the manifest's address: Qt's reason quotes it.
    QTest::newRow("server error, manual check")
        << 500 << QByteArray("{}") << false << failedText("Error transferring %1 - server replied: Answer")
        << close << false;
}

void TestUpdater::manifestOutcomes()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(bool, defaultCheck);
    QFETCH(QString, message);
    QFETCH(int, button);
    QFETCH(bool, available);

    // Every row has a checker of its own.
    const QString path = QStringLiteral("/outcome/%1/updates.json").arg(QTest::currentDataTag()).replace(' ', '_');
    server.route(path, {status, body, {}, false});
    const QString url = server.url(path);
    if (message.contains("%1"))
        message = message.arg(url);

    ModalAnswerer answer;
    if (!message.isEmpty())
        answer.pressButton(QMessageBox::StandardButton(button));
    answer.reject(); // closes anything unexpected, which the comparison below reports
    QVERIFY(check(url, defaultCheck));
    QCOMPARE(answer.texts(), message.isEmpty() ? QStringList() : QStringList {message});
    if (!message.isEmpty())
        QCOMPARE(answer.titles(), QStringList {"Korvel"});
    QCOMPARE(QSimpleUpdater::getInstance()->getUpdateAvailable(url), available);
    QCOMPARE(server.hits(path), 1);
}

void TestUpdater::acceptedUpdatePointsToTheAppImage()
{
    // Manifest text reaches rich-text boxes only escaped.
    server.route("/accepted/updates.json", {200, manifest("2.0.0<a href='file:///'>beta</a>"), {}, false});
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Yes).pressButton(QMessageBox::Ok).reject();
    QVERIFY(check(server.url("/accepted/updates.json"), true));

    const QString escaped = "2.0.0&lt;a href='file:///'&gt;beta&lt;/a&gt;";
    QCOMPARE(answer.texts().size(), 2);
    QCOMPARE(answer.texts().at(0), announcement(escaped));
    QVERIFY(answer.texts().at(1).startsWith("<p>Korvel " + escaped + " comes as an AppImage.</p>"));
    QVERIFY(answer.texts().at(1).contains("<a href='https://korvel.example.org/download'>"));
    QCOMPARE(answer.titles(), QStringList({"Korvel", "Korvel"}));

    Updater* updater = QSimpleUpdater::getInstance()->getUpdater(server.url("/accepted/updates.json"));
    QCOMPARE(updater->getChangelog(), QString("Fixes"));
    QCOMPARE(updater->getDownloadUrl(), QString("https://korvel.example.org/files/Korvel.AppImage"));
    QCOMPARE(server.userAgents.last(), QString("Korvel/1.1.3 (Qt; QSimpleUpdater)"));
}

void TestUpdater::mandatoryUpdateRefusedClosesTheWindowAskingFirst()
{
    server.route("/mandatory/updates.json", {200, manifest("1.2.0", "linux", ", \"mandatory-update\": true"), {}, false});
    qputenv("KORVEL_UPDATE_URL", server.url("/mandatory/updates.json").toUtf8());

    // The window checks at start; its unsaved changes are asked about first.
    ProjectFixture fixture;
    auto* window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->openFile(fixture.copyExample(QStringLiteral("Example_1.vorn")));
    window->markModified();

    QString informative;
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::No, [&](QWidget* box) {
        informative = static_cast<QMessageBox*>(box)->informativeText();
    });
    // Going blank checks again; that check must find nothing to announce.
    answer.pressButton(QMessageBox::Discard,
                       [&](QWidget*) { server.route("/mandatory/updates.json", {404, {}, {}, false}); });
    QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
    // Only a running application can quit; a watchdog ends it if nothing does.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    watchdog.start(10000);

    QCOMPARE(QCoreApplication::exec(), 0);
    watchdog.stop();
    QCOMPARE(quitting.size(), 1);
    QCOMPARE(answer.texts(), QStringList({announcement("1.2.0"), "Project has been modified."}));
    QCOMPARE(informative, QString("Would you like to download the update now? This is a mandatory update, "
                                  "exiting now will close the application"));
}

void TestUpdater::redirectFollowedOnce()
{
    server.route("/moved/updates.json", {301, {}, "/new-home/updates.json", false});
    server.route("/new-home/updates.json", {200, manifest("1.1.10"), {}, false});
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::No).reject();
    QVERIFY(check(server.url("/moved/updates.json"), true));

    // The second reply is the one read, and the checker moved with it.
    QCOMPARE(answer.texts(), QStringList {announcement("1.1.10")});
    Updater* updater = QSimpleUpdater::getInstance()->getUpdater(server.url("/moved/updates.json"));
    QCOMPARE(updater->getUrl(), server.url("/new-home/updates.json"));
    QCOMPARE(server.hits("/moved/updates.json"), 1);
    QCOMPARE(server.hits("/new-home/updates.json"), 1);
}

void TestUpdater::redirectLoopStopsAfterFiveRedirects()
{
    server.route("/loop/a.json", {302, {}, "/loop/b.json", false});
    server.route("/loop/b.json", {302, {}, "/loop/a.json", false});
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Close).reject();
    QVERIFY(check(server.url("/loop/a.json"), false));

    QCOMPARE(answer.texts(), QStringList {failedText("the server redirected too often.")});
    QTest::qWait(200);
    // The first request and five redirects followed; the sixth is refused.
    QCOMPARE(server.hits("/loop/a.json") + server.hits("/loop/b.json"), 6);
    QVERIFY(QSimpleUpdater::getInstance()->getUpdater(server.url("/loop/a.json"))->getNetworkError());
}

void TestUpdater::networkErrorSilentOnlyInDefaultCheck_data()
{
    QTest::addColumn<bool>("defaultCheck");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("default check") << true << QStringList();
    QTest::newRow("manual check") << false << QStringList {failedText("Connection refused")};
}

void TestUpdater::networkErrorSilentOnlyInDefaultCheck()
{
    QFETCH(bool, defaultCheck);
    QFETCH(QStringList, messages);
    const QString url = QStringLiteral("http://127.0.0.1:%1/%2/updates.json")
                            .arg(closedPort())
                            .arg(defaultCheck ? "default" : "manual");
    ModalAnswerer answer;
    if (!messages.isEmpty())
        answer.pressButton(QMessageBox::Close);
    answer.reject();
    QVERIFY(check(url, defaultCheck));
    QCOMPARE(answer.texts(), messages);
    QVERIFY(!QSimpleUpdater::getInstance()->getUpdateAvailable(url));
}

void TestUpdater::checkAtStartNeverBlocksTheWindow()
{
    server.route("/silent/updates.json", {200, {}, {}, true});
    const QString url = server.url("/silent/updates.json");
    qputenv("KORVEL_UPDATE_URL", url.toUtf8());
    // Both checks below end at this deadline instead of outliving the test.
    QSimpleUpdater::getInstance()->getUpdater(url)->setCheckDeadline(500);
    QSignalSpy finished(QSimpleUpdater::getInstance(), &QSimpleUpdater::checkingFinished);
    ModalAnswerer answer;
    answer.pressButton(QMessageBox::Close).reject();

    QElapsedTimer clock;
    clock.start();
    MainWindow window;
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    // The check went out in the background and is still waiting for an answer.
    QTRY_COMPARE(server.hits("/silent/updates.json"), 1);
    // Chosen by the user, the check reports how it ended; the one at start is silent.
    window.findChild<QAction*>("actionCheck_for_update")->trigger();
    QTRY_COMPARE(server.hits("/silent/updates.json"), 2);
    QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 2, 10000);
    QCOMPARE(answer.texts(), QStringList {lateText});
}

void TestUpdater::badManifestServersEndQuietly_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("endless");
    QTest::addColumn<int>("trickleMs");
    QTest::addColumn<bool>("defaultCheck");
    QTest::addColumn<QString>("message");

    const int cap = Updater::maxManifestBytes;
    // Padded with spaces, a manifest over the cap would still parse: only
    // the cap stops the announcement.
    QTest::newRow("exactly the cap") << paddedManifest(cap) << false << 0 << true << announcement("9.0.0");
    QTest::newRow("over the cap, default check") << paddedManifest(cap + 1) << false << 0 << true << QString();
    QTest::newRow("over the cap, manual check") << paddedManifest(cap + 1) << false << 0 << false
                                                << malformedText;
    QTest::newRow("endless, default check") << manifest("9.0.0") << true << 0 << true << QString();
    QTest::newRow("endless, manual check") << manifest("9.0.0") << true << 0 << false << malformedText;
    // One byte every second keeps every stall timeout happy; only the
    // check's own deadline (shortened here) ends it.
    QTest::newRow("trickle, default check") << QByteArray("{") << false << 1000 << true << QString();
    QTest::newRow("trickle, manual check") << QByteArray("{") << false << 1000 << false << lateText;
}

void TestUpdater::badManifestServersEndQuietly()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, endless);
    QFETCH(int, trickleMs);
    QFETCH(bool, defaultCheck);
    QFETCH(QString, message);

    const QString path = QStringLiteral("/bad/%1/updates.json").arg(QTest::currentDataTag()).replace(' ', '_');
    LocalHttpServer::Response response {200, body, {}, false};
    response.endless = endless;
    response.trickleMs = trickleMs;
    server.route(path, response);
    const QString url = server.url(path);

    ModalAnswerer answer;
    if (!message.isEmpty())
        answer.pressButton(message.startsWith("<h3>") ? QMessageBox::No : QMessageBox::Close);
    answer.reject();
    bool finished = false;
    const qint64 rise = peakRiseKiB([&] { finished = check(url, defaultCheck, trickleMs > 0 ? 1500 : 30000); });
    QVERIFY(finished);
    QCOMPARE(answer.texts(), message.isEmpty() ? QStringList() : QStringList {message});
    QCOMPARE(QSimpleUpdater::getInstance()->getUpdateAvailable(url), message == announcement("9.0.0"));
    QVERIFY2(rise < memoryBoundKiB, qPrintable(QString("memory rose by %1 KiB").arg(rise)));
}

void TestUpdater::downloaderKeepsTheFileInItsFolder()
{
    server.route("/files/korvel.bin", {200, "update bytes", {}, false});
    QTemporaryDir folder;
    Downloader downloader;
    downloader.setDownloadDir(folder.path());
    downloader.setFileName("../../korvel.bin");
    downloader.setUseCustomInstallProcedures(true); // never hand the file to the desktop
    downloader.setUrlId("manifest");
    QSignalSpy finished(&downloader, &Downloader::downloadFinished);
    downloader.startDownload(QUrl(server.url("/files/korvel.bin")));
    QVERIFY(finished.wait(10000));
    const QString path = folder.filePath("korvel.bin");
    QCOMPARE(finished.first(), QVariantList({"manifest", path}));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("update bytes"));
}

void TestUpdater::badDownloadsEndQuietly_data()
{
    QTest::addColumn<bool>("endless");
    QTest::addColumn<int>("trickleMs");
    QTest::addColumn<QString>("reason");
    // Larger than the memory bound: holding the download whole would show.
    QTest::newRow("larger than the cap") << true << 0 << "The update is larger than 16 MiB.";
    QTest::newRow("past the deadline") << false << 1000 << "The download did not finish in time.";
}

void TestUpdater::badDownloadsEndQuietly()
{
    QFETCH(bool, endless);
    QFETCH(int, trickleMs);
    QFETCH(QString, reason);

    const QString path = QStringLiteral("/files/%1.bin").arg(QTest::currentDataTag()).replace(' ', '_');
    LocalHttpServer::Response response {200, "update bytes", {}, false};
    response.endless = endless;
    response.trickleMs = trickleMs;
    server.route(path, response);

    QTemporaryDir folder;
    Downloader downloader;
    downloader.setDownloadDir(folder.path());
    downloader.setFileName("korvel.bin");
    downloader.setUseCustomInstallProcedures(true);
    downloader.setUrlId("manifest");
    downloader.setLimits(16 * 1024 * 1024, 1500);
    QSignalSpy failed(&downloader, &Downloader::downloadFailed);
    QSignalSpy finished(&downloader, &Downloader::downloadFinished);
    const qint64 rise = peakRiseKiB([&] {
        downloader.startDownload(QUrl(server.url(path)));
        QVERIFY(failed.wait(20000));
    });

    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first(), QVariantList({"manifest", reason}));
    QVERIFY(finished.isEmpty());
    // Nothing of the broken download is left behind.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QVERIFY2(rise < memoryBoundKiB, qPrintable(QString("memory rose by %1 KiB").arg(rise)));
}

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
