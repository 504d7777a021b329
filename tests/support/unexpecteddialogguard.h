#ifndef UNEXPECTEDDIALOGGUARD_H
#define UNEXPECTEDDIALOGGUARD_H

#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

// Fails the running test when a modal dialog appears that no ModalAnswerer
// was arranged to answer, naming its title and text, and closes it so that
// the program goes on instead of waiting for a click that never comes.
// TestEnvironment::useThrowAwaySettings() installs it in every test program.
class UnexpectedDialogGuard : public QObject
{
    Q_OBJECT

public:
    static void install();

private:
    UnexpectedDialogGuard();
    void poll();
    void fail(QWidget* modal);

    QTimer m_timer;
    // A modal widget seen unanswered once; it fails on the next poll, so a
    // dialog that an answerer is just about to take is never blamed.
    QPointer<QWidget> m_suspect;
};

#endif // UNEXPECTEDDIALOGGUARD_H
