#include "unexpecteddialogguard.h"

#include "modalanswerer.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

void UnexpectedDialogGuard::install()
{
    static QPointer<UnexpectedDialogGuard> guard;
    if (!guard && qobject_cast<QApplication*>(QCoreApplication::instance()))
        guard = new UnexpectedDialogGuard;
}

UnexpectedDialogGuard::UnexpectedDialogGuard()
    : QObject(QCoreApplication::instance())
{
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, &UnexpectedDialogGuard::poll);
    m_timer.start();
}

void UnexpectedDialogGuard::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || ModalAnswerer::isHandling(modal)) {
        m_suspect = nullptr;
        return;
    }
    if (m_suspect != modal) {
        m_suspect = modal;
        return;
    }
    m_suspect = nullptr;
    fail(modal);
}

void UnexpectedDialogGuard::fail(QWidget* modal)
{
    QString what = QStringLiteral("Unexpected dialog \"%1\"").arg(modal->windowTitle());
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        what += QStringLiteral(": ") + box->text();
        if (!box->informativeText().isEmpty())
            what += QLatin1Char(' ') + box->informativeText();
    } else {
        what += QStringLiteral(" (") + QString::fromLatin1(modal->metaObject()->className())
            + QLatin1Char(')');
    }
    QTest::qFail(qPrintable(what), __FILE__, __LINE__);
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}
