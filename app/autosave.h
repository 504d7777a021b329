#ifndef AUTOSAVE_H
#define AUTOSAVE_H

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>
#include <functional>

#include "backgroundwrite.h"

class ProjectCanvases;

// Keeps a recovery copy of the open project while it has unsaved changes, so
// that a crash or a hung machine loses at most one interval of work. The copy
// goes into the application's data folder, under "recovery/", named after a
// hash of the project's path, written by the project's own save code; a
// sidecar next to it records the original path and the time. The user's file
// is never touched.
//
// The window tells it about changes (noteChange), saves (projectSaved) and
// closes (projectClosed); it asks the window, through the callbacks, what the
// project's path is and whether a copy is wanted now.
class Autosave : public QObject
{
    Q_OBJECT

public:
    // One recovery copy found in the recovery folder.
    struct Recovery {
        QString originalPath;
        QString copyPath;
        QDateTime time;
        // The file was written after the copy (a sync tool, a checkout, a
        // touch): the copy may still hold work, but not the newest file.
        bool fileChangedLater = false;
        QDateTime fileTime;
    };

    Autosave(const ProjectCanvases* canvases, std::function<QString()> projectPath,
             std::function<bool()> wanted, QObject* parent = nullptr);

    void setEnabled(bool on);
    bool isEnabled() const { return enabled; }
    // The project changed: a copy is written one interval from now unless a
    // countdown already runs.
    void noteChange();
    // Writes the copy at once; false when it failed (see lastError()).
    bool writeNow();
    // Takes the project at once and writes the copy on another thread;
    // written() or failed() tells the outcome. False, after failed(), when
    // the project cannot be taken.
    bool startWrite();
    // Waits for a copy being written and takes in its outcome.
    void finishWrite() { writer.finish(); }
    QString lastError() const { return error; }
    bool isPending() const { return timer.isActive(); }

    // The project was saved: its copy, and the one this session wrote last
    // under another path (Save As), are no longer needed.
    void projectSaved();
    // The project was closed without keeping its changes, or the window
    // quit normally: the copy this session owns goes.
    void projectClosed();
    // The shown project came from this copy; it now belongs to this session.
    void adopt(const Recovery& recovery);

    static QString folder();
    static QString copyPathFor(const QString& projectPath);
    // Copies worth offering: their content differs from the project file,
    // or the file is gone. A copy equal to its file is removed. Oldest first.
    static QVector<Recovery> offers();
    static bool offerFor(const QString& projectPath, Recovery* out);
    static void remove(const QString& copyPath);
    // Moves a copy that cannot be read out of the offers, keeping it; returns
    // where it now is.
    static QString keepAside(const QString& copyPath);
    static bool isRecoveryCopy(const QString& path);
    // Milliseconds between a change and its copy; KORVEL_AUTOSAVE_INTERVAL_MS
    // shortens it for tests.
    static int interval();

signals:
    void written();
    // A write failed; emitted once until a write succeeds again.
    void failed(const QString& why);

private:
    void onTimeout();
    void writeFailed();
    bool writeSidecar(const QString& original, const QString& copy);

    const ProjectCanvases* canvases;
    std::function<QString()> projectPath;
    std::function<bool()> wanted;
    QTimer timer;
    bool enabled = true;
    bool failing = false;
    QString error;
    // The copy this session wrote or recovered from; removed when the
    // project is saved or closed normally.
    QString ownedCopy;
    BackgroundWrite writer;
    bool lastWriteOk = false;
};

#endif // AUTOSAVE_H
