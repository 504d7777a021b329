#include "backgroundwrite.h"

#include <QCoreApplication>
#include <QThread>

#include <new>

#include <utility>

#include "document.h"
#include "projectfilewriter.h"

BackgroundWrite::BackgroundWrite(QObject* parent)
    : QObject(parent)
{
}

BackgroundWrite::~BackgroundWrite()
{
    if (thread)
        thread->wait();
}

void BackgroundWrite::start(std::shared_ptr<const Document> document, const QString& path, Done whenDone)
{
    finish();
    done = std::move(whenDone);
    outcome = Outcome();
    // The outcome is written by the thread and read only after it ended.
    thread.reset(QThread::create([this, document, path] {
        ProjectFileWriter writer;
        Outcome result;
        try {
            result.written = writer.write(*document, path);
            result.previousKept = writer.previousKept();
            result.error = writer.lastError();
        } catch (const std::bad_alloc&) {
            // The writer put the previous file back as it was dropped.
            result.error = QCoreApplication::translate("MainWindow", "There was not enough memory to write it.");
        }
        outcome = result;
    }));
    // Emitted on the writing thread, received on this object's.
    connect(thread.get(), &QThread::finished, this, &BackgroundWrite::finish, Qt::QueuedConnection);
    thread->start();
}

void BackgroundWrite::finish()
{
    if (!thread)
        return;
    thread->wait();
    thread.reset();
    const Done handOver = std::exchange(done, Done());
    if (handOver)
        handOver(outcome);
}
