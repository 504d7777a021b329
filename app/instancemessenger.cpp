#include "instancemessenger.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <cstdio>

#include "runguard.h"

namespace {

// A path is one percent-encoded line; anything longer than this is not a request.
constexpr int longestRequest = 64 * 1024;
const char acknowledgement[] = "ok\n";

} // namespace

InstanceMessenger::InstanceMessenger(const QString& key, QObject* parent)
    : QObject(parent)
    , name(serverNameFor(key))
{
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server.nextPendingConnection())
            accept(socket);
    });
}

InstanceMessenger::~InstanceMessenger()
{
    server.close();
}

QString InstanceMessenger::serverNameFor(const QString& key)
{
    // One name per user and key; the home folder tells users apart.
    const QString salt = QStringLiteral("_openRequests") + QDir::homePath();
    return QStringLiteral("korvel-") + RunGuard::generateKeyHash(key, salt).left(20);
}

bool InstanceMessenger::listen()
{
    // Only the instance holding the run guard listens, so a socket file
    // left here belongs to one that crashed.
    QLocalServer::removeServer(name);
    return server.listen(name);
}

int InstanceMessenger::connectionCount() const
{
    // The server's children are the connections until they are deleted.
    return server.findChildren<QLocalSocket*>(QString(), Qt::FindDirectChildrenOnly).size();
}

void InstanceMessenger::accept(QLocalSocket* socket)
{
    const auto drop = [socket] {
        socket->abort();
        socket->deleteLater();
    };
    if (connectionCount() > mostConnections) {
        drop();
        return;
    }
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    QTimer::singleShot(requestTimeLimit, socket, drop);
    // Data may have come with the connection.
    readRequest(socket);
}

void InstanceMessenger::readRequest(QLocalSocket* socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > longestRequest)
            socket->abort();
        return;
    }
    QByteArray line = socket->readLine(longestRequest);
    line.chop(1);
    const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(line));
    socket->write(acknowledgement);
    socket->flush();
    socket->disconnectFromServer();
    emit openRequested(path);
}

bool InstanceMessenger::send(const QString& key, const QString& path, int timeoutMs)
{
    const QString absolute = path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running instance may still be starting up and not listen yet.
    for (;;) {
        socket.connectToServer(serverNameFor(key));
        if (socket.waitForConnected(int(qMin<qint64>(deadline.remainingTime(), 500))))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    // Percent-encoded, so that any character of a file name survives the one line.
    socket.write(absolute.toUtf8().toPercentEncoding() + '\n');
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return socket.readLine().startsWith("ok");
}

int InstanceMessenger::handOver(const QString& key, const QString& path, int timeoutMs)
{
    if (send(key, path, timeoutMs))
        return 0;
    const QString message = path.isEmpty()
        ? tr("Korvel is already running but did not answer.")
        : tr("Korvel is already running but did not answer, so %1 was not opened.")
              .arg(QDir::toNativeSeparators(path));
    std::fprintf(stderr, "korvel: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    QMessageBox::critical(nullptr, QStringLiteral("Korvel"), message);
    return 1;
}
