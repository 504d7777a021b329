#ifndef INSTANCEMESSENGER_H
#define INSTANCEMESSENGER_H

#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;

// Hands the file of a second start to the instance already running, through
// a local socket only this user can reach. The running instance listens; the
// second start sends and exits. A connection that does not bring a complete
// request in time is dropped, and only a few may be open at once, so that
// stray clients cannot hold the program's descriptors.
class InstanceMessenger : public QObject
{
    Q_OBJECT

public:
    explicit InstanceMessenger(const QString& key, QObject* parent = nullptr);
    ~InstanceMessenger() override;

    // The running instance takes requests from now on; false when the
    // socket cannot be set up (the program then runs without it).
    bool listen();
    QString serverName() const { return name; }
    // How long a connection may take to send its request.
    void setRequestTimeLimit(int milliseconds) { requestTimeLimit = milliseconds; }
    static constexpr int defaultRequestTimeLimit = 5000;
    static constexpr int mostConnections = 16;
    // The connections open now, the one being accepted included.
    int connectionCount() const;

    // From a second start: asks the running instance to come forward and
    // open path (made absolute here; empty only brings it forward). False
    // when no instance took the request within the time given.
    static bool send(const QString& key, const QString& path, int timeoutMs = 5000);
    // send(), and when the running instance does not take the request, the
    // reason on stderr and in a message box. The exit code of the start.
    static int handOver(const QString& key, const QString& path, int timeoutMs = 5000);
    static QString serverNameFor(const QString& key);

signals:
    void openRequested(const QString& path);

private:
    void accept(QLocalSocket* socket);
    void readRequest(QLocalSocket* socket);

    const QString name;
    QLocalServer server;
    int requestTimeLimit = defaultRequestTimeLimit;
};

#endif // INSTANCEMESSENGER_H
