// The update check against a small HTTP server on 127.0.0.1 that the test
// starts itself: versions, manifests, redirects, broken servers, downloads.

#include <QtTest>

#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

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
    // After the body, trickleMs > 0 sends a space every trickleMs
    // milliseconds, trickleMs < 0 spaces without end as fast as the client
    // reads; either way without a length, so the body never ends.
    struct Response
    {
        Response(int status = 200, const QByteArray& body = {}, const QByteArray& location = {}, int trickleMs = 0)
            : status(status), body(body), location(location), trickleMs(trickleMs) {}
        int status;
        QByteArray body;
        QByteArray location;
        int trickleMs;
    };

    bool start()
    {
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return server.listen(QHostAddress::LocalHost, 0);
    }
    QString url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path); }
    void route(const QString& path, const Response& response) { routes.insert(path, response); }

    QStringList requests;

private:
    void serve(QTcpSocket* socket)
    {
        const QByteArray received = socket->property("received").toByteArray() + socket->readAll();
        socket->setProperty("received", received);
        const int end = received.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QString path = QString::fromLatin1(received.left(end).split(' ').value(1));
        requests << path;
        const Response response = routes.value(path, Response {404, "not found"});
        QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status)
            + " Answer\r\nContent-Type: application/json\r\nConnection: close\r\n";
        if (response.trickleMs == 0)
            reply += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        if (!response.location.isEmpty())
            reply += "Location: " + response.location + "\r\n";
        socket->write(reply + "\r\n" + response.body);
        if (response.trickleMs == 0) {
            socket->disconnectFromHost();
        } else if (response.trickleMs < 0) {
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
                if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() < 65536)
                    socket->write(QByteArray(65536, ' '));
            });
        } else {
            auto* trickle = new QTimer(socket);
            QObject::connect(trickle, &QTimer::timeout, socket, [socket] { socket->write(" "); });
            trickle->start(response.trickleMs);
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

QString failedText(const QString& reason) { return QStringLiteral("Could not check for updates: ") + reason; }
const QString latestText = QStringLiteral("Korvel 1.1.3 is the latest version.");
const QString malformedText = failedText("the update information from the server is malformed.");
const QString lateText = failedText("the server did not answer in time.");

} // namespace

Q_DECLARE_METATYPE(LocalHttpServer::Response)

class TestUpdater : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void compare_data();
    void compare();
    void allowedAddresses_data();
    void allowedAddresses();
    void checkOutcomes_data();
    void checkOutcomes();
    // Last: the window it closes leaves update checks of its own behind.
    void mandatoryUpdateRefusedClosesTheWindowAskingFirst();

private:
    LocalHttpServer server;
};

void TestUpdater::initTestCase()
{
    TestEnvironment::useThrowAwaySettings();
    QCoreApplication::setApplicationName(QStringLiteral("Korvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.1.3"));
    QVERIFY(server.start());
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
    QTest::newRow("both empty") << "" << "" << false;
    QTest::newRow("text counts as zero") << "1.x.1" << "1.0.0" << true;
}

void TestUpdater::compare()
{
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(bool, newer);
    QCOMPARE(Updater::compare(x, y), newer);
}

void TestUpdater::allowedAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("https") << "https://updates.korvel.example.org/updates.json" << true;
    QTest::newRow("plain http") << "http://updates.korvel.example.org/updates.json" << false;
    QTest::newRow("loopback") << "http://127.0.0.1:8080/updates.json" << true;
    QTest::newRow("loopback v6") << "http://[::1]:8080/updates.json" << true;
    QTest::newRow("private network") << "http://192.168.1.2/updates.json" << false;
    QTest::newRow("loopback-looking name") << "http://127.0.0.1.example.org/updates.json" << false;
    QTest::newRow("file") << "file:///etc/passwd" << false;
}

void TestUpdater::allowedAddresses()
{
    QFETCH(QString, address);
    QFETCH(bool, allowed);
    QCOMPARE(Updater::isAllowedAddress(QUrl(address)), allowed);
}

