#ifndef MODALANSWERER_H
#define MODALANSWERER_H

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class QWidget;

// Answers the next modal dialog or message box from a timer, so that code
// under test can keep calling exec() on plain Qt dialogs.
//
//   ModalAnswerer answer;
//   answer.pressButton(QMessageBox::Discard);     // or accept(), reject(),
//   window.closeProject();                         // pressButton("Save")...
//   QCOMPARE(answer.text(), QString("..."));       // what the box said
//
// Several answers may be queued; each is used for one modal widget, in order.
// An optional inspector runs on the widget before it is answered (fill fields,
// read labels). Unanswered queues are reported by answeredCount(). A modal
// widget that no answerer expects fails the test (UnexpectedDialogGuard).
class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    using Inspector = std::function<void(QWidget*)>;

    ModalAnswerer();
    ~ModalAnswerer() override;

    ModalAnswerer& accept(Inspector inspect = {});
    ModalAnswerer& reject(Inspector inspect = {});
    ModalAnswerer& pressButton(QMessageBox::StandardButton button, Inspector inspect = {});
    ModalAnswerer& pressButton(QDialogButtonBox::StandardButton button, Inspector inspect = {});
    ModalAnswerer& pressButton(const QString& buttonText, Inspector inspect = {});

    // True while some answerer still has answers queued or is closing this
    // very widget: the modal widget is then expected.
    static bool isHandling(QWidget* modal);

    int answeredCount() const { return m_answered; }
    int pendingCount() const { return m_queue.size(); }
    // Title and text of every message box answered, in order.
    QStringList titles() const { return m_titles; }
    QStringList texts() const { return m_texts; }
    QString text() const { return m_texts.isEmpty() ? QString() : m_texts.last(); }
    QString title() const { return m_titles.isEmpty() ? QString() : m_titles.last(); }

private:
    enum Kind { Accept, Reject, ByStandardButton, ByText };
    struct Answer {
        Kind kind;
        int standardButton;
        QString text;
        Inspector inspect;
    };

    ModalAnswerer& enqueue(Answer answer);
    void poll();
    void forgetAnswered();
    void answer(QWidget* modal, const Answer& answer);

    QTimer m_timer;
    QList<Answer> m_queue;
    QPointer<QWidget> m_lastAnswered;
    int m_answered = 0;
    QStringList m_titles;
    QStringList m_texts;
};

#endif // MODALANSWERER_H
