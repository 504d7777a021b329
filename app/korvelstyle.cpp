#include "korvelstyle.h"

#include <QIcon>
#include <QSize>

#include "korvelresources.h"

KorvelStyle::KorvelStyle()
{
    initKorvelResources();
}

QIcon KorvelStyle::standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const
{
    QString name;
    switch (icon) {
    case SP_MessageBoxQuestion: name = QStringLiteral("dialog-question"); break;
    case SP_MessageBoxInformation: name = QStringLiteral("dialog-information"); break;
    case SP_MessageBoxWarning: name = QStringLiteral("dialog-warning"); break;
    case SP_MessageBoxCritical: name = QStringLiteral("dialog-error"); break;
    default: return QProxyStyle::standardIcon(icon, option, widget);
    }
    // The desktop's own icons come first: they match the rest of it.
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    // Every size is drawn: the icon is never blown up, on any screen.
    QIcon drawn;
    for (int size : {32, 48, 64, 96, 128})
        drawn.addFile(QStringLiteral(":/Images/Images/%1-%2.png").arg(name).arg(size), QSize(size, size));
    return drawn;
}