void TestUpdater::checkOutcomes_data()
{
    using Response = LocalHttpServer::Response;
    QTest::addColumn<Response>("response");
    QTest::addColumn<bool>("defaultCheck");
    QTest::addColumn<QString>("message"); // %1: the manifest's address, as Qt's reason quotes it
    QTest::addColumn<int>("hits"); // requests, redirects included

    const int cap = Updater::maxManifestBytes;
    const QByteArray atCap = manifest("9.0.0") + QByteArray(cap - manifest("9.0.0").size(), ' ');
    QTest::newRow("newer version") << Response {200, manifest("1.1.10")} << true << announcement("1.1.10") << 1;
    QTest::newRow("same version silent") << Response {200, manifest("1.1.3")} << true << QString() << 1;
    QTest::newRow("same version, manual") << Response {200, manifest("1.1.3")} << false << latestText << 1;
    QTest::newRow("older version silent") << Response {200, manifest("1.0.9")} << true << QString() << 1;
    QTest::newRow("markup in the version")
        << Response {200, manifest("9.0<b>x</b>")} << true << announcement("9.0&lt;b&gt;x&lt;/b&gt;") << 1;
    QTest::newRow("not JSON, manual") << Response {200, "<html>moved</html>"} << false << malformedText << 1;
    QTest::newRow("not JSON, default") << Response {200, "<html>moved</html>"} << true << QString() << 1;
    QTest::newRow("no platform entry") << Response {200, manifest("9.0.0", "windows")} << false << latestText << 1;
    QTest::newRow("server error, manual")
        << Response {500, "{}"} << false << failedText("Error transferring %1 - server replied: Answer") << 1;
    QTest::newRow("redirect followed") << Response {301, {}, "/redirect-target"} << true << announcement("1.1.10") << 2;
    // Each address is asked once: back to the start is a loop.
    QTest::newRow("redirect loop") << Response {302, {}, "/redirect-loop"} << false
                                   << failedText("the server redirected in a loop.") << 2;
    QTest::newRow("redirect chain too long") << Response {302, {}, "/hop/1"} << false
                                             << failedText("the server redirected too often.") << 6;
    // Padded with spaces, a manifest over the cap would still parse: only the cap stops it.
    QTest::newRow("exactly the cap") << Response {200, atCap} << true << announcement("9.0.0") << 1;
    QTest::newRow("over the cap") << Response {200, atCap + ' '} << false << malformedText << 1;
    QTest::newRow("over the cap, default") << Response {200, atCap + ' '} << true << QString() << 1;
    QTest::newRow("endless") << Response {200, manifest("9.0.0"), {}, -1} << false << malformedText << 1;
    // One byte a second keeps every stall timeout happy; only the deadline ends it.
    QTest::newRow("trickle") << Response {200, "{", {}, 1000} << false << lateText << 1;
    QTest::newRow("trickle, default") << Response {200, "{", {}, 1000} << true << QString() << 1;
}

void TestUpdater::checkOutcomes()
{
    QFETCH(LocalHttpServer::Response, response);
    QFETCH(bool, defaultCheck);
    QFETCH(QString, message);
    QFETCH(int, hits);

    // Every row has a checker of its own.
    const QString path = QStringLiteral("/%1/updates.json").arg(QTest::currentDataTag()).replace(' ', '_');
    server.route(path, response);
    server.route("/redirect-target", {200, manifest("1.1.10")});
    server.route("/redirect-loop", {302, {}, path.toUtf8()});
    for (int hop = 1; hop <= Updater::maxRedirects; ++hop)
        server.route(QStringLiteral("/hop/%1").arg(hop), {302, {}, "/hop/" + QByteArray::number(hop + 1)});
    const QString url = server.url(path);
    message.replace("%1", url);
    const int requestsBefore = server.requests.size();

    ModalAnswerer answer;
    if (!message.isEmpty())
        answer.pressButton(message.startsWith("<h3>") ? QMessageBox::No : QMessageBox::Close);
    answer.reject(); // closes anything unexpected, which the comparison below reports
    qputenv("KORVEL_UPDATE_URL", url.toUtf8());
    QSimpleUpdater::getInstance()->getUpdater(url)->setCheckDeadline(response.trickleMs > 0 ? 1500 : 30000);
    QSignalSpy finished(QSimpleUpdater::getInstance(), &QSimpleUpdater::checkingFinished);
    SimpleUpdateInterface().checkForUpdates(defaultCheck);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.size(), 1);

    QCOMPARE(answer.texts(), message.isEmpty() ? QStringList() : QStringList {message});
    QCOMPARE(QSimpleUpdater::getInstance()->getUpdateAvailable(url), message.startsWith("<h3>"));
    QCOMPARE(server.requests.size() - requestsBefore, hits);
}

void TestUpdater::mandatoryUpdateRefusedClosesTheWindowAskingFirst()
{
    server.route("/mandatory/updates.json", {200, manifest("1.2.0", "linux", ", \"mandatory-update\": true")});
    qputenv("KORVEL_UPDATE_URL", server.url("/mandatory/updates.json").toUtf8());

    // The window checks at start; its unsaved changes are asked about first.
    ProjectFixture fixture;
    auto* window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->openFile(fixture.copyExample(QStringLiteral("Example_1.vorn")));
    window->markModified();

    ModalAnswerer answer;
    answer.pressButton(QMessageBox::No);
    // Going blank checks again; that check must find nothing to announce.
    answer.pressButton(QMessageBox::Discard, [&](QWidget*) { server.route("/mandatory/updates.json", {404}); });
    // Only a running application can quit; a watchdog ends it if nothing does.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(answer.texts(), QStringList({announcement("1.2.0"), "Project has been modified."}));
}

QTEST_MAIN(TestUpdater)
#include "tst_updater.moc"
