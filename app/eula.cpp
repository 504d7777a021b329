#include "eula.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QIcon>
#include <QTextBrowser>
#include <QVBoxLayout>

Eula::Eula(QWidget* parent)
    : QDialog(parent)
    , browser(new QTextBrowser(this))
{
    setWindowTitle(tr("Korvel - Licence Agreement"));
    setWindowIcon(QIcon(QStringLiteral(":/Images/Images/app_icon.ico")));
    resize(560, 480);

    QFile file(QStringLiteral(":/eula.html"));
    if (file.open(QIODevice::ReadOnly))
        browser->setHtml(QString::fromUtf8(file.readAll()));
    browser->setOpenExternalLinks(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser);
    layout->addWidget(buttons);
}

QString Eula::text() const
{
    return browser->toPlainText();
}
