#ifndef INSTANCEMESSENGER_H
#define INSTANCEMESSENGER_H

#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;

// Hands the file of a second start to the instance already running, through
// a local socket only this user can reach. The running instance listens; the
// second start sends and exits.
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

    // From a second start: asks the running instance to come forward and
    // open path (made absolute here; empty only brings it forward). False
    // when no instance took the request within the time given.
    static bool send(const QString& key, const QString& path, int timeoutMs = 5000);
    static QString serverNameFor(const QString& key);

signals:
    void openRequested(const QString& path);

private:
    void readRequest(QLocalSocket* socket);

    const QString name;
    QLocalServer server;
};

#endif // INSTANCEMESSENGER_H
