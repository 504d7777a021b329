#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace {
QList<ModalAnswerer*>& liveAnswerers()
{
    static QList<ModalAnswerer*> answerers;
    return answerers;
}
} // namespace

bool ModalAnswerer::isHandling(QWidget* modal)
{
    for (const ModalAnswerer* answerer : liveAnswerers()) {
        if (!answerer->m_queue.isEmpty() || answerer->m_lastAnswered == modal)
            return true;
    }
    return false;
}

ModalAnswerer::ModalAnswerer()
{
    liveAnswerers().append(this);
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
}

ModalAnswerer::~ModalAnswerer()
{
    liveAnswerers().removeOne(this);
}

ModalAnswerer& ModalAnswerer::enqueue(Answer answer)
{
    m_queue.append(std::move(answer));
    m_timer.start();
    return *this;
}

ModalAnswerer& ModalAnswerer::accept(Inspector inspect)
{
    return enqueue({Accept, 0, QString(), std::move(inspect)});
}

ModalAnswerer& ModalAnswerer::reject(Inspector inspect)
{
    return enqueue({Reject, 0, QString(), std::move(inspect)});
}

ModalAnswerer& ModalAnswerer::pressButton(QMessageBox::StandardButton button, Inspector inspect)
{
    return enqueue({ByStandardButton, int(button), QString(), std::move(inspect)});
}

ModalAnswerer& ModalAnswerer::pressButton(QDialogButtonBox::StandardButton button, Inspector inspect)
{
    return enqueue({ByStandardButton, int(button), QString(), std::move(inspect)});
}

ModalAnswerer& ModalAnswerer::pressButton(const QString& buttonText, Inspector inspect)
{
    return enqueue({ByText, 0, buttonText, std::move(inspect)});
}

void ModalAnswerer::poll()
{
    if (m_queue.isEmpty()) {
        m_timer.stop();
        return;
    }
    QWidget* modal = QApplication::activeModalWidget();
    // A dialog that was just answered may still be closing; wait for the next.
    if (!modal || modal == m_lastAnswered || !modal->isVisible())
        return;
    const Answer next = m_queue.takeFirst();
    m_lastAnswered = modal;
    // The same dialog may be shown again later; answer it afresh then.
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        connect(dialog, &QDialog::finished, this, &ModalAnswerer::forgetAnswered, Qt::UniqueConnection);
    answer(modal, next);
    if (m_queue.isEmpty())
        m_timer.stop();
}

void ModalAnswerer::forgetAnswered()
{
    m_lastAnswered = nullptr;
}

void ModalAnswerer::answer(QWidget* modal, const Answer& answer)
{
    ++m_answered;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        m_titles.append(box->windowTitle());
        m_texts.append(box->text());
    }
    if (answer.inspect)
        answer.inspect(modal);

    QAbstractButton* button = nullptr;
    if (answer.kind == ByStandardButton || answer.kind == ByText) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (answer.kind == ByStandardButton) {
                button = box->button(QMessageBox::StandardButton(answer.standardButton));
            } else {
                for (QAbstractButton* candidate : box->buttons()) {
                    if (candidate->text().remove('&') == QString(answer.text).remove('&'))
                        button = candidate;
                }
            }
        }
        if (!button) {
            for (auto* buttons : modal->findChildren<QDialogButtonBox*>()) {
                if (answer.kind == ByStandardButton)
                    button = buttons->button(QDialogButtonBox::StandardButton(answer.standardButton));
                if (button)
                    break;
            }
        }
        if (!button) {
            for (auto* candidate : modal->findChildren<QAbstractButton*>()) {
                if (answer.kind == ByText
                    && candidate->text().remove('&') == QString(answer.text).remove('&')) {
                    button = candidate;
                    break;
                }
            }
        }
        if (button) {
            // Queued, so that a modal widget the click opens can be answered
            // too: a timer does not fire again while its own slot still runs.
            QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
            return;
        }
        qWarning("ModalAnswerer: no such button on the modal widget; rejecting it");
    }
    const char* method = "close";
    if (qobject_cast<QDialog*>(modal))
        method = answer.kind == Accept ? "accept" : "reject";
    QMetaObject::invokeMethod(modal, method, Qt::QueuedConnection);
}
