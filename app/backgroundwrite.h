#ifndef BACKGROUNDWRITE_H
#define BACKGROUNDWRITE_H

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Document;
class BackgroundJob;

// Writes a project document to a file on a thread of its own, so that the
// window stays responsive while a large project is written. One write runs
// at a time: a new one, and anything that must see the file written, waits
// for the running one first. The outcome is handed over on the window's
// thread, when the write has ended or when finish() waited for it.
class BackgroundWrite : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        bool written = false;
        // When the write failed: whether the file's previous content is
        // still there, and why it failed.
        bool previousKept = true;
        QString error;
    };
    using Done = std::function<void(const Outcome&)>;

    explicit BackgroundWrite(QObject* parent = nullptr);
    // Waits for a running write; its outcome is not handed over any more.
    ~BackgroundWrite() override;

    void start(std::shared_ptr<const Document> document, const QString& path, Done done);
    bool isRunning() const;
    // Waits for the running write, if any, and hands its outcome over.
    void finish();

private:
    Outcome outcome;
    // After the outcome, so that it goes first and waits for the thread that writes it.
    std::unique_ptr<BackgroundJob> job;
};

#endif // BACKGROUNDWRITE_H
