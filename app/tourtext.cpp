#include "tourtext.h"

#include <QTextBlockFormat>
#include <QTextCursor>

TourText::TourText(QWidget* parent)
    : QTextBrowser(parent)
{
    setWindowFlags(Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setFrameStyle(QFrame::NoFrame);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    setReadOnly(true);
    setAutoFillBackground(true);
    // The box is as tall as the document, so a scroll bar would only narrow
    // the text and change that height.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The links drive the tour; they must not replace the document.
    setOpenLinks(false);

    QPalette colours = palette();
    colours.setColor(QPalette::Active, QPalette::Base, QColor(38, 166, 91));
    colours.setColor(QPalette::Inactive, QPalette::Base, QColor(38, 166, 91));
    setPalette(colours);

    connect(this, &QTextBrowser::anchorClicked, this, &TourText::footerLinkClicked);
}

void TourText::appendMessage(const QString& title, const QString& text)
{
    clear();
    append(QStringLiteral("<h3 style='color: #ffffff;'>") + title + "</h3>"
           + "<p style='color: #fcf6f5ff;'>" + text + "</p>");
    append(QStringLiteral("<a style='color: red;' href=quit>Quit Tour?</a> &nbsp; &nbsp; &nbsp; &nbsp; "
                          "&nbsp; &nbsp; <a style='color: #ffffff;' href=next>Next</a>"));

    QTextCursor footer(document());
    footer.movePosition(QTextCursor::End);
    QTextBlockFormat format = footer.blockFormat();
    format.setAlignment(Qt::AlignHCenter);
    footer.setBlockFormat(format);
}

int TourText::getDocumentHeight() const
{
    return int(document()->size().height());
}

void TourText::footerLinkClicked(const QUrl& link)
{
    if (link.toString() == QLatin1String("next"))
        emit nextLinkClicked();
    else if (link.toString() == QLatin1String("quit"))
        emit quitLinkClicked();
}
