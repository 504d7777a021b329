#ifndef KORVELSTYLE_H
#define KORVELSTYLE_H

#include <QProxyStyle>

// The platform's style, with message box icons of Korvel's own where the
// desktop's icon theme has none: Qt's fallbacks are 32-pixel images that
// turn blurry on a screen scaled to 200 %, ours are drawn up to 128 pixels.
class KorvelStyle : public QProxyStyle
{
    Q_OBJECT

public:
    KorvelStyle();

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

#endif // KORVELSTYLE_H
