#include "backgroundwrite.h"

#include <QCoreApplication>

#include <new>

#include <utility>

#include "backgroundjob.h"
#include "document.h"
#include "projectfilewriter.h"

BackgroundWrite::BackgroundWrite(QObject* parent)
    : QObject(parent)
    , job(std::make_unique<BackgroundJob>())
{
}

BackgroundWrite::~BackgroundWrite() = default;

void BackgroundWrite::start(std::shared_ptr<const Document> document, const QString& path, Done done)
{
    // One write at a time: the next waits for the running one.
    job->finish();
    outcome = Outcome();
    // The outcome is written by the thread and read only after it ended.
    job->start([this, document, path] {
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
    }, [this, done] {
        if (done)
            done(outcome);
    });
}

bool BackgroundWrite::isRunning() const
{
    return job->isRunning();
}

void BackgroundWrite::finish()
{
    job->finish();
}
